#include "type_tags.hpp"

#include <cstdint>
#include <random>

napi_type_tag DrawTypeTag() {
  std::random_device source("/dev/urandom");
  static_assert(sizeof(std::random_device::result_type) == 4);
  uint64_t r1 = source(), r2 = source(), r3 = source(), r4 = source();
  return napi_type_tag{(r1 << 32) | r2, (r3 << 32) | r4};
}
