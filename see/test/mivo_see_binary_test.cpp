// The built program, run as the host runs it: a request on standard input,
// the answer, the standard-error line and the exit status read back.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "see/test/pictures.h"
#include "see/test/run_program.h"
#include "see/test/temporary_folder.h"

namespace mivo::test {
namespace {

std::string requestFor(const std::string& file, const std::string& more = "") {
  return R"({"file":")" + file +
         R"(","source":"Mac","taken":"2025-03-01 09:12","today":"2025-03-01")" + more + "}";
}

ProgramRun runMivoSee(const std::string& request, const std::string& folder = ".",
                        OutputTarget output = OutputTarget::captured) {
  return runProgram(MIVO_SEE_BINARY, request, folder, output);
}

TEST(MivoSeeBinary, AnswersTheTextOfTheExampleScreenshot) {
  const std::filesystem::path example(MIVO_EXAMPLE_SCREENSHOT);
  const struct {
    const char* name;
    std::string request;
    std::string folder;
    std::string answer;
  } rows[] = {
      {"sort absent", requestFor(example.string()), ".",
       R"({"text":"Mail\nWater bill for March\nAmount due: 84.00 EUR by 2025-03-07\n)"
       R"(Pay at mivo.example\/pay or reply to Marvek","model":"unavailable"})"},
      {"sort false", requestFor(example.string(), R"(,"sort":false)"), ".",
       R"({"text":"Mail\nWater bill for March\nAmount due: 84.00 EUR by 2025-03-07\n)"
       R"(Pay at mivo.example\/pay or reply to Marvek","model":"off"})"},
      {"relative path", requestFor(example.filename().string()), example.parent_path().string(),
       R"({"text":"Mail\nWater bill for March\nAmount due: 84.00 EUR by 2025-03-07\n)"
       R"(Pay at mivo.example\/pay or reply to Marvek","model":"unavailable"})"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const ProgramRun run = runMivoSee(row.request, row.folder);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.standardOutput, row.answer);
    EXPECT_EQ(run.standardError, "");
  }
}

TEST(MivoSeeBinary, AnswersNoTextForABlankPicture) {
  const TemporaryFolder folder;
  writeTextPicture(folder.path("blank.png"), {});
  const ProgramRun run = runMivoSee(requestFor(folder.path("blank.png")));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.standardOutput, R"({"text":"","model":"no_text"})");
  EXPECT_EQ(run.standardError, "");
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(MivoSeeBinary, SaysWhichPathIsNotAPictureAndNothingElse) {
  const TemporaryFolder folder;
  folder.writeFile("note.txt", "not a picture\n");
  const std::string example = MIVO_EXAMPLE_SCREENSHOT;
  // Cut pictures, on which the image libraries have their own words to say.
  const std::string png = readFile(example);
  folder.writeFile("cut.png", png.substr(0, png.size() / 2));
  writeTextPicture(folder.path("whole.jpg"), {"Some text"}, PictureFormat::jpeg);
  const std::string jpeg = readFile(folder.path("whole.jpg"));
  folder.writeFile("cut.jpg", jpeg.substr(0, jpeg.size() / 2));
  ASSERT_EQ(::mkfifo(folder.path("fifo.png").c_str(), 0600), 0);
  const struct {
    const char* name;
    std::string file_member;  // as written in the request
    std::string path;         // as the line gives it
  } rows[] = {
      {"missing file", folder.path("missing.png"), folder.path("missing.png")},
      {"text file", folder.path("note.txt"), folder.path("note.txt")},
      {"folder", folder.path(), folder.path()},
      {"tilde", "~/x.png", "~/x.png"},
      {"empty path", "", ""},
      {"PNG cut in half", folder.path("cut.png"), folder.path("cut.png")},
      {"JPEG cut in half", folder.path("cut.jpg"), folder.path("cut.jpg")},
      {"FIFO nobody writes to", folder.path("fifo.png"), folder.path("fifo.png")},
      {"line feed and escape in the path", R"(a\nb\u001b.png)", "a\\nb\\u001b.png"},
      {"NUL in the path of a picture", example + R"(\u0000.txt)",
       example + "\\u0000.txt"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const ProgramRun run = runMivoSee(requestFor(row.file_member));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.standardError,
              "mivo-see: " + row.path + " is not a picture this Mac can read\n");
    EXPECT_EQ(run.standardOutput, "");
  }
}

TEST(MivoSeeBinary, RejectsARequestThatIsNotTheJsonExpected) {
  const std::string deep = std::string(200000, '[') + std::string(200000, ']');
  const std::string rows[] = {"", "[]", requestFor("x.png") + " {}", deep};
  for (const std::string& request : rows) {
    SCOPED_TRACE(request.substr(0, 40));
    const ProgramRun run = runMivoSee(request);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.standardError, "mivo-see: stdin is not the JSON expected\n");
    EXPECT_EQ(run.standardOutput, "");
  }
}

TEST(MivoSeeBinary, FailsWithALineOfItsOwnWhenTheAnswerCannotBeWritten) {
  const struct {
    const char* name;
    OutputTarget output;
    std::string line;
  } rows[] = {
      {"closed pipe", OutputTarget::closed_pipe,
       "mivo-see: could not write the answer: Broken pipe\n"},
      {"full device", OutputTarget::full_device,
       "mivo-see: could not write the answer: No space left on device\n"},
      {"descriptor 1 closed", OutputTarget::closed,
       "mivo-see: could not write the answer: Bad file descriptor\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const ProgramRun run = runMivoSee(requestFor(MIVO_EXAMPLE_SCREENSHOT), ".", row.output);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.standardError, row.line);
  }
}

}  // namespace
}  // namespace mivo::test
