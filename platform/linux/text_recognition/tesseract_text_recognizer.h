#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/text_recognition.h"

namespace mivo::platform {

// Text recognition on this system: pictures read by Leptonica (PNG, JPEG, TIFF,
// GIF, WebP, BMP, PNM; the first image of a multi-image file, at most 2^28
// pixels), recognised in grey on the calling thread by Tesseract's LSTM engine
// with its English data and dictionary, one observation per visual line, in
// reading order. Nothing that these libraries print reaches the program's
// standard streams.
class TesseractTextRecognizer : public TextRecognizer {
 public:
  // `data_path`: the folder that holds eng.traineddata.
  explicit TesseractTextRecognizer(std::string data_path);

  std::unique_ptr<Image> loadFirstImage(const std::string& path) override;
  std::vector<TextObservation> recognizeText(const Image& image) override;

 private:
  std::string data_path_;
};

}  // namespace mivo::platform
