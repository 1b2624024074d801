#pragma once

#include <cstddef>
#include <numeric>
#include <vector>

namespace mivo::platform {

// Things numbered 0 to count - 1, joined into groups two by two; each group
// is named by one of its members.
class Groups {
 public:
  explicit Groups(std::size_t count) : parent_(count) {
    std::iota(parent_.begin(), parent_.end(), 0);
  }

  // The member that names the group of `i`.
  std::size_t root(std::size_t i) {
    while (parent_[i] != i) i = parent_[i] = parent_[parent_[i]];
    return i;
  }

  void join(std::size_t a, std::size_t b) { parent_[root(b)] = root(a); }

 private:
  std::vector<std::size_t> parent_;
};

}  // namespace mivo::platform
