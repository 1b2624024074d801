#include "hands/hands.h"

#include <optional>
#include <string>
#include <string_view>

#include "hands/answer.h"
#include "hands/commands.h"
#include "hands/events.h"
#include "hands/request.h"
#include "platform/foundation/process.h"
#include "see/finish/finish.h"

namespace mivo::hands {
namespace {

// The ellipsis is the one character U+2026.
constexpr std::string_view kGiveIt = "mivo-hands: give it {\"do\": \u2026} as JSON on stdin";
constexpr std::string_view kNoCommand = "mivo-hands: no command ";
constexpr std::string_view kNoScreenshot = "mivo-hands: no screenshot: ";

Request readRequest() {
  // Input that cannot be read is as unusable as input that is not JSON.
  const std::optional<std::string> bytes = foundation::process().readStandardInputToEnd();
  if (!bytes) finish(1, kGiveIt);
  try {
    return Request::parse(*bytes);
  } catch (const foundation::DecodingError&) {
    finish(1, kGiveIt);
  }
}

// The handler's answer. Only the capture of "screenshot" raises an error: it
// ends the run with the system's description.
Answer carriedOut(const Command& command, const Request& request, Events& events,
                  const Services& services) {
  try {
    return command.handler(request, events, services);
  } catch (const platform::CaptureError& error) {
    finish(1, std::string(kNoScreenshot) + error.what());
  }
}

}  // namespace

void Hands::main(const Services& services) {
  requireStandardOutput();
  const Request request = readRequest();
  const std::optional<std::string> name = request.text("do");
  if (!name) finish(1, kGiveIt);
  const Command* command = findCommand(*name);
  if (command == nullptr) finish(1, std::string(kNoCommand) + *name);
  Events events(services);
  const Answer result = carriedOut(*command, request, events, services);
  events.end();
  answer(result);
  foundation::process().exit(0);
}

}  // namespace mivo::hands
