#include "platform/foundation/process.h"

#include <cstdlib>

#include "platform/foundation/posix_process.h"

namespace mivo::foundation {
namespace {

Process*& processInUse() {
  static PosixProcess real;
  static Process* in_use = &real;
  return in_use;
}

}  // namespace

void Process::exit(int status) {
  end(status);
  // The compiler cannot see through the virtual call that end never returns;
  // an override that did would otherwise run the program on past its end.
  std::abort();
}

Process& process() { return *processInUse(); }

void startProcess() { (void)processInUse(); }

Process& replaceProcess(Process& replacement) {
  Process& replaced = *processInUse();
  processInUse() = &replacement;
  return replaced;
}

}  // namespace mivo::foundation
