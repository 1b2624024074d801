#include "platform/linux/text_recognition/grey_picture.h"

namespace mivo::platform {

GreyPicture GreyPicture::made(std::int64_t width, std::int64_t height) {
  GreyPicture picture;
  if (!readableSize(width, height)) return picture;
  picture.pix_.reset(pixCreate(static_cast<l_int32>(width), static_cast<l_int32>(height), 8));
  if (picture.pix_ == nullptr) return picture;
  picture.rows_ = pixGetData(picture.pix_.get());
  picture.words_ = pixGetWpl(picture.pix_.get());
  return picture;
}

}  // namespace mivo::platform
