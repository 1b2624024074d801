#include "platform/linux/tesseract_text_recognizer.h"

#include <leptonica/allheaders.h>
#include <omp.h>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "platform/linux/frame_removal.h"
#include "platform/linux/ground_levelling.h"
#include "platform/linux/leptonica_pointers.h"
#include "platform/linux/picture_pixel_count.h"
#include "platform/linux/silenced_standard_streams.h"
#include "platform/linux/visual_lines.h"

namespace mivo::platform {
namespace {

// The largest picture read: 16384 x 16384 pixels, more than any screen has.
// Decoding is refused above it, before it starts, because the decoders take
// memory and time by the size the header claims: a 30000 x 30000 PNG of a few
// hundred kilobytes took 3.5 GB and 16 s.
constexpr std::uint64_t kMostPixels = std::uint64_t{1} << 28;

// Text lines lower than this, in pixels, are read at twice the size: screen
// text is smaller than the text Tesseract learnt from. Measured on 30 lines of
// invoices: lines 16 pixels high lost four decimal points at their own size
// and none at 1.5 or 2 times; lines 24 pixels high read whole as they are and
// lost two to four at 1.5 or 2 times. A terminal's 18-pixel lines lost the end
// of one line and read "the" as "'the" as they are, and read whole at twice.
constexpr int kSmallTextHeight = 20;

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

// Every word Tesseract read, with its box; the lines are built from them,
// since Tesseract's own lines end at every column it sees, tab stops included.
std::vector<BoxedWord> wordsOf(tesseract::TessBaseAPI& api) {
  std::vector<BoxedWord> words;
  const std::unique_ptr<tesseract::ResultIterator> iterator(api.GetIterator());
  if (iterator == nullptr || iterator->Empty(tesseract::RIL_WORD)) return words;
  do {
    const std::unique_ptr<char[]> text(iterator->GetUTF8Text(tesseract::RIL_WORD));
    BoxedWord word{"", 0, 0, 0, 0};
    if (text == nullptr || text[0] == '\0' ||
        !iterator->BoundingBox(tesseract::RIL_WORD, &word.left, &word.top, &word.right,
                               &word.bottom)) {
      continue;
    }
    word.text = text.get();
    words.push_back(std::move(word));
  } while (iterator->Next(tesseract::RIL_WORD));
  return words;
}

// The median height of the text lines that Tesseract's layout analysis finds
// in its image, which costs a few hundredths of a second; 0 for none.
int medianLineHeight(tesseract::TessBaseAPI& api) {
  std::vector<int> heights;
  const std::unique_ptr<tesseract::PageIterator> lines(api.AnalyseLayout());
  if (lines == nullptr || lines->Empty(tesseract::RIL_TEXTLINE)) return 0;
  do {
    int left = 0, top = 0, right = 0, bottom = 0;
    if (lines->BoundingBox(tesseract::RIL_TEXTLINE, &left, &top, &right, &bottom)) {
      heights.push_back(bottom - top);
    }
  } while (lines->Next(tesseract::RIL_TEXTLINE));
  if (heights.empty()) return 0;
  std::nth_element(heights.begin(), heights.begin() + heights.size() / 2, heights.end());
  return heights[heights.size() / 2];
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
  // Debian's Tesseract runs parallel loops whose OpenMP threads spin while
  // they wait, for three times the CPU of one thread and no gain; with no
  // active level every parallel region runs on this thread alone.
  omp_set_max_active_levels(0);
  // Grey, as the recogniser reads it best; colours and transparency dropped.
  const PixPointer grey(
      pixConvertTo8(static_cast<const LeptonicaImage&>(image).pix(), 0));
  if (grey == nullptr) throw RecognitionError("the picture cannot be made grey");
  // Text dark on light everywhere, then what frames or marks it whitened:
  // the recogniser reads light text on dark poorly and frames as letters.
  levelGrounds(grey.get());
  removeFrames(grey.get());
  // A new engine for every picture: nothing of one recognition outlives it.
  tesseract::TessBaseAPI api;
  if (api.Init(data_path_.c_str(), "eng", tesseract::OEM_LSTM_ONLY) != 0) {
    throw RecognitionError("the English text-recognition data cannot be loaded from " + data_path_);
  }
  // The page as one block: Tesseract's own layout analysis cuts aligned
  // screen lines into columns, and its sparse-text mode drops letters at word
  // ends; the columns are found again from the words' boxes.
  api.SetPageSegMode(tesseract::PSM_SINGLE_BLOCK);
  api.SetImage(grey.get());
  PixPointer larger;
  const int lineHeight = medianLineHeight(api);
  if (lineHeight > 0 && lineHeight < kSmallTextHeight) {
    larger.reset(pixScaleGrayLI(grey.get(), 2, 2));
    if (larger == nullptr) throw RecognitionError("the picture cannot be scaled up");
    api.SetImage(larger.get());
  }
  if (api.Recognize(nullptr) != 0) {
    throw RecognitionError("Tesseract could not recognise the text of the picture");
  }
  std::vector<TextObservation> observations;
  for (std::string& line : visualLines(wordsOf(api))) observations.push_back({std::move(line)});
  return observations;
}

}  // namespace mivo::platform
