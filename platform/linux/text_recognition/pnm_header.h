#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>

namespace mivo::platform {

// The largest sample a Netpbm or PAM file may hold.
constexpr std::uint32_t kLargestPnmSample = 65535;

// How a Netpbm picture (P1 to P6) or a PAM (P7) stores its pixels.
struct PnmLayout {
  std::int64_t width = 0;
  std::int64_t height = 0;
  std::uint32_t maxval = 1;
  int samples = 1;  // of a pixel: grey, grey and alpha, RGB or RGB and alpha
  bool ascii = false;
  bool bitmap = false;  // one bit a pixel, 1 black
};

// The first character at or after the file's position that is neither white
// space nor in a comment (from a "#" to the end of its line), or EOF.
int nextAfterSpaceAndComments(std::FILE* file);

// The layout that the header of the picture open in `file` gives, read from
// the file's position to the first byte of the pixels; comments may stand
// anywhere in it. None when it is no such header.
std::optional<PnmLayout> pnmLayout(std::FILE* file);

}  // namespace mivo::platform
