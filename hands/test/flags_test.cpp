#include "hands/flags.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mivo::hands {
namespace {

TEST(Flags, MapsEveryModifierNameInAnyCase) {
  const struct {
    std::vector<std::string> names;
    platform::EventFlags mask;
  } rows[] = {
      {{"cmd"}, 0x100000},
      {{"command"}, 0x100000},
      {{"super"}, 0x100000},
      {{"meta"}, 0x100000},
      {{"win"}, 0x100000},
      {{"ctrl"}, 0x40000},
      {{"control"}, 0x40000},
      {{"alt"}, 0x80000},
      {{"option"}, 0x80000},
      {{"opt"}, 0x80000},
      {{"shift"}, 0x20000},
      {{"fn"}, 0x800000},
      {{"CMD"}, 0x100000},
      {{"Shift"}, 0x20000},
      {{"fN"}, 0x800000},
      {{}, 0},
      {{"cmd", "command"}, 0x100000},
      {{"ctrl", "alt", "shift", "cmd", "fn"}, 0x9e0000},
      {{"hyper", "", " shift", "shift "}, 0},
      {{"nothing", "opt"}, 0x80000},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.names));
    EXPECT_EQ(flags(row.names), row.mask);
  }
}

TEST(PlusSeparatedPieces, DropsOnlyTheEmptyPieces) {
  const struct {
    std::string text;
    std::vector<std::string> pieces;
  } rows[] = {
      {"", {}},
      {"+", {}},
      {"++", {}},
      {"cmd", {"cmd"}},
      {"cmd+shift", {"cmd", "shift"}},
      {"+cmd++shift+", {"cmd", "shift"}},
      {"cmd + shift", {"cmd ", " shift"}},
      {" ", {" "}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(plusSeparatedPieces(row.text), row.pieces);
  }
}

}  // namespace
}  // namespace mivo::hands
