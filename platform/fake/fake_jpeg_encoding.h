#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/jpeg_encoding.h"

namespace mivo::platform {

// Scripted JPEG encoding that records each call, as "jpeg of 224 x 164 at
// quality 0.55", into a log it may share with other fakes, and gives the
// bytes of its script: by default the four bytes FF D8 FF E0 (a JPEG's
// first four), whose base64 holds solidi.
class FakeJpegEncoding : public JpegEncoding {
 public:
  explicit FakeJpegEncoding(std::vector<std::string>& calls) : calls_(calls) {}

  // Every later encoding gives none.
  void refuse() { refused_ = true; }

  std::optional<std::string> jpegData(const RgbImage& image, double quality) override;

 private:
  std::vector<std::string>& calls_;
  bool refused_ = false;
};

}  // namespace mivo::platform
