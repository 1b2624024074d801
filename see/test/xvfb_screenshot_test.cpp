// Real screens read: terminals, a small dialog beside one, drawn by xterm and
// xmessage on an Xvfb screen of 1512 x 982 pixels and captured from its root
// window.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
// After gtest, whose names Xlib's macros (None) would take.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <leptonica/allheaders.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "hands/test/xvfb_server.h"
#include "platform/linux/text_recognition/tesseract_text_recognizer.h"
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

// The lines read in the screen of `server` once its windows have drawn.
std::vector<std::string> linesOnScreen(const XvfbServer& server, const TemporaryFolder& folder) {
  Display* display = XOpenDisplay(server.display().c_str());
  if (display == nullptr) throw std::runtime_error("cannot open the display");
  const PixPointer screen = settledScreen(display);
  XCloseDisplay(display);
  pixWrite(folder.path("screen.png").c_str(), screen.get(), IFF_PNG);
  platform::TesseractTextRecognizer recognizer(MIVO_TESSDATA_DIR);
  const auto image = recognizer.loadFirstImage(folder.path("screen.png"));
  if (image == nullptr) throw std::runtime_error("cannot load the capture");
  std::vector<std::string> lines;
  for (const auto& observation : recognizer.recognizeText(*image)) {
    lines.push_back(observation.topCandidate.value_or(""));
  }
  return lines;
}

// The command of a terminal that shows `file` and waits.
std::vector<std::string> terminalArguments(const XvfbServer& server, const std::string& file,
                                  std::vector<std::string> options) {
  std::vector<std::string> arguments = {"xterm", "-display", server.display()};
  arguments.insert(arguments.end(), options.begin(), options.end());
  arguments.insert(arguments.end(), {"-e", "sh", "-c", "cat '" + file + "'; exec sleep 600"});
  return arguments;
}

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

// How many characters must change to make `a` into `b`.
std::size_t editDistance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
      diagonal = above;
    }
  }
  return row[b.size()];
}

TEST(XvfbScreenshot, ReadsTheTerminalsLinesWholeAndInOrder) {
  const XvfbServer server;
  const TemporaryFolder folder;
  const std::string mailFile = folder.writeFile("mail.txt", joined(kMail));
  const Child mail(terminalArguments(server, mailFile,
                            {"-fa", "DejaVu Sans Mono", "-fs", "13", "-bg", "white", "-fg", "black",
                             "-geometry", "72x12+20+20"}));
  const Child dialog({"xmessage", "-display", server.display(), "-fn", "fixed", "-geometry",
                      "+980+420", "-buttons", "Cancel,Save", kQuestion});
  // The mail's lines whole and in order, then the dialog's question and its
  // two buttons on one line, without the frames drawn round them and without
  // the terminal's cursor. The one character error allowed is "l" read as "L"
  // in "example".
  EXPECT_THAT(linesOnScreen(server, folder),
              testing::ElementsAre(testing::AnyOf("From: Ann Berg <ann@example.org>",
                                                  "From: Ann Berg <ann@exampLe.org>"),
                                   kMail[1], kMail[3], kMail[4], kMail[5], kMail[6], kMail[7],
                                   kQuestion, "Cancel Save"));
}

// Terminals in the server's own bitmap font, 6 x 13 pixels a character: an
// "ls -l" listing dark on white with the block cursor under it, and a log
// light on dark. Their lines once lost their columns and the words next to
// the cursor.
TEST(XvfbScreenshot, ReadsTerminalsInASmallBitmapFontLineByLine) {
  const XvfbServer server;
  const TemporaryFolder folder;
  const std::string listingFile = folder.writeFile(
      "listing.txt", joined({"$ ls -l invoices", "total 1480",
                             "-rw-r--r-- 1 ann staff  48213 Jan 12 09:41 2025-01-acme.pdf",
                             "-rw-r--r-- 1 ann staff 112904 Feb  3 17:02 2025-02-water.pdf",
                             "-rw-r--r-- 1 ann staff   9120 Feb 20 11:15 notes.txt",
                             "drwxr-xr-x 2 ann staff   4096 Feb 28 08:30 receipts",
                             "-rw-r--r-- 1 ann staff 734002 Mar  1 10:05 tax-return-2024.pdf"}));
  const std::string logFile = folder.writeFile(
      "log.txt", joined({"Mar 01 10:12:01 backup[412]: starting run 1181",
                         "Mar 01 10:12:04 backup[412]: 1204 files to copy",
                         "Mar 01 10:14:37 backup[412]: copied 1204 files",
                         "Mar 01 10:14:38 backup[412]: run 1181 finished"}));
  const Child listing(terminalArguments(server, listingFile,
                               {"-fn", "fixed", "-bg", "white", "-fg", "black", "-geometry",
                                "70x9+30+40"}));
  const Child log(terminalArguments(server, logFile,
                           {"-fn", "fixed", "-bg", "#202020", "-fg", "#e0e0e0", "-geometry",
                            "56x6+640+420"}));
  const std::vector<std::string> expected = {
      "$ ls -l invoices",
      "total 1480",
      "-rw-r--r-- 1 ann staff 48213 Jan 12 09:41 2025-01-acme.pdf",
      "-rw-r--r-- 1 ann staff 112904 Feb 3 17:02 2025-02-water.pdf",
      "-rw-r--r-- 1 ann staff 9120 Feb 20 11:15 notes.txt",
      "drwxr-xr-x 2 ann staff 4096 Feb 28 08:30 receipts",
      "-rw-r--r-- 1 ann staff 734002 Mar 1 10:05 tax-return-2024.pdf",
      "Mar 01 10:12:01 backup[412]: starting run 1181",
      "Mar 01 10:12:04 backup[412]: 1204 files to copy",
      "Mar 01 10:14:37 backup[412]: copied 1204 files",
      "Mar 01 10:14:38 backup[412]: run 1181 finished",
  };
  // Each line whole and in its place, its columns in their order; the font
  // is read with a slip here and there ("l" as "1", a lost
  // ".pdf", "0" as "O"), at most one character in six.
  const std::vector<std::string> lines = linesOnScreen(server, folder);
  ASSERT_EQ(lines.size(), expected.size()) << testing::PrintToString(lines);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_LE(6 * editDistance(lines[i], expected[i]), expected[i].size())
        << lines[i] << " read for " << expected[i];
  }
}

}  // namespace
}  // namespace mivo::test
