#include "hands/point.h"

namespace mivo::hands {

std::optional<platform::Position> point(const Request& request, std::string_view key) {
  if (!key.empty()) {
    if (const auto pair = request.numbers(key, 2))
      return platform::Position{(*pair)[0], (*pair)[1]};
  }
  const std::optional<double> x = request.number("x");
  const std::optional<double> y = request.number("y");
  if (!x || !y) return std::nullopt;
  return platform::Position{*x, *y};
}

}  // namespace mivo::hands
