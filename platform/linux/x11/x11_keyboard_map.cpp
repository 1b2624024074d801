#include "platform/linux/x11/x11_keyboard_map.h"

#include <X11/XKBlib.h>
#include <X11/keysym.h>

#include <algorithm>

namespace mivo::platform {
namespace {

struct ModifierKey {
  KeyCode code;
  unsigned mask;
};

// The key that gives `keysym` and the modifiers it sets; none when the map
// has no such key or binds it to no modifier.
std::optional<ModifierKey> modifierKey(Display* display, XkbDescPtr xkb, KeySym keysym) {
  const KeyCode code = XKeysymToKeycode(display, keysym);
  if (code == 0 || xkb->map->modmap[code] == 0) return std::nullopt;
  return ModifierKey{code, xkb->map->modmap[code]};
}

// The sets of modifier keys that may be held around a key, the fewest first.
std::vector<std::vector<ModifierKey>> modifierChoices(Display* display, XkbDescPtr xkb) {
  const std::optional<ModifierKey> shift = modifierKey(display, xkb, XK_Shift_L);
  const std::optional<ModifierKey> level3 = modifierKey(display, xkb, XK_ISO_Level3_Shift);
  std::vector<std::vector<ModifierKey>> choices = {{}};
  if (shift) choices.push_back({*shift});
  if (level3) choices.push_back({*level3});
  if (shift && level3) choices.push_back({*shift, *level3});
  return choices;
}

// The group of its own that a key takes for the keyboard's `group`: a key
// with fewer groups wraps, clamps or redirects it, as its group info says.
int groupOfKey(XkbDescPtr xkb, KeyCode code, int group) {
  const int groups = XkbKeyNumGroups(xkb, code);
  if (group < groups) return group;
  const unsigned char info = XkbKeyGroupInfo(xkb, code);
  switch (XkbOutOfRangeGroupAction(info)) {
    case XkbClampIntoRange:
      return groups - 1;
    case XkbRedirectIntoRange: {
      const int redirected = XkbOutOfRangeGroupNumber(info);
      return redirected < groups ? redirected : 0;
    }
    default:
      return group % groups;
  }
}

// The level that the key type gives for the modifiers `mods`: the first
// active entry for exactly the type's modifiers among them, else the first.
int levelOf(const XkbKeyTypeRec& type, unsigned mods) {
  const unsigned relevant = mods & type.mods.mask;
  for (int i = 0; i < type.map_count; ++i) {
    const XkbKTMapEntryRec& entry = type.map[i];
    if (entry.active && entry.mods.mask == relevant) return entry.level;
  }
  return 0;
}

}  // namespace

X11KeyboardMap::X11KeyboardMap(Display* display) {
  findPlaces(display);
  findSpareKeyCodes(display);
}

std::optional<X11KeyboardMap::Place> X11KeyboardMap::find(KeySym keysym) const {
  const auto found = places_.find(keysym);
  if (found == places_.end()) return std::nullopt;
  return found->second;
}

void X11KeyboardMap::findPlaces(Display* display) {
  int opcode = 0;
  int event = 0;
  int error = 0;
  int major = XkbMajorVersion;
  int minor = XkbMinorVersion;
  if (!XkbQueryExtension(display, &opcode, &event, &error, &major, &minor)) return;
  xkb_ = true;
  XkbDescPtr xkb = XkbGetMap(display, XkbKeyTypesMask | XkbKeySymsMask | XkbModifierMapMask,
                             XkbUseCoreKbd);
  if (xkb == nullptr) return;
  XkbStateRec state{};
  XkbGetState(display, XkbUseCoreKbd, &state);
  // What a key press finds in effect besides the modifiers held for it.
  const unsigned locked = state.locked_mods | state.latched_mods;
  capitals_locked_ = (locked & LockMask) != 0;
  for (const std::vector<ModifierKey>& choice : modifierChoices(display, xkb)) {
    unsigned held = locked;
    std::vector<KeyCode> modifiers;
    for (const ModifierKey& key : choice) {
      held |= key.mask;
      modifiers.push_back(key.code);
    }
    for (int code = xkb->min_key_code; code <= xkb->max_key_code; ++code) {
      const auto key = static_cast<KeyCode>(code);
      if (XkbKeyNumGroups(xkb, key) == 0) continue;
      const int group = groupOfKey(xkb, key, state.group);
      const XkbKeyTypeRec& type = *XkbKeyKeyType(xkb, key, group);
      const int level = levelOf(type, held);
      if (level >= type.num_levels) continue;
      const KeySym keysym = XkbKeySymEntry(xkb, key, level, group);
      if (keysym != NoSymbol) places_.emplace(keysym, Place{key, modifiers});
    }
  }
  XkbFreeKeyboard(xkb, 0, True);
}

void X11KeyboardMap::findSpareKeyCodes(Display* display) {
  int first = 0;
  int last = 0;
  XDisplayKeycodes(display, &first, &last);
  KeySym* map = XGetKeyboardMapping(display, static_cast<KeyCode>(first), last - first + 1,
                                    &keysyms_per_keycode_);
  if (map == nullptr) return;
  for (int code = first; code <= last; ++code) {
    const KeySym* row = map + (code - first) * keysyms_per_keycode_;
    if (std::all_of(row, row + keysyms_per_keycode_,
                    [](KeySym keysym) { return keysym == NoSymbol; })) {
      spare_.push_back(static_cast<KeyCode>(code));
    }
  }
  XFree(map);
}

}  // namespace mivo::platform
