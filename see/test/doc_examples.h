#pragma once

#include <string>

namespace mivo::test {

// A run of an example request as a program's reference shows it.
struct ShownRun {
  int status;
  std::string standardError;   // the line without its line feed; "" for none
  std::string standardOutput;  // the answer as the reference shows it; "" for none
};

// The whole of the file at `path`; raises std::runtime_error when it cannot be
// read.
std::string readTextFile(const std::string& path);

// The request that the example file at `path` holds: its text without the
// line feed that ends it.
std::string exampleRequest(const std::string& path);

// "" when `doc` shows the example named `example` (as the doc names it, for
// example "see/examples/blank.json") with `request` and `run`: after a mention
// of the example, and before the next mention of any example, the request,
// then "exit status N", then the standard-error line and the answer, in this
// order. Otherwise what the doc lacks.
std::string missingFromDoc(const std::string& doc, const std::string& example,
                           const std::string& request, const ShownRun& run);

}  // namespace mivo::test
