#include "platform/linux/tesseract_text_recognizer.h"

#include <leptonica/allheaders.h>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <cstdint>
#include <cstdio>

#include "platform/linux/picture_pixel_count.h"
#include "platform/linux/silenced_standard_streams.h"

namespace mivo::platform {
namespace {

// The largest picture read: 16384 x 16384 pixels, more than any screen has.
// Decoding is refused above it, before it starts, because the decoders take
// memory and time by the size the header claims: a 30000 x 30000 PNG of a few
// hundred kilobytes took 3.5 GB and 16 s.
constexpr std::uint64_t kMostPixels = std::uint64_t{1} << 28;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

class LeptonicaImage : public Image {
 public:
  explicit LeptonicaImage(Pix* pix) : pix_(pix) {}
  LeptonicaImage(const LeptonicaImage&) = delete;
  LeptonicaImage& operator=(const LeptonicaImage&) = delete;
  ~LeptonicaImage() override { pixDestroy(&pix_); }

  Pix* pix() const { return pix_; }

 private:
  Pix* pix_;
};

// The line's text, or none when Tesseract found a line but no reading of it.
std::optional<std::string> lineText(const tesseract::ResultIterator& lines) {
  const std::unique_ptr<char[]> text(lines.GetUTF8Text(tesseract::RIL_TEXTLINE));
  if (text == nullptr || text[0] == '\0') return std::nullopt;
  return std::string(text.get());
}

std::vector<TextObservation> observationsOf(tesseract::TessBaseAPI& api) {
  std::vector<TextObservation> observations;
  const std::unique_ptr<tesseract::ResultIterator> lines(api.GetIterator());
  if (lines == nullptr || lines->Empty(tesseract::RIL_TEXTLINE)) return observations;
  // The line's own text, without the separators Tesseract puts after lines
  // and paragraphs.
  lines->SetLineSeparator("");
  lines->SetParagraphSeparator("");
  do {
    observations.push_back({lineText(*lines)});
  } while (lines->Next(tesseract::RIL_TEXTLINE));
  return observations;
}

}  // namespace

TesseractTextRecognizer::TesseractTextRecognizer(std::string data_path)
    : data_path_(std::move(data_path)) {}

std::unique_ptr<Image> TesseractTextRecognizer::loadFirstImage(const std::string& path) {
  // No file name holds a NUL; as a C string the path would end there and name
  // another file.
  if (path.find('\0') != std::string::npos) return nullptr;
  const SilencedStandardStreams quiet;
  // Opened here, not by pixRead, which tries a file of the same name in the
  // current folder when the path names none; and the size checked is that of
  // the file then decoded.
  const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rbe"));
  if (file == nullptr) return nullptr;
  const std::optional<std::uint64_t> pixels = decodedPixelCount(file.get());
  if (!pixels || *pixels > kMostPixels) return nullptr;
  std::rewind(file.get());
  Pix* pix = pixReadStream(file.get(), 0);
  if (pix == nullptr) return nullptr;
  return std::make_unique<LeptonicaImage>(pix);
}

std::vector<TextObservation> TesseractTextRecognizer::recognizeText(const Image& image) {
  const SilencedStandardStreams quiet;
  // A new engine for every picture: nothing of one recognition outlives it.
  tesseract::TessBaseAPI api;
  if (api.Init(data_path_.c_str(), "eng", tesseract::OEM_LSTM_ONLY) != 0) {
    throw RecognitionError("the English text-recognition data cannot be loaded from " + data_path_);
  }
  // Layout analysis without orientation and script detection.
  api.SetPageSegMode(tesseract::PSM_AUTO);
  api.SetImage(static_cast<const LeptonicaImage&>(image).pix());
  if (api.Recognize(nullptr) != 0) {
    throw RecognitionError("Tesseract could not recognise the text of the picture");
  }
  return observationsOf(api);
}

}  // namespace mivo::platform
