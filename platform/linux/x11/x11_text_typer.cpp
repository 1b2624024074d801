#include "platform/linux/x11/x11_text_typer.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <cstdlib>

#include "platform/input_events.h"
#include "platform/linux/x11/deferred_termination_signals.h"
#include "platform/linux/x11/noted_termination_signals.h"
#include "platform/linux/x11/x11_display.h"
#include "platform/linux/x11/x11_key_symbols.h"

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

// The typer whose typing the exit ends; the process has one at most.
X11TextTyper* ended_at_exit = nullptr;
bool end_registered = false;

void endAtExit() {
  if (ended_at_exit != nullptr) ended_at_exit->end();
}

void pressAndRelease(Display* display, KeyCode code) {
  XTestFakeKeyEvent(display, code, True, CurrentTime);
  XTestFakeKeyEvent(display, code, False, CurrentTime);
}

}  // namespace

X11TextTyper::X11TextTyper(X11Display& display) : display_(display), turn_(display.handle()) {}

X11TextTyper::~X11TextTyper() {
  end();
  if (ended_at_exit == this) ended_at_exit = nullptr;
}

void X11TextTyper::prepare(const std::u16string& units) {
  turn_.take();
  // Read from the start of a text, as the texts that follow will be.
  coming_ = KeysymReading().keysymsOf(units);
  typed_ = 0;
}

bool X11TextTyper::type(const std::u16string& units) {
  // A signal that came since the last text ends the run now, with the map
  // as it was.
  if (notedTerminationSignal()) end();
  const std::vector<KeySym> keysyms = reading_.keysymsOf(units);
  if (keysyms.empty()) return true;
  try {
    turn_.take();
  } catch (const EventSourceError&) {
    return false;
  }
  Display* display = display_.handle();
  const DeferredTerminationSignals deferred;
  if (!keyboard_) keyboard_.emplace(display);
  const bool needs_spare = std::any_of(keysyms.begin(), keysyms.end(),
                                       [&](KeySym keysym) { return !keyboard_->find(keysym); });
  if (needs_spare && keyboard_->spareKeyCodes().empty()) return false;

  // What comes next: the text prepared while the texts follow it.
  const bool follows = typed_ + keysyms.size() <= coming_.size() &&
                       std::equal(keysyms.begin(), keysyms.end(), coming_.begin() + typed_);
  if (!follows) coming_.clear();
  const std::vector<KeySym>& ahead = follows ? coming_ : keysyms;
  const std::size_t here = follows ? typed_ : 0;
  for (std::size_t i = 0; i < keysyms.size(); ++i) {
    const KeySym keysym = keysyms[i];
    if (const std::optional<X11KeyboardMap::Place> place = keyboard_->find(keysym)) {
      for (const KeyCode modifier : place->modifiers) {
        XTestFakeKeyEvent(display, modifier, True, CurrentTime);
      }
      pressAndRelease(display, place->code);
      for (auto modifier = place->modifiers.rbegin(); modifier != place->modifiers.rend();
           ++modifier) {
        XTestFakeKeyEvent(display, *modifier, False, CurrentTime);
      }
    } else {
      std::optional<KeyCode> code = bindings().keyCodeOf(keysym);
      if (!code) {
        bindings_->bindAhead(spareKeysymsComing(ahead, here + i));
        code = bindings_->keyCodeOf(keysym);
      }
      pressAndRelease(display, *code);
      bindings_->pressed(*code);
    }
  }
  typed_ = follows ? typed_ + keysyms.size() : 0;
  const bool clean = display_.sync();
  if (bindings_) bindings_->sent();
  return clean;
}

void X11TextTyper::end() {
  if (bindings_ && !X11Display::lost()) bindings_->restore();
  bindings_.reset();
  if (!X11Display::lost()) turn_.giveUp();
  obeyTerminationSignals();
}

std::vector<KeySym> X11TextTyper::KeysymReading::keysymsOf(const std::u16string& units) {
  std::u16string carried;
  const std::u32string characters = charactersOf(carried_ + units, carried);
  carried_ = carried;
  std::vector<KeySym> keysyms;
  for (const char32_t character : characters) {
    const bool ends_a_line_already_ended = character == U'\n' && after_carriage_return_;
    after_carriage_return_ = character == U'\r';
    if (!ends_a_line_already_ended) keysyms.push_back(keySymTyping(character));
  }
  return keysyms;
}

std::vector<KeySym> X11TextTyper::spareKeysymsComing(const std::vector<KeySym>& keysyms,
                                                     std::size_t from) {
  std::vector<KeySym> coming;
  for (std::size_t i = from; i < keysyms.size() && coming.size() < bindings().capacity(); ++i) {
    const KeySym keysym = keysyms[i];
    if (keyboard_->find(keysym)) continue;
    if (std::find(coming.begin(), coming.end(), keysym) == coming.end()) coming.push_back(keysym);
  }
  return coming;
}

X11SpareKeyBindings& X11TextTyper::bindings() {
  if (!bindings_) {
    if (!end_registered) end_registered = std::atexit(endAtExit) == 0;
    ended_at_exit = this;
    noteTerminationSignals();
    bindings_.emplace(display_.handle(), keyboard_->spareKeyCodes(),
                      keyboard_->keysymsPerKeyCode(), keyboard_->hasXkb(),
                      keyboard_->capitalsLocked());
  }
  return *bindings_;
}

}  // namespace mivo::platform
