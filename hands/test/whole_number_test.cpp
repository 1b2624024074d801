#include "hands/whole_number.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>

namespace mivo::hands {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

TEST(Truncated, TowardZeroWithinTheRangeAndNoneBeyondIt) {
  const struct {
    double value;
    std::optional<std::int32_t> to32;
    std::optional<std::int64_t> to64;
  } rows[] = {
      {0, 0, 0},
      {-0.0, 0, 0},
      {2.7, 2, 2},
      {-2.7, -2, -2},
      {0.9, 0, 0},
      {2147483647.9, 2147483647, 2147483647},
      {2147483648.0, std::nullopt, 2147483648},
      {-2147483648.9, -2147483648, -2147483648},
      {-2147483649.0, std::nullopt, -2147483649},
      // The largest double below 2^63, and 2^63 itself.
      {9223372036854774784.0, std::nullopt, 9223372036854774784},
      {9223372036854775808.0, std::nullopt, std::nullopt},
      {-9223372036854775808.0, std::nullopt, std::numeric_limits<std::int64_t>::min()},
      {-9223372036854777856.0, std::nullopt, std::nullopt},
      {1e300, std::nullopt, std::nullopt},
      {kInfinity, std::nullopt, std::nullopt},
      {-kInfinity, std::nullopt, std::nullopt},
      {kNaN, std::nullopt, std::nullopt},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.value);
    EXPECT_EQ(truncated<std::int32_t>(row.value), row.to32);
    EXPECT_EQ(truncated<std::int64_t>(row.value), row.to64);
  }
}

}  // namespace
}  // namespace mivo::hands
