#include <string_view>

#include "hands/hands.h"
#include "platform/foundation/process.h"
#include "platform/linux/libjpeg_encoding.h"
#include "platform/linux/posix_termination_signals.h"
#include "platform/linux/thread_sleeper.h"
#include "platform/linux/x11/x11_input_events.h"
#include "platform/linux/x11/x11_permissions.h"
#include "platform/linux/x11/x11_running_applications.h"
#include "platform/linux/x11/x11_screen_capture.h"
#include "see/finish/finish.h"

namespace {

constexpr std::string_view kDisplayGone = "mivo-hands: the X display is no longer there";

// Makes no X call: the connection is broken.
void endAsTheDisplayWentAway() { mivo::finish(1, kDisplayGone); }

}  // namespace

int main() {
  // First, before anything can take the number of a closed standard descriptor.
  mivo::foundation::startProcess();
  mivo::platform::X11Display::whenLost(endAsTheDisplayWentAway);
  mivo::platform::X11InputEvents input;
  mivo::platform::ThreadSleeper sleeper;
  mivo::platform::PosixTerminationSignals signals(&input.connection());
  mivo::platform::X11ScreenCapture screen_capture;
  mivo::platform::LibjpegEncoding jpeg;
  mivo::platform::X11Permissions permissions;
  mivo::platform::X11RunningApplications applications;
  mivo::hands::Hands::main({.input = input,
                            .sleeper = sleeper,
                            .signals = signals,
                            .screenCapture = screen_capture,
                            .jpeg = jpeg,
                            .permissions = permissions,
                            .applications = applications});
}
