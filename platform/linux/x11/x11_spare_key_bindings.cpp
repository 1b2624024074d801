#include "platform/linux/x11/x11_spare_key_bindings.h"

#include <algorithm>
#include <thread>

namespace mivo::platform {

X11SpareKeyBindings::X11SpareKeyBindings(Display* display, std::vector<KeyCode> spare,
                                         int keysyms_per_keycode)
    : display_(display), keysyms_per_keycode_(keysyms_per_keycode) {
  for (const KeyCode code : spare) bindings_.push_back({code, NoSymbol, 0, {}, false});
}

KeyCode X11SpareKeyBindings::keyCodeFor(KeySym keysym) {
  auto chosen = std::find_if(bindings_.begin(), bindings_.end(),
                             [&](const Binding& binding) { return binding.keysym == keysym; });
  if (chosen == bindings_.end()) {
    // A free one, which has never been used, else the least recently used.
    chosen = std::min_element(
        bindings_.begin(), bindings_.end(),
        [](const Binding& a, const Binding& b) { return a.last_use < b.last_use; });
    if (chosen->keysym != NoSymbol) settle(*chosen);
    bind(*chosen, keysym);
  }
  chosen->last_use = ++uses_;
  return chosen->code;
}

void X11SpareKeyBindings::pressed(KeyCode code) {
  for (Binding& binding : bindings_) {
    if (binding.code == code) binding.press_unsent = true;
  }
}

void X11SpareKeyBindings::sent() {
  const Clock::time_point now = Clock::now();
  for (Binding& binding : bindings_) {
    if (!binding.press_unsent) continue;
    binding.last_press = now;
    binding.press_unsent = false;
  }
}

void X11SpareKeyBindings::restore() {
  std::vector<KeySym> none(static_cast<std::size_t>(keysyms_per_keycode_), NoSymbol);
  for (Binding& binding : bindings_) {
    if (binding.keysym == NoSymbol) continue;
    settle(binding);
    XChangeKeyboardMapping(display_, binding.code, keysyms_per_keycode_, none.data(), 1);
    binding.keysym = NoSymbol;
  }
  XSync(display_, False);
}

void X11SpareKeyBindings::bind(Binding& binding, KeySym keysym) {
  std::vector<KeySym> everywhere(static_cast<std::size_t>(keysyms_per_keycode_), keysym);
  XChangeKeyboardMapping(display_, binding.code, keysyms_per_keycode_, everywhere.data(), 1);
  binding.keysym = keysym;
}

void X11SpareKeyBindings::settle(const Binding& binding) {
  if (binding.press_unsent) {
    XSync(display_, False);
    sent();
  }
  std::this_thread::sleep_until(binding.last_press + kSettleTime);
}

}  // namespace mivo::platform
