#include "hands/test/xedit_file.h"

#include <X11/keysym.h>
#include <sys/stat.h>

#include <chrono>
#include <stdexcept>
#include <thread>
#include <utility>

#include "hands/test/typing_texts.h"
#include "hands/test/x_app_window.h"
#include "hands/test/x_client_windows.h"

namespace mivo::test {
namespace {

// When the file was last written, in nanoseconds, and its size.
std::pair<long long, long long> writtenAt(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return {-1, -1};
  return {status.st_mtim.tv_sec * 1000000000LL + status.st_mtim.tv_nsec, status.st_size};
}

}  // namespace

XeditFile::XeditFile(const std::string& display) : file_(folder_.writeFile("edited", "")) {
  xedit_.emplace(std::vector<std::string>{"xedit", "-geometry", "600x400+0+0", file_},
                 std::map<std::string, std::optional<std::string>>{{"DISPLAY", display}});
  display_ = XOpenDisplay(display.c_str());
  if (display_ == nullptr) throw std::runtime_error("cannot open the X display " + display);
  std::optional<Window> window;
  if (!holdsWithin([&] { return (window = viewableWindowNamed(display_, "xedit")).has_value(); },
                   std::chrono::seconds(20))) {
    throw std::runtime_error("xedit did not come up within 20 s");
  }
  // The text lies below the buttons and the message line.
  focusAt(display_, *window, 300, 250);
  // Ready once it has taken a key in: a character typed and saved, then
  // taken out again. Just after it is mapped, a busy xedit can lose the key
  // yet save on the next ones, so an empty save means "try again".
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  std::string saved;
  do {
    pressKey(display_, XK_x);
    saved = save();
  } while (saved.empty() && std::chrono::steady_clock::now() < deadline);
  if (saved != "x") throw std::runtime_error("xedit did not take a key in within 20 s");
  pressKey(display_, XK_BackSpace);
}

XeditFile::~XeditFile() {
  if (display_ != nullptr) XCloseDisplay(display_);
}

std::string XeditFile::save() {
  const auto before = writtenAt(file_);
  pressKey(display_, XK_x, true);
  pressKey(display_, XK_s, true);
  holdsWithin([&] { return writtenAt(file_) != before; }, std::chrono::seconds(20));
  // xedit empties the file before it writes the text into it: a busy one
  // can be caught in between, so the file is read once it stands still.
  holdsWithin(
      [&] {
        const auto seen = writtenAt(file_);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return writtenAt(file_) == seen;
      },
      std::chrono::seconds(5));
  return fileContents(file_);
}

std::string latin1Part(const std::string& utf8) {
  std::string latin1;
  for (const char32_t character : codePoints(utf8)) {
    if ((character >= 0x20 && character < 0x7F) || (character >= 0xA0 && character <= 0xFF)) {
      latin1 += static_cast<char>(character);
    }
  }
  return latin1;
}

}  // namespace mivo::test
