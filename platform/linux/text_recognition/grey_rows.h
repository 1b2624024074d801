#pragma once

#include <leptonica/allheaders.h>

#include <bit>
#include <cstdint>
#include <cstring>

namespace mivo::platform {

// Sixteen greys taken at once: the compiler makes one instruction of each
// comparison of lanes on any processor that has them.
using GreyLanes = std::uint8_t __attribute__((vector_size(16)));
constexpr int kGreyLanes = sizeof(GreyLanes);

// A Leptonica row of 8-bit greys holds them in 32-bit words, the first grey
// the word's most significant byte: in memory, on a little-endian processor,
// each word's four bytes are in reverse order. These copy a row of `width`
// greys between a picture and an array of one byte a grey, four at a time.
inline void unpackedRow(const l_uint32* words, int width, std::uint8_t* greys) {
  const int whole = width / 4;
  for (int i = 0; i < whole; ++i) {
    l_uint32 word = words[i];
    if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap32(word);
    std::memcpy(greys + 4 * i, &word, 4);
  }
  for (int x = 4 * whole; x < width; ++x) greys[x] = GET_DATA_BYTE(words, x);
}

inline void packedRow(const std::uint8_t* greys, int width, l_uint32* words) {
  const int whole = width / 4;
  for (int i = 0; i < whole; ++i) {
    l_uint32 word = 0;
    std::memcpy(&word, greys + 4 * i, 4);
    if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap32(word);
    words[i] = word;
  }
  for (int x = 4 * whole; x < width; ++x) SET_DATA_BYTE(words, x, greys[x]);
}

}  // namespace mivo::platform
