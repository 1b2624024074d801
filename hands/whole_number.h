#pragma once

#include <cmath>
#include <concepts>
#include <limits>
#include <optional>

namespace mivo::hands {

// `value` truncated toward zero, when the whole number fits `Integer`; none
// for NaN, the infinities and whatever lies beyond the range, which no
// conversion may be asked to take.
template <std::signed_integral Integer>
std::optional<Integer> truncated(double value) {
  // -2^(n-1) and 2^(n-1), powers of two that a double holds exactly.
  constexpr double lowest = static_cast<double>(std::numeric_limits<Integer>::min());
  constexpr double beyond = -lowest;
  const double whole = std::trunc(value);
  if (!(whole >= lowest && whole < beyond)) return std::nullopt;
  return static_cast<Integer>(whole);
}

}  // namespace mivo::hands
