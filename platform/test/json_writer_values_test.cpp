#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "platform/foundation/json_writing.h"

namespace mivo::foundation {
namespace {

TEST(JsonObjectWriter, WritesBooleansAndNumbersThatReadBackTheSame) {
  const struct {
    double value;
    std::string written;
  } rows[] = {
      {0, R"({"v":0})"},
      {-0.0, R"({"v":-0})"},
      {1512, R"({"v":1512})"},
      {-3.25, R"({"v":-3.25})"},
      {0.1, R"({"v":0.1})"},
      {1.0 / 3, R"({"v":0.3333333333333333})"},
      {9007199254740993.0, R"({"v":9007199254740992})"},
      {1e300, R"({"v":1e+300})"},
      {5e-324, R"({"v":5e-324})"},
      {std::numeric_limits<double>::lowest(), R"({"v":-1.7976931348623157e+308})"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.written);
    JsonObjectWriter object;
    object.addNumber("v", row.value);
    EXPECT_EQ(object.text(), row.written);
  }

  JsonObjectWriter object;
  object.addBoolean("yes", true);
  object.addBoolean("no", false);
  object.addNumber("n/m", 2);
  EXPECT_EQ(object.text(), R"({"yes":true,"no":false,"n\/m":2})");
}

TEST(JsonObjectWriter, RefusesNumbersJsonCannotWrite) {
  for (const double value :
       {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
        -std::numeric_limits<double>::infinity()}) {
    SCOPED_TRACE(value);
    JsonObjectWriter object;
    EXPECT_THROW(object.addNumber("v", value), EncodingError);
    EXPECT_EQ(object.text(), "{}");
  }
}

TEST(JsonObjectWriter, WritesArraysOfNumbersAndRefusesOnesItCannotWrite) {
  JsonObjectWriter object;
  object.addNumberArray("points", {1512, 982});
  object.addNumberArray("none", {});
  object.addNumberArray("mixed", {-0.5, 1e21});
  EXPECT_EQ(object.text(), R"({"points":[1512,982],"none":[],"mixed":[-0.5,1e+21]})");

  JsonObjectWriter refusing;
  EXPECT_THROW(refusing.addNumberArray("v", {1, std::numeric_limits<double>::infinity()}),
               EncodingError);
  EXPECT_EQ(refusing.text(), "{}");
}

}  // namespace
}  // namespace mivo::foundation
