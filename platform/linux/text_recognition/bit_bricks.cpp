#include "platform/linux/text_recognition/bit_bricks.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/text_recognition.h"

namespace mivo::platform {
namespace {

// A row of Leptonica's 1-bit pixels: 32 to a word, the first the most
// significant bit; words past either end read as off.
class BitRow {
 public:
  BitRow(l_uint32* words, int count) : words_(words), count_(count) {}

  l_uint32* words() const { return words_; }
  int count() const { return count_; }

  // Each word becomes `join` of itself and the 32 pixels `shift` along
  // (negative: before). Read ahead, the row is walked forward, read behind,
  // backward, so that each word is read before it is written.
  template <typename Join>
  void joinShifted(int shift, Join join) const {
    const int whole = shift >= 0 ? shift / 32 : -((-shift + 31) / 32);
    const int bits = shift - 32 * whole;
    const auto word = [this](int i) { return i >= 0 && i < count_ ? words_[i] : l_uint32{0}; };
    const auto at = [&](int i) {
      // Words inside the row need no check for its ends.
      const bool inside = i + whole >= 0 && i + whole + 1 < count_;
      const l_uint32 first = inside ? words_[i + whole] : word(i + whole);
      if (bits == 0) return first;
      const l_uint32 second = inside ? words_[i + whole + 1] : word(i + whole + 1);
      return (first << bits) | (second >> (32 - bits));
    };
    if (shift >= 0) {
      for (int i = 0; i < count_; ++i) words_[i] = join(words_[i], at(i));
    } else {
      for (int i = count_ - 1; i >= 0; --i) words_[i] = join(words_[i], at(i));
    }
  }

 private:
  l_uint32* words_;
  int count_;
};

constexpr auto kAnd = [](l_uint32 a, l_uint32 b) { return a & b; };
constexpr auto kOr = [](l_uint32 a, l_uint32 b) { return a | b; };
constexpr auto kOther = [](l_uint32, l_uint32 b) { return b; };

// Doubling: once each pixel stands for the run of `run` pixels from it on
// (`step` 1) or back (-1), a join with the pixel `run` along makes it stand
// for twice as many; two overlapping runs make any `length`.
template <typename Join>
void runsOf(int length, int step, Join join) {
  int run = 1;
  for (; 2 * run <= length; run *= 2) join(step * run);
  if (run < length) join(step * (length - run));
}

// Eroded, each pixel is the run of the brick's pixels that begins its
// origin's `length` / 2 before it. Dilated, the run around it, from
// `length` - 1 - `length` / 2 before it to `length` / 2 after: a run ahead
// and one behind, each of which meets the picture's edge as pixels off.
void bricksAcross(Pix* bits, int length, bool all) {
  if (length <= 1) return;
  const int width = pixGetWidth(bits);
  const int words = pixGetWpl(bits);
  l_uint32* const data = pixGetData(bits);
  std::vector<l_uint32> behind(static_cast<std::size_t>(words));
  for (int y = 0; y < pixGetHeight(bits); ++y) {
    const BitRow row(data + y * words, words);
    if (all) {
      runsOf(length, 1, [&](int shift) { row.joinShifted(shift, kAnd); });
      row.joinShifted(-(length / 2), kOther);
    } else {
      const BitRow back(behind.data(), words);
      std::copy(row.words(), row.words() + words, behind.begin());
      runsOf(length / 2 + 1, 1, [&](int shift) { row.joinShifted(shift, kOr); });
      runsOf(length - length / 2, -1, [&](int shift) { back.joinShifted(shift, kOr); });
      for (int i = 0; i < words; ++i) row.words()[i] |= behind[i];
    }
    // Shifted on, pixels went past the last one into the row's padding.
    if (width % 32 != 0) row.words()[width / 32] &= ~(~l_uint32{0} >> (width % 32));
  }
}

void bricksDown(Pix* bits, int length, bool all) {
  if (length <= 1) return;
  const int height = pixGetHeight(bits);
  const int words = pixGetWpl(bits);
  const auto rowOf = [words](l_uint32* data, int y) { return data + static_cast<std::size_t>(y) * words; };
  // Each row joined with the one `shift` rows along, walked so that each is
  // read before it is written; rows past the edges are off.
  const auto joinRows = [&](l_uint32* data, int shift, bool and_) {
    for (int i = 0; i < height; ++i) {
      const int y = shift >= 0 ? i : height - 1 - i;
      l_uint32* const into = rowOf(data, y);
      const int other = y + shift;
      if (other < 0 || other >= height) {
        if (and_) std::fill(into, into + words, 0);
        continue;
      }
      const l_uint32* const from = rowOf(data, other);
      for (int w = 0; w < words; ++w) into[w] = and_ ? into[w] & from[w] : into[w] | from[w];
    }
  };
  l_uint32* const data = pixGetData(bits);
  if (all) {
    runsOf(length, 1, [&](int shift) { joinRows(data, shift, true); });
    const int down = length / 2;
    for (int y = height - 1; y >= 0; --y) {
      if (y >= down) {
        std::copy(rowOf(data, y - down), rowOf(data, y - down) + words, rowOf(data, y));
      } else {
        std::fill(rowOf(data, y), rowOf(data, y) + words, 0);
      }
    }
    return;
  }
  std::vector<l_uint32> behind(data, data + static_cast<std::size_t>(words) * height);
  runsOf(length / 2 + 1, 1, [&](int shift) { joinRows(data, shift, false); });
  runsOf(length - length / 2, -1, [&](int shift) { joinRows(behind.data(), shift, false); });
  for (std::size_t i = 0; i < behind.size(); ++i) data[i] |= behind[i];
}

PixPointer copied(Pix* bits) {
  PixPointer copy(pixCopy(nullptr, bits));
  if (copy == nullptr) throw RecognitionError("the picture's shapes cannot be measured");
  pixSetPadBits(copy.get(), 0);
  return copy;
}

}  // namespace

PixPointer erodedByBrick(Pix* bits, int width, int height) {
  PixPointer eroded = copied(bits);
  bricksAcross(eroded.get(), width, true);
  bricksDown(eroded.get(), height, true);
  return eroded;
}

PixPointer dilatedByBrick(Pix* bits, int width, int height) {
  PixPointer dilated = copied(bits);
  bricksAcross(dilated.get(), width, false);
  bricksDown(dilated.get(), height, false);
  return dilated;
}

PixPointer openedByBrick(Pix* bits, int width, int height) {
  PixPointer opened = erodedByBrick(bits, width, height);
  bricksAcross(opened.get(), width, false);
  bricksDown(opened.get(), height, false);
  return opened;
}

}  // namespace mivo::platform
