#include "type_tags.hpp"

#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#include <bcrypt.h>

#include <cstdlib>
#else
#include <random>
#endif

namespace {

napi_type_tag FromDraws(uint64_t r1, uint64_t r2, uint64_t r3, uint64_t r4) {
  return napi_type_tag{(r1 << 32) | r2, (r3 << 32) | r4};
}

}  // namespace

#ifdef _WIN32

// The system's cryptographically secure generator, opened for this tag alone.
// Tags that could not be drawn would let one class's methods run on another's
// objects, so a generator that fails ends the process, as a failed
// std::random_device does elsewhere.
napi_type_tag DrawTypeTag() {
  BCRYPT_ALG_HANDLE generator = nullptr;
  if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&generator, BCRYPT_RNG_ALGORITHM, nullptr, 0))) std::abort();
  uint32_t draws[4];
  for (uint32_t& draw : draws) {
    if (!BCRYPT_SUCCESS(BCryptGenRandom(generator, reinterpret_cast<PUCHAR>(&draw), sizeof draw, 0))) {
      std::abort();
    }
  }
  BCryptCloseAlgorithmProvider(generator, 0);
  return FromDraws(draws[0], draws[1], draws[2], draws[3]);
}

#else

napi_type_tag DrawTypeTag() {
  std::random_device source("/dev/urandom");
  static_assert(sizeof(std::random_device::result_type) == 4);
  uint64_t r1 = source(), r2 = source(), r3 = source(), r4 = source();
  return FromDraws(r1, r2, r3, r4);
}

#endif
