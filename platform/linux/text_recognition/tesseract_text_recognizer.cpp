// The reading of a picture, step by step (each step in a file of this folder):
// 1. loadFirstImage: a regular file opened without blocking (picture_file),
//    the picture's size checked from its headers (picture_pixel_count), then
//    decoded straight into grey, cut files refused (picture_decoding, with a
//    decoder per format, into grey_picture);
// 2. recognizeText: the picture's noise whitened (noise_removal), nothing
//    more done where nothing is left to read; where its grounds change noted
//    (ground_edges), for the lines to keep windows apart; then the picture
//    read in tiles (tiled_reading), each through the steps below, their
//    words joined once;
// 3. dark grounds turned light with their text (ground_levelling: levelGrounds,
//    on the dark shapes of dark_shapes);
// 4. frames, boxes and cursors whitened (frame_removal);
// 5. rules and underlines painted over (rule_removal);
// 6. every ground made white (ground_levelling: whitenGrounds);
// 7. the parts of the text, their faint underscores drawn again, read on
//    their own at the scale that fits them (text_parts), crisp letters
//    smoothed once enlarged, then the rest, each by Tesseract as one block;
// 8. the words to keep chosen by their confidences (word_choice);
// 9. the words put together into lines in reading order (visual_lines),
//    rows read across a table's columns, windows and text columns apart.
#include "platform/linux/text_recognition/tesseract_text_recognizer.h"

#include <leptonica/allheaders.h>
#include <malloc.h>
#include <omp.h>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <limits>

#include "platform/linux/text_recognition/frame_removal.h"
#include "platform/linux/text_recognition/grey_range.h"
#include "platform/linux/text_recognition/ground_edges.h"
#include "platform/linux/text_recognition/ground_levelling.h"
#include "platform/linux/text_recognition/leptonica_pointers.h"
#include "platform/linux/text_recognition/noise_removal.h"
#include "platform/linux/text_recognition/picture_decoding.h"
#include "platform/linux/text_recognition/picture_file.h"
#include "platform/linux/text_recognition/reading_budget.h"
#include "platform/linux/text_recognition/rule_removal.h"
#include "platform/linux/text_recognition/silenced_standard_streams.h"
#include "platform/linux/text_recognition/text_parts.h"
#include "platform/linux/text_recognition/tiled_reading.h"
#include "platform/linux/text_recognition/visual_lines.h"
#include "platform/linux/text_recognition/word_choice.h"

namespace mivo::platform {
namespace {

class LeptonicaImage : public Image {
 public:
  LeptonicaImage(Pix* pix, std::int64_t decodingStarted) : pix_(pix), decoding_started_(decodingStarted) {}
  LeptonicaImage(const LeptonicaImage&) = delete;
  LeptonicaImage& operator=(const LeptonicaImage&) = delete;
  ~LeptonicaImage() override { pixDestroy(&pix_); }

  Pix* pix() const { return pix_; }
  // The thread's processor time when the picture began to be decoded, from
  // which its reading budget counts.
  std::int64_t decodingStarted() const { return decoding_started_; }

 private:
  Pix* pix_;
  std::int64_t decoding_started_;
};

// The largest block glibc's heap gives on 64-bit systems.
constexpr int kLargestHeapAllocation = 32 << 20;

// Greys darker than this are ink.
constexpr int kInk = 204;
// Text stands out from its ground by this many greys at least.
constexpr int kLeastContrast = 20;

// Where a picture read by Tesseract lies in the picture recognised: drawn at
// `scale` times its size, from the point (`x`, `y`) on.
struct Placement {
  int scale = 1;
  int x = 0;
  int y = 0;
};

// Whether any pixel of `box` in `pix` is dark enough to be written: the
// recogniser reads words into the blank between the cells of a table's row.
bool inkIn(Pix* pix, const BoxedWord& box) {
  const int right = std::min<int>(box.right, pixGetWidth(pix));
  const int bottom = std::min<int>(box.bottom, pixGetHeight(pix));
  const l_uint32* const rows = pixGetData(pix);
  const int words = pixGetWpl(pix);
  for (int y = std::max(box.top, 0); y < bottom; ++y) {
    for (int x = std::max(box.left, 0); x < right; ++x) {
      if (GET_DATA_BYTE(rows + y * words, x) < kInk) return true;
    }
  }
  return false;
}

// Every word Tesseract reads in `pix`, with its box in the recognised
// picture's pixels; the lines are built from them, since Tesseract's own
// lines end at every column it sees, tab stops included, and run on across
// windows side by side.
std::vector<ReadWord> wordsRead(tesseract::TessBaseAPI& api, Pix* pix, Placement placement,
                                ReadingBudget& budget) {
  api.SetImage(pix);
  if (api.Recognize(&budget.monitor()) != 0 && !budget.spent()) {
    throw RecognitionError("Tesseract could not recognise the text of the picture");
  }
  std::vector<ReadWord> words;
  const std::unique_ptr<tesseract::ResultIterator> iterator(api.GetIterator());
  if (iterator == nullptr || iterator->Empty(tesseract::RIL_WORD)) return words;
  const int scale = placement.scale;
  // The words in the order they were recognised, as the lines are ordered
  // from their boxes: the result iterator's reading order goes back to the
  // start of the page for every line, which takes longer than the reading on
  // a page of thousands of words.
  do {
    const std::unique_ptr<char[]> text(
        iterator->tesseract::LTRResultIterator::GetUTF8Text(tesseract::RIL_WORD));
    // Stopped by the budget, the recogniser leaves the words after the last
    // it read without text, and going through them costs as much as reading.
    if ((text == nullptr || text[0] == '\0') && budget.spent()) break;
    BoxedWord word{"", 0, 0, 0, 0};
    if (text == nullptr || text[0] == '\0' ||
        !iterator->BoundingBox(tesseract::RIL_WORD, &word.left, &word.top, &word.right,
                               &word.bottom) ||
        !inkIn(pix, word)) {
      continue;
    }
    word.text = withHyphensApart(text.get());
    word.left = word.left / scale + placement.x;
    word.top = word.top / scale + placement.y;
    word.right = (word.right + scale - 1) / scale + placement.x;
    word.bottom = (word.bottom + scale - 1) / scale + placement.y;
    words.push_back({std::move(word), iterator->Confidence(tesseract::RIL_WORD)});
  } while (iterator->tesseract::PageIterator::Next(tesseract::RIL_WORD));
  endBoxesAtTheNextWord(words);
  return words;
}

PixPointer made(Pix* pix, const char* what) {
  if (pix == nullptr) throw RecognitionError(std::string("the picture cannot be ") + what);
  return PixPointer(pix);
}

// A white border this wide around a part read on its own, as the recogniser
// finds the edges of a picture's text best.
constexpr int kBorder = 8;

// Whether the text of `pix` is drawn crisp, as a bitmap font is: of its ink,
// hardly a pixel lies between the darkest grey and the white ground, where
// smoothed letters have their edges.
bool drawnCrisp(Pix* pix) {
  const NumaPointer histogram(pixGetGrayHistogram(pix, 1));
  if (histogram == nullptr) throw RecognitionError("the greys of the picture cannot be counted");
  int darkest = 0;
  l_float32 count = 0;
  while (darkest < 255 && (numaGetFValue(histogram.get(), darkest, &count), count == 0)) ++darkest;
  l_float32 ink = 0;
  l_float32 between = 0;
  for (int grey = darkest; grey < kInk; ++grey) {
    numaGetFValue(histogram.get(), grey, &count);
    ink += count;
    if (grey > darkest + kLeastContrast) between += count;
  }
  return ink > 0 && 20 * between < ink;
}

// The words of `part` of `grey`, read alone at its scale.
std::vector<ReadWord> wordsOfPart(tesseract::TessBaseAPI& api, Pix* grey, const TextPart& part,
                                  ReadingBudget& budget) {
  const BoxPointer box(boxCreate(part.x, part.y, part.width, part.height));
  if (box == nullptr) throw RecognitionError("the picture cannot be cut into parts");
  const PixPointer clipped = made(pixClipRectangle(grey, box.get(), nullptr), "cut into parts");
  const PixPointer outside = made(pixInvert(nullptr, part.mask.get()), "cut into parts");
  pixSetMasked(clipped.get(), outside.get(), 255);
  const PixPointer bordered = made(pixAddBorder(clipped.get(), kBorder, 255), "cut into parts");
  const auto scale = static_cast<l_float32>(part.scale);
  const PixPointer scaled = made(
      part.scale == 1 ? pixClone(bordered.get()) : pixScaleGrayLI(bordered.get(), scale, scale),
      "scaled up");
  // Enlarged by linear interpolation, which Leptonica does off the pixels'
  // middles, a crisp letter's strokes of one pixel come out dark on one
  // side and grey on the other, and the recogniser reads "12G" as "126",
  // "0%" as "O%" and "/" after a gap as "“": smoothed once more, its strokes
  // are even again. Letters smoothed already only lose their gaps.
  const PixPointer evened = made(part.scale > 1 && drawnCrisp(clipped.get())
                                     ? pixBlockconvGray(scaled.get(), nullptr, 1, 1)
                                     : pixClone(scaled.get()),
                                 "smoothed");
  return wordsRead(api, evened.get(), {part.scale, part.x - kBorder, part.y - kBorder}, budget);
}

// Whether `grey` holds nothing to read: no ink on a light picture, or one
// grey all over, as a blank screen or a dark one without a line on it.
bool holdsNoText(Pix* grey) {
  const auto [darkest, lightest] = greyRangeOf(grey);
  return darkest >= kInk || lightest - darkest < kLeastContrast;
}

// The words to keep of the grey picture `grey`, which the steps change, read
// within `budget`.
std::vector<BoxedWord> wordsKept(tesseract::TessBaseAPI& api, Pix* grey, ReadingBudget& budget) {
  if (holdsNoText(grey)) return {};
  // Text dark on light everywhere, then what frames, marks or rules it
  // whitened, then every ground white: the recogniser reads light text on
  // dark poorly and frames as letters, and it binarises the whole picture at
  // one threshold, which falls between two grounds where there are two.
  // Each step takes seconds on a large tile, whatever it holds: none begins
  // once the budget is spent.
  for (void (*const step)(Pix*) : {levelGrounds, removeFrames, removeRules, whitenGrounds}) {
    if (budget.spent()) return {};
    step(grey);
  }
  // Each part of the text on its own, at the scale that fits its size; what
  // is no text (pictures, patterns, noise) is not read at all.
  std::vector<ReadWord> words;
  for (const TextPart& part : partsReadApart(grey)) {
    if (budget.spent()) break;
    std::vector<ReadWord> read = wordsOfPart(api, grey, part, budget);
    words.insert(words.end(), std::make_move_iterator(read.begin()), std::make_move_iterator(read.end()));
  }
  return sureWords(std::move(words));
}

}  // namespace

TesseractTextRecognizer::TesseractTextRecognizer(std::string data_path)
    : data_path_(std::move(data_path)) {}

std::unique_ptr<Image> TesseractTextRecognizer::loadFirstImage(const std::string& path) {
  const SilencedStandardStreams quiet;
  // Opened here, not by pixRead, which tries a file of the same name in the
  // current folder when the path names none; and the size checked is that of
  // the file then decoded.
  const std::int64_t decodingStarted = ReadingBudget::threadNanoseconds();
  const FilePointer file = openedPictureFile(path);
  if (file == nullptr) return nullptr;
  // Grey, as the recogniser reads it best.
  PixPointer grey = decodedGreyPicture(file.get());
  if (grey == nullptr) return nullptr;
  return std::make_unique<LeptonicaImage>(grey.release(), decodingStarted);
}

std::vector<TextObservation> TesseractTextRecognizer::recognizeText(const Image& image) {
  const SilencedStandardStreams quiet;
  // Debian's Tesseract runs parallel loops whose OpenMP threads spin while
  // they wait, for three times the CPU of one thread and no gain; with no
  // active level every parallel region runs on this thread alone.
  omp_set_max_active_levels(0);
  // The recogniser allocates and frees arrays of up to megabytes for every
  // line; glibc would map each new largest one afresh and hand freed memory
  // back, and every page of it would fault in again, a tenth of the reading
  // time. Up to 32 MB (what is larger is a whole picture, mapped still) they
  // come from the heap, which keeps what is freed.
  mallopt(M_MMAP_THRESHOLD, kLargestHeapAllocation);
  mallopt(M_TRIM_THRESHOLD, std::numeric_limits<int>::max());
  // The loaded picture is read once, so its noise is whitened in place, not
  // in a copy of what may be 256 MB.
  const auto& loaded = static_cast<const LeptonicaImage&>(image);
  Pix* const grey = loaded.pix();
  // What a picture still holds unread once its budget is spent stays unread.
  ReadingBudget budget(loaded.decodingStarted());
  whitenNoise(grey);
  if (holdsNoText(grey) || budget.spent()) return {};
  // Where windows and panels meet, before their grounds are made alike.
  const GroundEdges edges(grey);
  // A new engine for every picture: nothing of one recognition outlives it.
  tesseract::TessBaseAPI api;
  if (api.Init(data_path_.c_str(), "eng", tesseract::OEM_LSTM_ONLY) != 0) {
    throw RecognitionError("the English text-recognition data cannot be loaded from " + data_path_);
  }
  // The page as one block: Tesseract's own layout analysis cuts aligned
  // screen lines into columns, and its sparse-text mode drops letters at word
  // ends; lines, rows and columns are found again from the words' boxes.
  api.SetPageSegMode(tesseract::PSM_SINGLE_BLOCK);
  // Every ground is white by now, its text dark: lines the recogniser is
  // unsure of need not be read a second time inverted.
  api.SetVariable("tessedit_do_invert", "0");
  // Only each word's best text and confidence are taken: the matrix of the
  // network's other choices need not be built.
  api.SetVariable("lstm_use_matrix", "0");
  // Every row taken for proportional text: the network reads a terminal's
  // fixed-pitch rows as well or better without Tesseract's search for their
  // pitch, which takes time on every row.
  api.SetVariable("textord_all_prop", "1");
  // Paragraphs (which the lines here do not use) found from the layout
  // before the words are read, not from their text after: on a page of tens
  // of thousands of words that walk takes minutes, past the reading budget.
  api.SetVariable("paragraph_text_based", "0");
  const std::vector<BoxedWord> words =
      wordsReadInTiles(grey, [&api, &budget](Pix* tile) { return wordsKept(api, tile, budget); });
  std::vector<TextObservation> observations;
  const auto edgeDown = [&edges](int left, int right, int top, int bottom) {
    return edges.runsDown(left, right, top, bottom);
  };
  for (std::string& line : visualLines(words, edgeDown)) {
    // What is left of a frame, a rule or an icon.
    if (holdsALetterOrDigit(line)) observations.push_back({std::move(line)});
  }
  return observations;
}

}  // namespace mivo::platform
