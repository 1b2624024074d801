#include "platform/linux/x11_text_typer.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "platform/linux/deferred_termination_signals.h"
#include "platform/linux/x11_display.h"
#include "platform/linux/x11_key_symbols.h"

namespace mivo::platform {
namespace {

bool isHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The characters of `units`, without a high surrogate at the end, which is
// left in `carried`.
std::u32string charactersOf(const std::u16string& units, std::u16string& carried) {
  std::u32string characters;
  for (std::size_t i = 0; i < units.size(); ++i) {
    const char16_t unit = units[i];
    if (isHighSurrogate(unit) && i + 1 == units.size()) {
      carried = unit;
    } else if (isHighSurrogate(unit) && isLowSurrogate(units[i + 1])) {
      characters += 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                    (static_cast<char32_t>(units[i + 1]) - 0xDC00);
      ++i;
    } else if (isHighSurrogate(unit) || isLowSurrogate(unit)) {
      characters += U'\uFFFD';
    } else {
      characters += unit;
    }
  }
  return characters;
}

// The keyboard map's keycodes that have no keysym on any level.
std::vector<KeyCode> spareKeyCodes(Display* display, int& keysyms_per_keycode) {
  int first = 0;
  int last = 0;
  XDisplayKeycodes(display, &first, &last);
  KeySym* map = XGetKeyboardMapping(display, static_cast<KeyCode>(first), last - first + 1,
                                    &keysyms_per_keycode);
  std::vector<KeyCode> spare;
  if (map == nullptr) return spare;
  for (int code = first; code <= last; ++code) {
    const KeySym* row = map + (code - first) * keysyms_per_keycode;
    if (std::all_of(row, row + keysyms_per_keycode,
                    [](KeySym keysym) { return keysym == NoSymbol; })) {
      spare.push_back(static_cast<KeyCode>(code));
    }
  }
  XFree(map);
  return spare;
}

// Spare keycodes bound to keysyms while this lives; the map is restored (to
// no keysym, as they were) when it ends.
class TemporaryBindings {
 public:
  TemporaryBindings(Display* display, int keysyms_per_keycode)
      : display_(display), keysyms_per_keycode_(keysyms_per_keycode) {}
  TemporaryBindings(const TemporaryBindings&) = delete;
  TemporaryBindings& operator=(const TemporaryBindings&) = delete;
  ~TemporaryBindings() {
    std::vector<KeySym> none(keysyms_per_keycode_, NoSymbol);
    for (const KeyCode code : bound_)
      XChangeKeyboardMapping(display_, code, keysyms_per_keycode_, none.data(), 1);
    XSync(display_, False);
  }

  void bind(KeyCode code, KeySym keysym) {
    std::vector<KeySym> everywhere(keysyms_per_keycode_, keysym);
    XChangeKeyboardMapping(display_, code, keysyms_per_keycode_, everywhere.data(), 1);
    bound_.push_back(code);
  }

 private:
  Display* display_;
  int keysyms_per_keycode_;
  std::vector<KeyCode> bound_;
};

// Binds the keysyms of the characters from `start` on to the spare keycodes,
// one keycode for each keysym, as far as they go, and presses and releases
// them in order; gives where it stopped.
std::size_t typeAsFarAsKeyCodesGo(Display* display, const std::u32string& characters,
                                  std::size_t start, const std::vector<KeyCode>& spare,
                                  TemporaryBindings& bindings) {
  std::vector<KeySym> bound;  // bound[i] on spare[i]
  std::vector<KeyCode> presses;
  std::size_t next = start;
  for (; next < characters.size(); ++next) {
    const KeySym keysym = keySymTyping(characters[next]);
    auto found = std::find(bound.begin(), bound.end(), keysym);
    if (found == bound.end()) {
      if (bound.size() == spare.size()) break;
      bindings.bind(spare[bound.size()], keysym);
      found = bound.insert(bound.end(), keysym);
    }
    presses.push_back(spare[found - bound.begin()]);
  }
  for (const KeyCode code : presses) {
    XTestFakeKeyEvent(display, code, True, CurrentTime);
    XTestFakeKeyEvent(display, code, False, CurrentTime);
  }
  return next;
}

}  // namespace

bool X11TextTyper::type(const std::u16string& units) {
  std::u16string carried;
  const std::u32string characters = charactersOf(carried_ + units, carried);
  carried_ = carried;
  if (characters.empty()) return true;

  Display* display = display_.handle();
  const DeferredTerminationSignals deferred;
  int keysyms_per_keycode = 0;
  const std::vector<KeyCode> spare = spareKeyCodes(display, keysyms_per_keycode);
  if (spare.empty()) return false;
  bool clean = true;
  for (std::size_t start = 0; start < characters.size();) {
    TemporaryBindings bindings(display, keysyms_per_keycode);
    start = typeAsFarAsKeyCodesGo(display, characters, start, spare, bindings);
    clean = display_.sync() && clean;
    // The clients read the map when they handle the presses, later.
    std::this_thread::sleep_for(kSettleTime);
  }
  return display_.sync() && clean;
}

}  // namespace mivo::platform
