#include "hands/test/x_test_window.h"

#include <X11/XKBlib.h>
#include <poll.h>

#include <cstdio>
#include <stdexcept>
#include <utility>

namespace mivo::test {
namespace {

std::string hex(unsigned value) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "0x%x", value);
  return digits;
}

std::string at(int x, int y) { return "at (" + std::to_string(x) + ", " + std::to_string(y) + ")"; }

std::string utf8(char32_t c) {
  std::string text;
  if (c < 0x80) {
    text += static_cast<char>(c);
  } else if (c < 0x800) {
    text += static_cast<char>(0xC0 | (c >> 6));
    text += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    text += static_cast<char>(0xE0 | (c >> 12));
    text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    text += static_cast<char>(0xF0 | (c >> 18));
    text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (c & 0x3F));
  }
  return text;
}

// The character a keysym types, for Latin-1 and Unicode keysyms; else its
// name.
std::string characterOrName(KeySym keysym) {
  if ((keysym >= 0x20 && keysym <= 0x7E) || (keysym >= 0xA0 && keysym <= 0xFF)) {
    return utf8(static_cast<char32_t>(keysym));
  }
  if ((keysym & 0xFF000000) == 0x01000000) return utf8(static_cast<char32_t>(keysym & 0xFFFFFF));
  const char* name = XKeysymToString(keysym);
  return name != nullptr ? name : "keysym " + hex(static_cast<unsigned>(keysym));
}

}  // namespace

XTestWindow::XTestWindow(const std::string& display) {
  display_ = XOpenDisplay(display.c_str());
  if (display_ == nullptr) throw std::runtime_error("cannot open the X display " + display);
  const int screen = DefaultScreen(display_);
  window_ = XCreateSimpleWindow(display_, RootWindow(display_, screen), 0, 0,
                                DisplayWidth(display_, screen), DisplayHeight(display_, screen), 0,
                                BlackPixel(display_, screen), WhitePixel(display_, screen));
  XSelectInput(display_, window_,
               StructureNotifyMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                   KeyPressMask | KeyReleaseMask);
  // With XKB in use the server tells a client of changes to the keyboard map
  // only when it asks so; Xlib then passes them on as MappingNotify.
  XkbSelectEvents(display_, XkbUseCoreKbd, XkbMapNotifyMask, XkbMapNotifyMask);
  XMapWindow(display_, window_);
  // Without a window manager the window is mapped as soon as the server has
  // handled the request.
  XSync(display_, False);
  XEvent event;
  if (!XCheckTypedWindowEvent(display_, window_, MapNotify, &event)) {
    XCloseDisplay(display_);
    throw std::runtime_error("the test window did not show");
  }
  XSetInputFocus(display_, window_, RevertToPointerRoot, CurrentTime);
  keymap_ = keyboardMap();
  takePointerEvents();
  takeKeyEvents();
}

XTestWindow::~XTestWindow() { XCloseDisplay(display_); }

std::vector<std::string> XTestWindow::takePointerEvents() {
  XSync(display_, False);
  readEvents();
  return std::exchange(events_, {});
}

std::vector<std::string> XTestWindow::takeKeyEvents() {
  XSync(display_, False);
  readEvents();
  return std::exchange(key_events_, {});
}

bool XTestWindow::watch(std::chrono::milliseconds wait) {
  const std::size_t before = events_.size() + key_events_.size();
  pollfd entry{ConnectionNumber(display_), POLLIN, 0};
  if (XPending(display_) == 0) ::poll(&entry, 1, static_cast<int>(wait.count()));
  readEvents();
  const Window root = DefaultRootWindow(display_);
  while (!pings_.empty() && std::chrono::steady_clock::now() - pings_.front().second >= answer_after_) {
    XEvent answer{};
    answer.xclient = pings_.front().first;
    answer.xclient.window = root;
    XSendEvent(display_, root, False, SubstructureNotifyMask | SubstructureRedirectMask, &answer);
    XFlush(display_);
    pings_.erase(pings_.begin());
    ++ping_counts_.answered;
  }
  return events_.size() + key_events_.size() > before;
}

void XTestWindow::answerPingsAfter(std::chrono::milliseconds delay) {
  ping_ = XInternAtom(display_, "_NET_WM_PING", False);
  answer_after_ = delay;
  XSetWMProtocols(display_, window_, &ping_, 1);
  XSync(display_, False);
}

XTestWindow::Pings XTestWindow::takePings() {
  XSync(display_, False);
  readEvents();
  return std::exchange(ping_counts_, {});
}

void XTestWindow::grabServer() {
  XGrabServer(display_);
  XSync(display_, False);
}

void XTestWindow::ungrabServer() {
  XUngrabServer(display_);
  XSync(display_, False);
}

void XTestWindow::readEvents() {
  while (XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    switch (event.type) {
      case MotionNotify:
        events_.push_back("motion " + at(event.xmotion.x, event.xmotion.y) + " state " +
                          hex(event.xmotion.state));
        break;
      case ButtonPress:
      case ButtonRelease:
        events_.push_back(std::string(event.type == ButtonPress ? "press " : "release ") +
                          std::to_string(event.xbutton.button) + " " +
                          at(event.xbutton.x, event.xbutton.y) + " state " +
                          hex(event.xbutton.state));
        break;
      case KeyPress:
      case KeyRelease:
        key_events_.push_back(keyEvent(event.xkey));
        break;
      case MappingNotify:
        // At once, before a program that binds keys for a moment restores
        // them: the presses that follow read by this map.
        if (event.xmapping.request == MappingKeyboard) {
          keymap_ = keyboardMap();
          ++keyboard_map_changes_;
          if (!pings_.empty()) ++ping_counts_.map_changes_before_an_answer;
        }
        XRefreshKeyboardMapping(&event.xmapping);
        break;
      case ClientMessage:
        if (ping_ != None && static_cast<Atom>(event.xclient.data.l[0]) == ping_) {
          pings_.emplace_back(event.xclient, std::chrono::steady_clock::now());
        }
        break;
      default:
        break;
    }
  }
}

std::string XTestWindow::keyEvent(const XKeyEvent& event) const {
  const int level = (event.state & ShiftMask) != 0 ? 1 : 0;
  const std::size_t row = static_cast<std::size_t>(event.keycode - min_keycode_) *
                          static_cast<std::size_t>(keysyms_per_keycode_);
  KeySym keysym = NoSymbol;
  if (row + level < keymap_.size()) keysym = keymap_[row + level];
  if (keysym == NoSymbol && row < keymap_.size()) keysym = keymap_[row];
  return std::string(event.type == KeyPress ? "press " : "release ") + characterOrName(keysym) +
         " state " + hex(event.state);
}

unsigned XTestWindow::heldButtonsAndModifiers() {
  Window root = 0;
  Window child = 0;
  int root_x = 0;
  int root_y = 0;
  int window_x = 0;
  int window_y = 0;
  unsigned mask = 0;
  XQueryPointer(display_, window_, &root, &child, &root_x, &root_y, &window_x, &window_y, &mask);
  return mask;
}

std::vector<int> XTestWindow::keysDown() {
  char keys[32];
  XQueryKeymap(display_, keys);
  std::vector<int> down;
  for (int code = 0; code < 256; ++code) {
    if ((keys[code / 8] >> (code % 8)) & 1) down.push_back(code);
  }
  return down;
}

std::vector<KeySym> keyboardMapOf(Display* display, int* keysyms_per_keycode) {
  int first = 0;
  int last = 0;
  int per_keycode = 0;
  XDisplayKeycodes(display, &first, &last);
  KeySym* map =
      XGetKeyboardMapping(display, static_cast<KeyCode>(first), last - first + 1, &per_keycode);
  std::vector<KeySym> keysyms(map, map + (last - first + 1) * per_keycode);
  XFree(map);
  if (keysyms_per_keycode != nullptr) *keysyms_per_keycode = per_keycode;
  return keysyms;
}

std::vector<unsigned long> xkbKeyboardOf(Display* display) {
  XkbDescPtr xkb = XkbGetMap(display, XkbAllMapComponentsMask, XkbUseCoreKbd);
  std::vector<unsigned long> numbers;
  if (xkb == nullptr) return numbers;
  const XkbClientMapRec& map = *xkb->map;
  for (int t = 0; t < map.num_types; ++t) {
    const XkbKeyTypeRec& type = map.types[t];
    numbers.insert(numbers.end(), {type.mods.mask, type.num_levels, type.map_count});
    for (int e = 0; e < type.map_count; ++e) {
      numbers.insert(numbers.end(), {static_cast<unsigned long>(type.map[e].active), type.map[e].mods.mask,
                                     static_cast<unsigned long>(type.map[e].level)});
    }
  }
  for (int code = xkb->min_key_code; code <= xkb->max_key_code; ++code) {
    const auto key = static_cast<KeyCode>(code);
    const XkbSymMapRec& entry = map.key_sym_map[code];
    numbers.insert(numbers.end(), {static_cast<unsigned long>(code), entry.group_info, entry.width,
                                   entry.kt_index[0], entry.kt_index[1], entry.kt_index[2],
                                   entry.kt_index[3], map.modmap[code],
                                   xkb->server->c_explicit[code], xkb->server->vmodmap[code],
                                   xkb->server->behaviors[code].type,
                                   xkb->server->behaviors[code].data});
    const KeySym* keysyms = XkbKeySymsPtr(xkb, key);
    numbers.insert(numbers.end(), keysyms, keysyms + XkbKeyNumSyms(xkb, key));
    if (XkbKeyHasActions(xkb, key)) {
      const XkbAction* actions = XkbKeyActionsPtr(xkb, key);
      for (int a = 0; a < XkbKeyNumActions(xkb, key); ++a) {
        const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&actions[a]);
        numbers.insert(numbers.end(), bytes, bytes + sizeof(XkbAction));
      }
    }
  }
  XkbFreeKeyboard(xkb, 0, True);
  return numbers;
}

std::vector<KeySym> XTestWindow::keyboardMap() {
  int last = 0;
  XDisplayKeycodes(display_, &min_keycode_, &last);
  return keyboardMapOf(display_, &keysyms_per_keycode_);
}

int XTestWindow::takeKeyboardMapChanges() {
  XSync(display_, False);
  readEvents();
  return std::exchange(keyboard_map_changes_, 0);
}

std::vector<int> XTestWindow::repeatingKeys() {
  XKeyboardState state;
  XGetKeyboardControl(display_, &state);
  std::vector<int> repeating;
  if (!state.global_auto_repeat) return repeating;
  for (int code = 0; code < 256; ++code) {
    if ((state.auto_repeats[code / 8] >> (code % 8)) & 1) repeating.push_back(code);
  }
  return repeating;
}

std::vector<std::string> XTestWindow::modifierKeysDown() {
  char keys[32];
  XQueryKeymap(display_, keys);
  std::vector<std::string> down;
  XModifierKeymap* modifiers = XGetModifierMapping(display_);
  for (int i = 0; i < 8 * modifiers->max_keypermod; ++i) {
    const KeyCode code = modifiers->modifiermap[i];
    if (code != 0 && (keys[code / 8] >> (code % 8)) & 1) {
      const char* name = XKeysymToString(XkbKeycodeToKeysym(display_, code, 0, 0));
      down.push_back(name != nullptr ? name : "keycode " + std::to_string(code));
    }
  }
  XFreeModifiermap(modifiers);
  return down;
}

}  // namespace mivo::test
