#include "see/finish/finish.h"

#include <string>

#include "platform/foundation/process.h"
#include "see/finish/one_line.h"

namespace mivo {

void finish(std::int32_t status, std::string_view message) {
  std::string line = oneLine(message);
  line += '\n';
  // A line that cannot be written has nowhere else to go; the exit status
  // still tells the host that the run failed.
  (void)foundation::process().writeStandardError(line);
  foundation::process().exit(status);
}

}  // namespace mivo
