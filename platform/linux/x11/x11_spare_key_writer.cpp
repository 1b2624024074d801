#include "platform/linux/x11/x11_spare_key_writer.h"

#include <X11/XKBlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstring>

namespace mivo::platform {
namespace {

constexpr unsigned kWhatIsWritten = XkbKeyTypesMask | XkbKeySymsMask;

// The capital of a small letter, the small letter of a capital, or the
// keysym itself where it has no other case.
KeySym otherCase(KeySym keysym) {
  KeySym lower = NoSymbol;
  KeySym upper = NoSymbol;
  XConvertCase(keysym, &lower, &upper);
  return upper != keysym ? upper : lower;
}

}  // namespace

X11SpareKeyWriter::X11SpareKeyWriter(Display* display, const std::vector<KeyCode>& spare,
                                     int keysyms_per_keycode, bool has_xkb, bool capitals_locked)
    : display_(display),
      keysyms_per_keycode_(keysyms_per_keycode),
      capitals_locked_(capitals_locked) {
  if (!has_xkb) return;
  XkbDescPtr xkb = XkbGetMap(display_, kWhatIsWritten, XkbUseCoreKbd);
  if (xkb == nullptr) return;
  xkb_ = true;
  for (const KeyCode code : spare) {
    const XkbSymMapRec& entry = xkb->map->key_sym_map[code];
    SpareKey key{code, {}, entry.group_info, entry.width};
    std::memcpy(key.kt_index, entry.kt_index, sizeof key.kt_index);
    spare_.push_back(key);
  }
  XkbFreeKeyboard(xkb, 0, True);
}

void X11SpareKeyWriter::write(const std::vector<Binding>& bindings) {
  if (bindings.empty()) return;
  if (xkb_) {
    writeWithXkb(bindings);
  } else {
    writeToTheCoreMap(bindings);
  }
}

void X11SpareKeyWriter::writeWithXkb(const std::vector<Binding>& bindings) {
  // The keys between the ones changed go back as the server has them at this
  // moment: no other client may change the map between the read and the
  // write.
  XGrabServer(display_);
  XkbDescPtr xkb = XkbGetMap(display_, kWhatIsWritten, XkbUseCoreKbd);
  if (xkb == nullptr) {
    XUngrabServer(display_);
    xkb_ = false;
    writeToTheCoreMap(bindings);
    return;
  }
  KeyCode lowest = bindings.front().code;
  KeyCode highest = lowest;
  for (const Binding& binding : bindings) {
    lowest = std::min(lowest, binding.code);
    highest = std::max(highest, binding.code);
    XkbSymMapRec& entry = xkb->map->key_sym_map[binding.code];
    if (binding.keysym == NoSymbol) {
      const auto was = std::find_if(spare_.begin(), spare_.end(),
                                    [&](const SpareKey& key) { return key.code == binding.code; });
      XkbResizeKeySyms(xkb, binding.code, 0);
      std::memcpy(entry.kt_index, was->kt_index, sizeof entry.kt_index);
      entry.group_info = was->group_info;
      entry.width = was->width;
    } else {
      KeySym* keysyms = XkbResizeKeySyms(xkb, binding.code, 2);
      keysyms[0] = capitals_locked_ ? otherCase(binding.keysym) : binding.keysym;
      keysyms[1] = binding.keysym;
      entry.kt_index[0] = XkbAlphabeticIndex;
      entry.group_info = XkbSetNumGroups(0, 1);
      entry.width = 2;
    }
  }
  XkbMapChangesRec changes{};
  changes.changed = XkbKeySymsMask;
  changes.first_key_sym = lowest;
  changes.num_key_syms = static_cast<unsigned char>(highest - lowest + 1);
  XkbChangeMap(display_, xkb, &changes);
  XUngrabServer(display_);
  XkbFreeKeyboard(xkb, 0, True);
}

void X11SpareKeyWriter::writeToTheCoreMap(const std::vector<Binding>& bindings) {
  std::vector<Binding> sorted = bindings;
  std::sort(sorted.begin(), sorted.end(),
            [](const Binding& a, const Binding& b) { return a.code < b.code; });
  const auto per = static_cast<std::size_t>(keysyms_per_keycode_);
  for (std::size_t first = 0; first < sorted.size();) {
    std::size_t end = first + 1;
    while (end < sorted.size() && sorted[end].code == sorted[end - 1].code + 1) ++end;
    std::vector<KeySym> keysyms;
    for (std::size_t i = first; i < end; ++i) keysyms.insert(keysyms.end(), per, sorted[i].keysym);
    XChangeKeyboardMapping(display_, sorted[first].code, keysyms_per_keycode_, keysyms.data(),
                           static_cast<int>(end - first));
    first = end;
  }
}

}  // namespace mivo::platform
