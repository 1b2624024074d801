#include <gif_lib.h>

#include <memory>
#include <vector>

#include "platform/linux/text_recognition/picture_decoding.h"

namespace mivo::platform {
namespace {

int readFrom(GifFileType* gif, GifByteType* bytes, int size) {
  return static_cast<int>(std::fread(bytes, 1, static_cast<std::size_t>(size), static_cast<std::FILE*>(gif->UserData)));
}

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};

// The first frame's rows, in the order an interlaced frame stores them.
std::vector<int> rowOrder(int height, bool interlaced) {
  std::vector<int> order;
  if (!interlaced) {
    for (int y = 0; y < height; ++y) order.push_back(y);
    return order;
  }
  for (const auto& [first, step] : {std::pair{0, 8}, std::pair{4, 8}, std::pair{2, 4}, std::pair{1, 2}}) {
    for (int y = first; y < height; y += step) order.push_back(y);
  }
  return order;
}

}  // namespace

PixPointer decodedGif(std::FILE* file) {
  std::rewind(file);
  int error = 0;
  const std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(file, readFrom, &error));
  if (gif == nullptr) return nullptr;
  for (;;) {
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif.get(), &type) != GIF_OK) return nullptr;
    if (type == TERMINATE_RECORD_TYPE) return nullptr;
    if (type == EXTENSION_RECORD_TYPE) {
      // Comments, application data and the like are skipped block by block,
      // never kept: they cost nothing however long they are.
      int code = 0;
      GifByteType* block = nullptr;
      if (DGifGetExtension(gif.get(), &code, &block) != GIF_OK) return nullptr;
      while (block != nullptr) {
        if (DGifGetExtensionNext(gif.get(), &block) != GIF_OK) return nullptr;
      }
      continue;
    }
    if (type != IMAGE_DESC_RECORD_TYPE || DGifGetImageDesc(gif.get()) != GIF_OK) return nullptr;
    const GifImageDesc& frame = gif->Image;
    GreyPicture picture = GreyPicture::made(frame.Width, frame.Height);
    if (!picture) return nullptr;
    const ColorMapObject* colors = frame.ColorMap != nullptr ? frame.ColorMap : gif->SColorMap;
    // Indices beyond the colour table are black; without one, an index is
    // its grey.
    std::vector<int> greys(256, 0);
    for (int i = 0; i < 256; ++i) {
      if (colors == nullptr) {
        greys[i] = i;
      } else if (i < colors->ColorCount) {
        greys[i] = greyOf(colors->Colors[i].Red, colors->Colors[i].Green, colors->Colors[i].Blue);
      }
    }
    std::vector<GifPixelType> row(static_cast<std::size_t>(frame.Width));
    for (const int y : rowOrder(frame.Height, frame.Interlace)) {
      if (DGifGetLine(gif.get(), row.data(), frame.Width) != GIF_OK) return nullptr;
      for (int x = 0; x < frame.Width; ++x) picture.set(x, y, greys[row[x]]);
    }
    // Only the first frame is read, but a file cut right after it, before
    // its trailer or the next frame, is cut all the same.
    GifRecordType next = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif.get(), &next) != GIF_OK) return nullptr;
    return picture.taken();
  }
}

}  // namespace mivo::platform
