#pragma once

#include <X11/Xlib.h>

#include <optional>
#include <unordered_map>
#include <vector>

namespace mivo::platform {

// Where the display's keyboard map, as it stands when this is made, has each
// keysym: on which keycode, and with which modifier keys held so that the
// key gives it. A keysym counts as there when a key has it, in the keyboard
// group in effect, on a level that no modifier reaches but Shift, the
// level-3 modifier (ISO_Level3_Shift, AltGr on most layouts) or both; the
// modifiers already locked (Caps Lock, Num Lock) are taken into account. Of
// several places the one with the fewest modifiers is taken, then the lowest
// keycode.
//
// The levels are those of the XKB key types, which is how clients look keys
// up; a display without XKB has no places, so that every character is typed
// on a spare keycode. The spare keycodes are those with no keysym at all.
class X11KeyboardMap {
 public:
  struct Place {
    KeyCode code;
    // Pressed, in this order, before the key, and released after it.
    std::vector<KeyCode> modifiers;
  };

  explicit X11KeyboardMap(Display* display);

  // None when no key gives `keysym`.
  std::optional<Place> find(KeySym keysym) const;

  const std::vector<KeyCode>& spareKeyCodes() const { return spare_; }
  // How many keysyms each keycode has in the core map, for binding one.
  int keysymsPerKeyCode() const { return keysyms_per_keycode_; }
  // Whether the display has XKB.
  bool hasXkb() const { return xkb_; }
  // Whether the Lock modifier (Caps Lock) is locked or latched.
  bool capitalsLocked() const { return capitals_locked_; }

 private:
  void findPlaces(Display* display);
  void findSpareKeyCodes(Display* display);

  std::unordered_map<KeySym, Place> places_;
  std::vector<KeyCode> spare_;
  int keysyms_per_keycode_ = 0;
  bool xkb_ = false;
  bool capitals_locked_ = false;
};

}  // namespace mivo::platform
