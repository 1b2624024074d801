#include "platform/linux/text_recognition/grey_range.h"

#include <cstdint>
#include <cstring>

#include "platform/linux/text_recognition/grey_rows.h"

namespace mivo::platform {

GreyRange greyRangeOf(Pix* grey) {
  const int width = pixGetWidth(grey);
  const int words = pixGetWpl(grey);
  const l_uint32* const rows = pixGetData(grey);
  GreyLanes darkest;
  GreyLanes lightest;
  std::memset(&darkest, 255, kGreyLanes);
  std::memset(&lightest, 0, kGreyLanes);
  int low = 255;
  int high = 0;
  // The order of the greys within a row's words does not matter to their
  // range: the bytes of whole words are taken as they lie in memory, the
  // greys of the last, partly filled word one by one.
  const int wholeBytes = width / 4 * 4;
  for (int y = 0; y < pixGetHeight(grey); ++y) {
    const l_uint32* const row = rows + y * words;
    const auto* const bytes = reinterpret_cast<const std::uint8_t*>(row);
    int x = 0;
    for (; x + kGreyLanes <= wholeBytes; x += kGreyLanes) {
      GreyLanes these;
      std::memcpy(&these, bytes + x, kGreyLanes);
      darkest = these < darkest ? these : darkest;
      lightest = these > lightest ? these : lightest;
    }
    for (; x < wholeBytes; ++x) {
      low = bytes[x] < low ? bytes[x] : low;
      high = bytes[x] > high ? bytes[x] : high;
    }
    for (x = wholeBytes; x < width; ++x) {
      const int value = static_cast<int>(GET_DATA_BYTE(row, x));
      low = value < low ? value : low;
      high = value > high ? value : high;
    }
  }
  for (int i = 0; i < kGreyLanes; ++i) {
    low = darkest[i] < low ? darkest[i] : low;
    high = lightest[i] > high ? lightest[i] : high;
  }
  return {low, high};
}

}  // namespace mivo::platform
