// The built program's screenshots, permissions and applications, run as the
// host runs it, without a display and on an Xvfb server of the test's own
// where windows of the test's own stand for applications.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "hands/test/jpeg_picture.h"
#include "hands/test/window_manager.h"
#include "hands/test/x_app_window.h"
#include "hands/test/xvfb_server.h"
#include "see/test/run_program.h"

namespace mivo::test {
namespace {

ProgramRun runMivoHands(const std::string& request, OutputTarget output = OutputTarget::captured) {
  return runProgram(MIVO_HANDS_BINARY, request, ".", output);
}

struct Screenshot {
  nlohmann::json answer;
  JpegPicture picture;
};

// Runs a screenshot request that must succeed, and decodes its picture.
Screenshot screenshot(const std::string& request) {
  const ProgramRun run = runMivoHands(request);
  if (run.status != 0) throw std::runtime_error("screenshot failed: " + run.standardError);
  if (run.standardOutput.empty() || run.standardOutput.back() != '\n') {
    throw std::runtime_error("the answer is not one line");
  }
  nlohmann::json answer = nlohmann::json::parse(run.standardOutput);
  JpegPicture picture = JpegPicture::fromBase64(answer.at("jpeg").get<std::string>());
  return {std::move(answer), std::move(picture)};
}

bool isRed(JpegPicture::Colour colour) {
  return colour.red > 200 && colour.green < 60 && colour.blue < 60;
}
bool isWhite(JpegPicture::Colour colour) {
  return colour.red > 220 && colour.green > 220 && colour.blue > 220;
}
bool isBlack(JpegPicture::Colour colour) {
  return colour.red < 40 && colour.green < 40 && colour.blue < 40;
}

// Whether a pixel of the square of `radius` around (x, y) is dark.
bool darkPixelNear(const JpegPicture& picture, int x, int y, int radius) {
  for (int dy = -radius; dy <= radius; ++dy) {
    for (int dx = -radius; dx <= radius; ++dx) {
      const JpegPicture::Colour colour = picture.at(x + dx, y + dy);
      if (colour.red + colour.green + colour.blue < 300) return true;
    }
  }
  return false;
}

class ScreenWithoutDisplay : public ::testing::Test {
 protected:
  void SetUp() override { ::unsetenv("DISPLAY"); }
};

TEST_F(ScreenWithoutDisplay, NothingIsPermittedNothingCapturedNothingHidden) {
  const struct {
    std::string request;
    int status;
    std::string answer;
    std::string message;
  } rows[] = {
      {R"({"do":"check"})", 0, "{\"screen\":false,\"accessibility\":false}\n", ""},
      {R"({"do":"ask"})", 0, "{\"screen\":false,\"accessibility\":false}\n", ""},
      {R"({"do":"screenshot"})", 1, "",
       "mivo-hands: no screenshot: cannot open the X display \"\"\n"},
      {R"({"do":"hide","bundles":["a.b"]})", 0, "{\"ok\":true}\n", ""},
      {R"({"do":"show","bundle":"a.b"})", 0, "{\"ok\":true}\n", ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.request);
    const ProgramRun run = runMivoHands(row.request);
    EXPECT_EQ(run.status, row.status);
    EXPECT_EQ(run.standardOutput, row.answer);
    EXPECT_EQ(run.standardError, row.message);
  }
}

class ScreenOnXvfb : public ::testing::Test {
 protected:
  void SetUp() override { ::setenv("DISPLAY", server_.display().c_str(), 1); }

  // Runs one request that must succeed with {"ok":true}.
  void act(const std::string& request) {
    SCOPED_TRACE(request);
    const ProgramRun run = runMivoHands(request);
    ASSERT_EQ(run.status, 0) << run.standardError;
    EXPECT_EQ(run.standardOutput, "{\"ok\":true}\n");
  }

  XvfbServer server_;
};

TEST_F(ScreenOnXvfb, BothPermissionsAreGiven) {
  for (const char* request : {R"({"do":"check"})", R"({"do":"ask"})"}) {
    SCOPED_TRACE(request);
    const ProgramRun run = runMivoHands(request);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.standardOutput, "{\"screen\":true,\"accessibility\":true}\n");
  }
}

TEST_F(ScreenOnXvfb, ScalesTheDisplayOrARectangleOfIt) {
  const struct {
    std::string request;
    int width;
    int height;
  } rows[] = {
      {R"({"do":"screenshot"})", 1280, 831},
      {R"({"do":"screenshot","max":4000})", 1512, 982},
      {R"({"do":"screenshot","rect":[1400,900,400,400]})", 112, 82},
      {R"({"do":"screenshot","rect":[100,50,300,200],"max":150,"quality":0.1})", 150, 100},
      {R"({"do":"screenshot","max":0})", 1, 1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.request);
    const Screenshot shot = screenshot(row.request);
    EXPECT_EQ(shot.answer.at("width"), row.width);
    EXPECT_EQ(shot.answer.at("height"), row.height);
    EXPECT_EQ(shot.answer.at("points"), nlohmann::json::parse("[1512,982]"));
    EXPECT_EQ(shot.picture.width(), row.width);
    EXPECT_EQ(shot.picture.height(), row.height);
  }
}

TEST_F(ScreenOnXvfb, AWindowShowsAtItsPlaceAndIsBlackWhenItsApplicationIsLeftOut) {
  // The pointer out of the way, in the corner.
  act(R"({"do":"move","x":1511,"y":981})");
  const XAppWindow ground(server_.display(), "mivo.test.ground", "white", {0, 0, 1512, 982});
  const XAppWindow red(server_.display(), "mivo.test.red", "red", {200, 100, 400, 300});

  const Screenshot plain = screenshot(R"({"do":"screenshot","max":1512})");
  EXPECT_TRUE(isRed(plain.picture.at(400, 250)));
  EXPECT_TRUE(isRed(plain.picture.at(205, 105)));
  EXPECT_TRUE(isRed(plain.picture.at(594, 394)));
  EXPECT_TRUE(isWhite(plain.picture.at(194, 250)));
  EXPECT_TRUE(isWhite(plain.picture.at(400, 406)));
  EXPECT_TRUE(isWhite(plain.picture.at(100, 50)));

  const Screenshot without_red =
      screenshot(R"({"do":"screenshot","max":1512,"exclude":["mivo.test.red","no.such.app"]})");
  EXPECT_TRUE(isBlack(without_red.picture.at(400, 250)));
  EXPECT_TRUE(isBlack(without_red.picture.at(205, 105)));
  EXPECT_TRUE(isWhite(without_red.picture.at(194, 250)));
  EXPECT_TRUE(isWhite(without_red.picture.at(100, 50)));

  // The red window lies above the ground and stays; the rest of it is black.
  const Screenshot without_ground =
      screenshot(R"({"do":"screenshot","max":1512,"exclude":["mivo.test.ground"]})");
  EXPECT_TRUE(isRed(without_ground.picture.at(400, 250)));
  EXPECT_TRUE(isBlack(without_ground.picture.at(194, 250)));
  EXPECT_TRUE(isBlack(without_ground.picture.at(100, 50)));

  // A rectangle of the window alone, halved.
  const Screenshot inside = screenshot(R"({"do":"screenshot","max":200,"rect":[200,100,400,300]})");
  ASSERT_EQ(inside.picture.width(), 200);
  ASSERT_EQ(inside.picture.height(), 150);
  for (const auto& [x, y] : {std::pair{2, 2}, {100, 75}, {197, 147}}) {
    EXPECT_TRUE(isRed(inside.picture.at(x, y))) << x << ", " << y;
  }
}

TEST_F(ScreenOnXvfb, ThePointerIsDrawnIn) {
  const XAppWindow ground(server_.display(), "mivo.test.ground", "white", {0, 0, 1512, 982});
  act(R"({"do":"move","x":800,"y":600})");
  const Screenshot with_pointer = screenshot(R"({"do":"screenshot","max":1512})");
  EXPECT_TRUE(darkPixelNear(with_pointer.picture, 800, 600, 6));
  EXPECT_FALSE(darkPixelNear(with_pointer.picture, 1000, 300, 6));
  act(R"({"do":"move","x":1000,"y":300})");
  const Screenshot moved = screenshot(R"({"do":"screenshot","max":1512})");
  EXPECT_FALSE(darkPixelNear(moved.picture, 800, 600, 6));
  EXPECT_TRUE(darkPixelNear(moved.picture, 1000, 300, 6));
}

// Under a window manager the windows of an excluded application are black
// with their frames, which belong to the manager but show the application.
TEST_F(ScreenOnXvfb, AnExcludedApplicationsWindowIsBlackWithItsFrame) {
  act(R"({"do":"move","x":1511,"y":981})");
  const XAppWindow ground(server_.display(), "mivo.test.ground", "white", {0, 0, 1512, 982});
  const WindowManager manager(server_.display());
  XAppWindow red(server_.display(), "mivo.test.red", "red", {300, 200, 400, 300});
  ASSERT_TRUE(holdsWithin([&] { return red.framed() && red.viewable(); }));
  const XAppWindow::Place place = red.onScreen();
  const int middle_x = place.x + place.width / 2;
  const int middle_y = place.y + place.height / 2;
  const int above = place.y - 3;  // in the frame's title bar
  ASSERT_GT(above, 0);

  const Screenshot plain = screenshot(R"({"do":"screenshot","max":1512})");
  EXPECT_TRUE(isRed(plain.picture.at(middle_x, middle_y)));
  EXPECT_FALSE(isBlack(plain.picture.at(middle_x, above)));
  const Screenshot without_red =
      screenshot(R"({"do":"screenshot","max":1512,"exclude":["mivo.test.red"]})");
  EXPECT_TRUE(isBlack(without_red.picture.at(middle_x, middle_y)));
  EXPECT_TRUE(isBlack(without_red.picture.at(middle_x, above)));
  EXPECT_TRUE(isWhite(without_red.picture.at(middle_x, place.y + place.height + 40)));
}

// On a screen of 8 bits the pixels are indexes into a colour map, not
// colours.
TEST(ScreenOfEightBits, AWindowShowsInItsColour) {
  const XvfbServer server(8);
  ::setenv("DISPLAY", server.display().c_str(), 1);
  ASSERT_EQ(runMivoHands(R"({"do":"move","x":1511,"y":981})").status, 0);
  const XAppWindow ground(server.display(), "mivo.test.ground", "white", {0, 0, 1512, 982});
  const XAppWindow red(server.display(), "mivo.test.red", "red", {200, 100, 400, 300});
  const Screenshot shot = screenshot(R"({"do":"screenshot","max":1512})");
  EXPECT_TRUE(isRed(shot.picture.at(400, 250)));
  EXPECT_TRUE(isWhite(shot.picture.at(100, 50)));
}

TEST_F(ScreenOnXvfb, AScreenshotThatCannotBeMadeOrWrittenFailsTheRun) {
  for (const OutputTarget output : {OutputTarget::closed_pipe, OutputTarget::full_device}) {
    SCOPED_TRACE(static_cast<int>(output));
    const ProgramRun run = runMivoHands(R"({"do":"screenshot","max":4000})", output);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.standardError, "mivo-hands: could not write the answer\n");
  }
  const ProgramRun outside =
      runMivoHands(R"({"do":"screenshot","rect":[1512,0,100,100]})", OutputTarget::captured);
  EXPECT_EQ(outside.status, 1);
  EXPECT_EQ(outside.standardError, "mivo-hands: the rect lies outside the display\n");
  EXPECT_EQ(outside.standardOutput, "");
}

TEST_F(ScreenOnXvfb, HidesAndShowsEveryWindowOfAnApplicationWithoutAWindowManager) {
  XAppWindow first(server_.display(), "mivo.test.app", "red", {10, 10, 100, 100});
  XAppWindow second(server_.display(), "mivo.test.app", "red", {300, 10, 100, 100});
  XAppWindow other(server_.display(), "mivo.test.other", "white", {600, 10, 100, 100});
  // One that the application keeps to itself.
  XAppWindow never_shown(server_.display(), "mivo.test.app", "red", {900, 10, 100, 100}, false);

  act(R"({"do":"hide","bundles":["mivo.test.app"]})");
  EXPECT_FALSE(first.viewable());
  EXPECT_FALSE(second.viewable());
  EXPECT_TRUE(other.viewable());
  EXPECT_FALSE(never_shown.mapped());
  // Hidden windows are found again in a later run.
  act(R"({"do":"hide","bundles":["mivo.test.app"]})");

  act(R"({"do":"show","bundle":"mivo.test.app"})");
  EXPECT_TRUE(first.viewable());
  EXPECT_TRUE(second.viewable());
  // Activated last, as the higher one.
  EXPECT_TRUE(second.focused());
  EXPECT_FALSE(never_shown.mapped());
  EXPECT_EQ(first.wmState(), -1);

  act(R"({"do":"show","bundle":"mivo.test.other"})");
  EXPECT_TRUE(other.focused());
}

// A window without WM_CLASS belongs to no application: a request that gives
// no bundle, an empty one or one of the wrong type leaves it alone.
TEST_F(ScreenOnXvfb, AWindowWithoutAClassIsNoApplication) {
  XAppWindow app(server_.display(), "mivo.test.app", "red", {10, 10, 100, 100});
  XAppWindow classless(server_.display(), "", "white", {300, 10, 100, 100});
  act(R"({"do":"show","bundle":"mivo.test.app"})");
  ASSERT_TRUE(app.focused());
  for (const char* request : {R"({"do":"show"})", R"({"do":"show","bundle":""})",
                              R"({"do":"show","bundle":5})", R"({"do":"hide","bundles":[""]})",
                              R"({"do":"hide"})"}) {
    act(request);
    EXPECT_TRUE(classless.viewable()) << request;
    EXPECT_FALSE(classless.focused()) << request;
    EXPECT_TRUE(app.viewable()) << request;
    EXPECT_TRUE(app.focused()) << request;
  }
}

TEST_F(ScreenOnXvfb, HidesAndShowsThroughAWindowManager) {
  const WindowManager manager(server_.display());
  XAppWindow app(server_.display(), "mivo.test.app", "red", {100, 100, 200, 200});
  XAppWindow other(server_.display(), "mivo.test.other", "white", {400, 100, 200, 200});

  act(R"({"do":"hide","bundles":["mivo.test.app"]})");
  EXPECT_TRUE(holdsWithin([&] { return !app.viewable() && app.wmState() == 3; }));
  EXPECT_TRUE(other.viewable());

  act(R"({"do":"show","bundle":"mivo.test.other"})");
  EXPECT_TRUE(holdsWithin([&] { return other.focused(); }));

  act(R"({"do":"show","bundle":"mivo.test.app"})");
  EXPECT_TRUE(holdsWithin([&] { return app.viewable() && app.wmState() == 1 && app.focused(); }));
}

}  // namespace
}  // namespace mivo::test
