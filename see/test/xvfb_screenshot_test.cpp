// A real screen read: a terminal with a short mail and a small dialog beside
// it, drawn by xterm and xmessage on an Xvfb screen of 1512 x 982 pixels and
// captured from its root window.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
// After gtest, whose names Xlib's macros (None) would take.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <leptonica/allheaders.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "hands/test/xvfb_server.h"
#include "platform/linux/tesseract_text_recognizer.h"
#include "see/test/temporary_folder.h"

extern char** environ;

namespace mivo::test {
namespace {

const std::vector<std::string> kMail = {
    "From: Ann Berg <ann@example.org>",
    "Subject: Water bill for March",
    "",
    "Hello Marvek,",
    "the water bill for March is 84.00 EUR, due on 2025-03-07.",
    "Please pay it to IBAN DE89 3704 0044 0532 0130 00 (ref 2020 51).",
    "Thanks,",
    "Ann",
};
const char* kQuestion = "Save changes to the document before closing?";  // beside the terminal

// A program started for the test, ended when this ends.
class Child {
 public:
  explicit Child(std::vector<std::string> arguments) {
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    if (::posix_spawnp(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
      throw std::runtime_error("cannot start " + arguments[0]);
    }
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child() {
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }

 private:
  pid_t pid_ = -1;
};

struct PixDeleter {
  void operator()(Pix* pix) const { pixDestroy(&pix); }
};
using PixPointer = std::unique_ptr<Pix, PixDeleter>;

// The root window's pixels as a picture.
PixPointer capture(Display* display) {
  const Window root = DefaultRootWindow(display);
  XWindowAttributes attributes;
  XGetWindowAttributes(display, root, &attributes);
  XImage* image =
      XGetImage(display, root, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
  if (image == nullptr) throw std::runtime_error("cannot capture the screen");
  PixPointer pix(pixCreate(attributes.width, attributes.height, 32));
  for (int y = 0; y < attributes.height; ++y) {
    for (int x = 0; x < attributes.width; ++x) {
      const unsigned long pixel = XGetPixel(image, x, y);  // 0xRRGGBB on a 24-bit screen
      pixSetPixel(pix.get(), x, y, static_cast<l_uint32>(pixel << 8));
    }
  }
  XDestroyImage(image);
  return pix;
}

// The screen once the windows have drawn: two captures a quarter of a second
// apart that are the same, with both windows shown.
PixPointer settledScreen(Display* display) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  PixPointer last;
  while (std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
    if (children != nullptr) XFree(children);
    PixPointer now = capture(display);
    l_int32 same = 0;
    if (count >= 2 && last != nullptr && pixEqual(now.get(), last.get(), &same) == 0 && same) {
      return now;
    }
    last = std::move(now);
  }
  throw std::runtime_error("the windows did not settle within 20 s");
}

TEST(XvfbScreenshot, ReadsTheTerminalsLinesWholeAndInOrder) {
  const XvfbServer server;
  const TemporaryFolder folder;
  std::string mail;
  for (const std::string& line : kMail) mail += line + "\n";
  const std::string mailFile = folder.writeFile("mail.txt", mail);
  const Child terminal({"xterm", "-display", server.display(), "-fa", "DejaVu Sans Mono", "-fs",
                        "13", "-bg", "white", "-fg", "black", "-geometry", "72x12+20+20", "-e",
                        "sh", "-c", "cat '" + mailFile + "'; exec sleep 600"});
  const Child dialog({"xmessage", "-display", server.display(), "-fn", "fixed", "-geometry",
                      "+980+420", "-buttons", "Cancel,Save", kQuestion});
  Display* display = XOpenDisplay(server.display().c_str());
  ASSERT_NE(display, nullptr);
  const PixPointer screen = settledScreen(display);
  XCloseDisplay(display);
  pixWrite(folder.path("screen.png").c_str(), screen.get(), IFF_PNG);

  platform::TesseractTextRecognizer recognizer(MIVO_TESSDATA_DIR);
  const auto image = recognizer.loadFirstImage(folder.path("screen.png"));
  ASSERT_NE(image, nullptr);
  std::vector<std::string> lines;
  for (const auto& observation : recognizer.recognizeText(*image)) {
    lines.push_back(observation.topCandidate.value_or(""));
  }
  // The mail's lines whole and in order, then the dialog's question and its
  // two buttons on one line, without the frames drawn round them and without
  // the terminal's cursor. The one character error allowed is "l" read as "L"
  // in "example".
  EXPECT_THAT(lines, testing::ElementsAre(testing::AnyOf("From: Ann Berg <ann@example.org>",
                                                         "From: Ann Berg <ann@exampLe.org>"),
                                          kMail[1], kMail[3], kMail[4], kMail[5], kMail[6],
                                          kMail[7], kQuestion, "Cancel Save"));
}

}  // namespace
}  // namespace mivo::test
