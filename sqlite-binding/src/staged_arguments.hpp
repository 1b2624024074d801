#pragma once

#include <node_api.h>

#include <cstddef>
#include <vector>

// The arguments of one call into script code: up to INLINE of them on the
// stack, more in one heap array, so that ordinary calls allocate nothing.
template <size_t INLINE>
class StagedArguments {
 public:
  explicit StagedArguments(size_t count) : count(count) {
    if (count > INLINE) heap.assign(count, nullptr);
  }

  napi_value* data() { return count > INLINE ? heap.data() : fixed; }
  napi_value& operator[](size_t i) { return data()[i]; }
  size_t size() const { return count; }

 private:
  size_t count;
  napi_value fixed[INLINE] = {};
  std::vector<napi_value> heap;
};
