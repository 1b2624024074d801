#pragma once

#include "see/model/model_services.h"

namespace mivo::title {

// The mivo-title program: one request per run, an edit of paragraphs or the
// title of a transcript, from standard input to the answer on standard output.
struct MivoTitle {
  // The whole run, in order; every path ends the process.
  [[noreturn]] static void main(const model::ModelServices& services);
};

}  // namespace mivo::title
