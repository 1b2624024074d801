#pragma once

#include <optional>

namespace mivo::platform {

// Termination signals (HUP, INT, QUIT, TERM) noted rather than obeyed, for a
// backend that must undo a change to something shared before the run ends:
// an X server keeps a keyboard map as a program left it. From
// `noteTerminationSignals` on, each of them whose action is still the
// default one is noted when it comes instead of ending the process; once the
// backend has undone its change, `obeyTerminationSignals` ends the run as
// the one noted would have. A signal that the process ignores stays ignored.
void noteTerminationSignals();

// The first one noted; none before one came.
std::optional<int> notedTerminationSignal();

// Gives them their default action again; one noted meanwhile ends the run
// now.
void obeyTerminationSignals();

}  // namespace mivo::platform
