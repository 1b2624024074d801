#include "platform/linux/text_recognition/ground_levelling.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <vector>

#include "platform/linux/text_recognition/dark_shapes.h"
#include "platform/linux/text_recognition/grey_closing.h"
#include "platform/linux/text_recognition/leptonica_pointers.h"
#include "platform/text_recognition.h"

namespace mivo::platform {
namespace {

constexpr int kGroundWidth = 32;
// A reverse-video line of the smallest terminal font is 13 pixels high.
constexpr int kGroundHeight = 12;
constexpr int kLargestLetter = 128;
constexpr int kShapesOfALightGround = 3;
// A screen's ground encloses its letters and windows, some thousands.
constexpr int kMostEnclosures = 20000;
// Wider than the strokes of any text but headings.
constexpr int kGroundReach = 15;
// Grounds darker than this hold light text if anything: a title bar, a
// selected row, a coloured button. Light grey text on white, at a contrast
// of 2:1, is lighter.
constexpr int kMidTone = 184;
// Light letters on a ground take at least one pixel in this many of the
// ground's own.
constexpr int kLightLetterShare = 30;

bool isDarkGround(const DarkShape& shape) {
  if (shape.width < kGroundWidth || shape.height < kGroundHeight) return false;
  l_int32 dark = 0;
  pixCountPixels(shape.pixels.get(), &dark, nullptr);
  return 5 * static_cast<long long>(dark) >= 3 * static_cast<long long>(shape.width) * shape.height;
}

// A row of a dark shape lies across a ground when a third of it or more is
// dark: rows of a bar through its light letters are half dark or more, the
// rows of letters of the line above that touch it, or of a frame's sides,
// only specks.
constexpr int kRowsAcrossAGround = 3;

// The dark pixels of each row of `bits`.
std::vector<int> darkPerRow(Pix* bits) {
  const l_uint32* const rows = pixGetData(bits);
  const int words = pixGetWpl(bits);
  const int width = pixGetWidth(bits);
  std::vector<int> dark(pixGetHeight(bits), 0);
  for (int y = 0; y < pixGetHeight(bits); ++y) {
    const l_uint32* const row = rows + y * words;
    for (int w = 0; w < words; ++w) {
      // The bits past the right edge, in the row's last word, are not the
      // shape's.
      const int past = 32 * (w + 1) - width;
      const l_uint32 kept = past > 0 ? row[w] & ~((l_uint32{1} << past) - 1) : row[w];
      dark[y] += std::popcount(kept);
    }
  }
  return dark;
}

// The dark pixels of each column of `bits`.
std::vector<int> darkPerColumn(Pix* bits) {
  const l_uint32* const rows = pixGetData(bits);
  const int words = pixGetWpl(bits);
  std::vector<int> dark(pixGetWidth(bits), 0);
  for (int y = 0; y < pixGetHeight(bits); ++y) {
    const l_uint32* const row = rows + y * words;
    for (int x = 0; x < pixGetWidth(bits); ++x) dark[x] += GET_DATA_BIT(row, x);
  }
  return dark;
}

// A bar's top and bottom rows are dark on this many quarters of its width at
// least, as a round icon's, a diamond's, are not.
constexpr int kQuartersOfABarsEdge = 3;

bool squareEdged(const DarkShape& piece) {
  const std::vector<int> dark = darkPerRow(piece.pixels.get());
  return 4 * dark.front() >= kQuartersOfABarsEdge * piece.width &&
         4 * dark.back() >= kQuartersOfABarsEdge * piece.width;
}

// The dark grounds within `shape`, which is none as a whole: a reverse-video
// bar that the letters of the line above touch, a title bar joined to its
// window's frame. Each is a piece of a run of rows lying across the shape, as
// high as a ground or higher, with square edges above and below.
std::vector<DarkShape> groundsWithin(const DarkShape& shape) {
  std::vector<DarkShape> grounds;
  const std::vector<int> dark = darkPerRow(shape.pixels.get());
  for (int top = 0; top < shape.height;) {
    int bottom = top;
    while (bottom < shape.height && kRowsAcrossAGround * dark[bottom] >= shape.width) ++bottom;
    if (bottom - top >= kGroundHeight && bottom - top < shape.height) {
      const BoxPointer rows(boxCreate(0, top, shape.width, bottom - top));
      const PixPointer band(
          rows == nullptr ? nullptr : pixClipRectangle(shape.pixels.get(), rows.get(), nullptr));
      if (band == nullptr) throw RecognitionError("the picture cannot be levelled");
      for (DarkShape& piece : connectedPieces(band.get(), 8)) {
        piece.x += shape.x;
        piece.y += shape.y + top;
        if (isDarkGround(piece) && squareEdged(piece)) grounds.push_back(std::move(piece));
      }
    }
    top = std::max(bottom, top + 1);
  }
  return grounds;
}

// What `ground` encloses, and what it would enclose if it were closed along
// one side of its box: a light letter whose descender reaches the foot of its
// reverse-video bar. Not what lies in a corner of the box, outside a round
// corner.
PixPointer enclosedButOnOneSide(const DarkShape& ground) {
  PixPointer enclosed = enclosedBy(ground);
  for (const int side : {0, 1, 2, 3}) {
    const int left = side == 0 ? 1 : 0;
    const int right = side == 1 ? 1 : 0;
    const int top = side == 2 ? 1 : 0;
    const int bottom = side == 3 ? 1 : 0;
    const PixPointer closed(
        pixAddBlackOrWhiteBorder(ground.pixels.get(), left, right, top, bottom, L_SET_BLACK));
    const PixPointer holes(closed == nullptr ? nullptr : pixHolesByFilling(closed.get(), 4));
    const PixPointer within(
        holes == nullptr ? nullptr : pixRemoveBorderGeneral(holes.get(), left, right, top, bottom));
    if (within == nullptr) throw RecognitionError("the shapes of the picture cannot be filled");
    pixOr(enclosed.get(), enclosed.get(), within.get());
  }
  return enclosed;
}

// The part of `ground`'s box to turn: the ground and the light letters it
// encloses, not the light grounds. None for a ground of noise.
PixPointer areaToTurn(const DarkShape& ground, const std::vector<DarkShape>& shapes) {
  PixPointer area = enclosedButOnOneSide(ground);
  // A ground of noise encloses light specks by the hundred thousand, whose
  // pixels would take gigabytes: nothing of it is turned.
  l_int32 pieces = 0;
  if (pixCountConnComp(area.get(), 4, &pieces) != 0) {
    throw RecognitionError("the picture cannot be levelled");
  }
  if (pieces > kMostEnclosures) return nullptr;
  for (const DarkShape& enclosure : connectedPieces(area.get(), 4)) {
    const bool large = enclosure.width > kLargestLetter || enclosure.height > kLargestLetter;
    // The enclosure's box within the picture, so that its shapes can be found.
    const DarkShape placed{ground.x + enclosure.x, ground.y + enclosure.y, enclosure.width,
                           enclosure.height, nullptr};
    if (large || shapesEnclosed(placed, enclosure.pixels.get(), shapes, kShapesOfALightGround) >=
                     kShapesOfALightGround) {
      pixRasterop(area.get(), enclosure.x, enclosure.y, enclosure.width, enclosure.height,
                  PIX_DST & PIX_NOT(PIX_SRC), enclosure.pixels.get(), 0, 0);
    }
  }
  pixRasterop(area.get(), 0, 0, ground.width, ground.height, PIX_SRC | PIX_DST, ground.pixels.get(),
              0, 0);
  return area;
}

// The mean grey of the ground's own pixels, rounded as Leptonica's mean in
// single precision of the exact sum is. The words of the ground's pixels that
// hold none of them are passed over.
int groundGrey(Pix* grey, const DarkShape& ground) {
  const l_uint32* const greyRows = pixGetData(grey);
  const int greyWords = pixGetWpl(grey);
  const l_uint32* const ownRows = pixGetData(ground.pixels.get());
  const int ownWords = pixGetWpl(ground.pixels.get());
  std::uint64_t sum = 0;
  std::uint64_t count = 0;
  for (int y = 0; y < ground.height; ++y) {
    const l_uint32* const greyRow = greyRows + (ground.y + y) * greyWords;
    const l_uint32* const ownRow = ownRows + y * ownWords;
    for (int word = 0; word < ownWords; ++word) {
      if (ownRow[word] == 0) continue;
      for (int x = 32 * word; x < std::min(32 * word + 32, ground.width); ++x) {
        if (!GET_DATA_BIT(ownRow, x)) continue;
        sum += GET_DATA_BYTE(greyRow, ground.x + x);
        ++count;
      }
    }
  }
  if (count == 0) throw RecognitionError("the picture cannot be levelled");
  const auto mean = static_cast<l_float32>(static_cast<double>(sum) / static_cast<double>(count));
  return static_cast<int>(mean + 0.5f);
}


// Turns the grounds among `shapes` of `grey`, those that `turns` chooses.
template <typename Turns>
void levelGroundsOf(Pix* grey, const std::vector<DarkShape>& shapes, Turns turns) {
  // What has been turned already, so that a ground inside another one's
  // letters is not turned back.
  const PixPointer turned(pixCreate(pixGetWidth(grey), pixGetHeight(grey), 1));
  if (turned == nullptr) throw RecognitionError("the picture cannot be levelled");
  l_uint32* const greyRows = pixGetData(grey);
  const int greyWords = pixGetWpl(grey);
  l_uint32* const turnedRows = pixGetData(turned.get());
  const int turnedWords = pixGetWpl(turned.get());
  const auto turn = [&](const DarkShape& shape) {
    const PixPointer area = areaToTurn(shape, shapes);
    if (area == nullptr || !turns(shape, area.get())) return;
    // Inverted, the ground becomes this light; it is stretched to white and
    // what is written on it keeps its darkness.
    const int light = std::max(1, 255 - groundGrey(grey, shape));
    const l_uint32* const areaRows = pixGetData(area.get());
    const int areaWords = pixGetWpl(area.get());
    for (int y = 0; y < shape.height; ++y) {
      const l_uint32* const areaRow = areaRows + y * areaWords;
      l_uint32* const greyRow = greyRows + (shape.y + y) * greyWords;
      l_uint32* const turnedRow = turnedRows + (shape.y + y) * turnedWords;
      for (int x = 0; x < shape.width; ++x) {
        const int at = shape.x + x;
        if (!GET_DATA_BIT(areaRow, x) || GET_DATA_BIT(turnedRow, at)) continue;
        const int inverted = 255 - GET_DATA_BYTE(greyRow, at);
        SET_DATA_BYTE(greyRow, at, std::min(255, inverted * 255 / light));
        SET_DATA_BIT(turnedRow, at);
      }
    }
  };
  for (const DarkShape& shape : shapes) {
    if (isDarkGround(shape)) {
      turn(shape);
    } else if (shape.width >= kGroundWidth && shape.height >= kGroundHeight) {
      for (const DarkShape& ground : groundsWithin(shape)) turn(ground);
    }
  }
}

// Whether some run of `ground`'s columns, its light pixels at most a
// ground's height apart, holds light pixels enough beside the ground's own
// across it: a bar's short title, which is too little beside the whole of a
// wide bar. Only what the ground encloses counts: a light edge, or a letter
// of the dark ground around it that a bar's end cuts, is no title.
bool holdsATitle(const DarkShape& ground, Pix* area) {
  const PixPointer enclosed = enclosedBy(ground);
  pixAnd(enclosed.get(), enclosed.get(), area);
  pixSubtract(enclosed.get(), enclosed.get(), ground.pixels.get());
  const std::vector<int> light = darkPerColumn(enclosed.get());
  const std::vector<int> own = darkPerColumn(ground.pixels.get());
  long long lightOfRun = 0;
  long long ownOfRun = 0;
  int gap = 0;
  for (int x = 0; x < ground.width; ++x) {
    gap = light[x] == 0 ? gap + 1 : 0;
    if (gap > ground.height) {
      lightOfRun = 0;
      ownOfRun = 0;
      continue;
    }
    lightOfRun += light[x];
    ownOfRun += own[x];
    // Fewer light pixels than a letter is high are specks.
    if (lightOfRun >= kGroundHeight && lightOfRun * kLightLetterShare >= ownOfRun) return true;
  }
  return false;
}

// Whether `area`, what is to be turned in `ground`'s box, holds light
// letters besides the ground: enough pixels that are not the ground's own,
// over the whole ground or in a title.
bool holdsLightLetters(const DarkShape& ground, Pix* area) {
  l_int32 all = 0;
  l_int32 own = 0;
  pixCountPixels(area, &all, nullptr);
  pixCountPixels(ground.pixels.get(), &own, nullptr);
  return static_cast<long long>(all - own) * kLightLetterShare >= own || holdsATitle(ground, area);
}

}  // namespace

void levelGrounds(Pix* grey) {
  // Dark grounds, whatever is written on them.
  levelGroundsOf(grey, darkShapesOf(grey), [](const DarkShape&, Pix*) { return true; });
  // Then mid-tone ones, a title bar's or a coloured button's, only where what
  // they hold is lighter than they are: dark text on them is one shape with
  // them, and holds no light letters.
  levelGroundsOf(grey, darkShapesOf(grey, kMidTone), holdsLightLetters);
}

void whitenGrounds(Pix* grey) {
  const PixPointer ground = closedGrey(grey, kGroundReach);
  l_uint32* const greyRows = pixGetData(grey);
  const int greyWords = pixGetWpl(grey);
  const l_uint32* const groundRows = pixGetData(ground.get());
  const int groundWords = pixGetWpl(ground.get());
  const int width = pixGetWidth(grey);
  const auto whiten = [](l_uint32* greyRow, const l_uint32* groundRow, int x) {
    const int light = std::max(1, static_cast<int>(GET_DATA_BYTE(groundRow, x)));
    SET_DATA_BYTE(greyRow, x, std::min(255, static_cast<int>(GET_DATA_BYTE(greyRow, x)) * 255 / light));
  };
  for (int y = 0; y < pixGetHeight(grey); ++y) {
    l_uint32* const greyRow = greyRows + y * greyWords;
    const l_uint32* const groundRow = groundRows + y * groundWords;
    // Most of a screen is on a white ground already, where nothing changes:
    // four greys at a time are passed over.
    for (int word = 0; word < width / 4; ++word) {
      if (groundRow[word] == 0xffffffff) continue;
      for (int x = 4 * word; x < 4 * word + 4; ++x) whiten(greyRow, groundRow, x);
    }
    for (int x = width / 4 * 4; x < width; ++x) whiten(greyRow, groundRow, x);
  }
}

}  // namespace mivo::platform
