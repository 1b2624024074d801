#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>

namespace mivo::platform {

// How many pixels Leptonica would decode from the picture open in `file`,
// read from the picture's headers without decoding any of it: the first
// image's width times its height, or for a GIF the larger of its first frame
// and the screen it is shown on. None when the headers cannot be read, claim no pixels, or belong to
// a format that Leptonica does not decode. Reads from the start of the file
// and leaves it anywhere.
std::optional<std::uint64_t> decodedPixelCount(std::FILE* file);

}  // namespace mivo::platform
