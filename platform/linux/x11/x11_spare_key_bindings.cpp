#include "platform/linux/x11/x11_spare_key_bindings.h"

#include <algorithm>
#include <thread>

namespace mivo::platform {

X11SpareKeyBindings::X11SpareKeyBindings(Display* display, std::vector<KeyCode> spare,
                                         int keysyms_per_keycode, bool has_xkb,
                                         bool capitals_locked)
    : display_(display),
      writer_(display, spare, keysyms_per_keycode, has_xkb, capitals_locked),
      focus_(display) {
  for (const KeyCode code : spare) bindings_.push_back({code, NoSymbol, {}, false});
}

std::optional<KeyCode> X11SpareKeyBindings::keyCodeOf(KeySym keysym) const {
  for (const Binding& binding : bindings_) {
    if (binding.keysym == keysym) return binding.code;
  }
  return std::nullopt;
}

void X11SpareKeyBindings::bindAhead(const std::vector<KeySym>& coming) {
  std::vector<KeySym> wanted;
  for (const KeySym keysym : coming) {
    if (wanted.size() == bindings_.size()) break;
    if (std::find(wanted.begin(), wanted.end(), keysym) == wanted.end()) wanted.push_back(keysym);
  }
  const auto isWanted = [&](KeySym keysym) {
    return std::find(wanted.begin(), wanted.end(), keysym) != wanted.end();
  };
  std::vector<KeySym> unbound;
  for (const KeySym keysym : wanted) {
    if (!keyCodeOf(keysym)) unbound.push_back(keysym);
  }
  if (unbound.empty()) return;

  // Free keycodes first, then the ones that settle soonest.
  sendPresses();
  std::vector<Binding*> takeable;
  for (Binding& binding : bindings_) {
    if (binding.keysym == NoSymbol || !isWanted(binding.keysym)) takeable.push_back(&binding);
  }
  std::sort(takeable.begin(), takeable.end(), [](const Binding* a, const Binding* b) {
    const bool a_free = a->keysym == NoSymbol;
    const bool b_free = b->keysym == NoSymbol;
    if (a_free != b_free) return a_free;
    return a->settled < b->settled;
  });
  // There are enough: the wanted ones that are bound hold the other keycodes.
  std::vector<X11SpareKeyWriter::Binding> changes;
  Clock::time_point settled{};
  for (std::size_t i = 0; i < unbound.size(); ++i) {
    Binding& binding = *takeable[i];
    if (binding.keysym != NoSymbol) settled = std::max(settled, binding.settled);
    binding.keysym = unbound[i];
    changes.push_back({binding.code, unbound[i]});
  }
  waitUntilSettled(settled);
  change(changes);
}

void X11SpareKeyBindings::pressed(KeyCode code) {
  for (Binding& binding : bindings_) {
    if (binding.code == code) binding.press_unsent = true;
  }
}

void X11SpareKeyBindings::sent() {
  // The clients take in a press after the changes of the map before it.
  const Clock::time_point taken_in = std::max(Clock::now(), clients_busy_until_);
  for (Binding& binding : bindings_) {
    if (!binding.press_unsent) continue;
    binding.settled = taken_in + kSettleTime;
    binding.press_unsent = false;
  }
}

void X11SpareKeyBindings::restore() {
  sendPresses();
  std::vector<X11SpareKeyWriter::Binding> changes;
  Clock::time_point settled{};
  for (Binding& binding : bindings_) {
    if (binding.keysym == NoSymbol) continue;
    settled = std::max(settled, binding.settled);
    binding.keysym = NoSymbol;
    changes.push_back({binding.code, NoSymbol});
  }
  waitUntilSettled(settled);
  change(changes);
  XSync(display_, False);
}

void X11SpareKeyBindings::waitUntilSettled(Clock::time_point settled) {
  if (Clock::now() >= settled) return;
  if (focus_.answered(Clock::now() + kLongestAnswer)) return;
  while (Clock::now() < settled) {
    focus_.nudge();
    std::this_thread::sleep_until(std::min(settled, Clock::now() + kNudgeInterval));
  }
}

void X11SpareKeyBindings::sendPresses() {
  const bool unsent = std::any_of(bindings_.begin(), bindings_.end(),
                                  [](const Binding& binding) { return binding.press_unsent; });
  if (!unsent) return;
  XSync(display_, False);
  sent();
}

void X11SpareKeyBindings::change(const std::vector<X11SpareKeyWriter::Binding>& changes) {
  if (changes.empty()) return;
  writer_.write(changes);
  clients_busy_until_ = std::max(Clock::now(), clients_busy_until_) + kChangeTime;
}

}  // namespace mivo::platform
