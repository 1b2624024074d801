#include "hands/key_codes.h"

#include <string_view>
#include <utility>

namespace mivo::hands {
namespace {

using platform::VirtualKeyCode;

struct KeyName {
  std::string_view name;
  VirtualKeyCode code;
};

// "delete" is the key that deletes backwards, as "backspace" is; the one that
// deletes forwards is "forwarddelete".
constexpr KeyName kNamedKeys[] = {
    {"return", 36},      {"enter", 36},        {"kp_enter", 76},  {"tab", 48},
    {"space", 49},       {"backspace", 51},    {"delete", 51},    {"forwarddelete", 117},
    {"escape", 53},      {"esc", 53},          {"left", 123},     {"right", 124},
    {"down", 125},       {"up", 126},          {"home", 115},     {"end", 119},
    {"page_up", 116},    {"pageup", 116},      {"prior", 116},    {"page_down", 121},
    {"pagedown", 121},   {"next", 121},        {"f1", 122},       {"f2", 120},
    {"f3", 99},          {"f4", 118},          {"f5", 96},        {"f6", 97},
    {"f7", 98},          {"f8", 100},          {"f9", 101},       {"f10", 109},
    {"f11", 103},        {"f12", 111},         {"minus", 27},     {"equal", 24},
    {"bracketleft", 33}, {"bracketright", 30}, {"semicolon", 41}, {"apostrophe", 39},
    {"comma", 43},       {"period", 47},       {"slash", 44},     {"backslash", 42},
    {"grave", 50},
};

constexpr KeyName kLetters[] = {
    {"a", 0},  {"s", 1},  {"d", 2},  {"f", 3},  {"h", 4},  {"g", 5},  {"z", 6},
    {"x", 7},  {"c", 8},  {"v", 9},  {"b", 11}, {"q", 12}, {"w", 13}, {"e", 14},
    {"r", 15}, {"y", 16}, {"t", 17}, {"o", 31}, {"u", 32}, {"i", 34}, {"p", 35},
    {"l", 37}, {"j", 38}, {"k", 40}, {"n", 45}, {"m", 46},
};

// The codes of the digits 0 to 9, in that order.
constexpr VirtualKeyCode kDigitCodes[] = {29, 18, 19, 20, 21, 23, 22, 26, 28, 25};

// Each character stands for the named key after it.
constexpr std::pair<std::string_view, std::string_view> kPunctuation[] = {
    {"-", "minus"},     {"=", "equal"},      {"[", "bracketleft"}, {"]", "bracketright"},
    {";", "semicolon"}, {"'", "apostrophe"}, {",", "comma"},       {".", "period"},
    {"/", "slash"},     {"\\", "backslash"}, {"`", "grave"},
};

}  // namespace

const std::map<std::string, VirtualKeyCode, std::less<>>& keyCodes() {
  static const std::map<std::string, VirtualKeyCode, std::less<>> codes = [] {
    std::map<std::string, VirtualKeyCode, std::less<>> built;
    for (const KeyName& key : kNamedKeys) built.emplace(key.name, key.code);
    for (const KeyName& key : kLetters) built.emplace(key.name, key.code);
    for (int digit = 0; digit <= 9; ++digit)
      built.emplace(std::to_string(digit), kDigitCodes[digit]);
    for (const auto& [alias, named] : kPunctuation) built.emplace(alias, built.find(named)->second);
    return built;
  }();
  return codes;
}

}  // namespace mivo::hands
