#pragma once

#include "platform/text_recognition.h"
#include "see/model/model_services.h"

namespace mivo::see {

// The services a run reaches beyond its own process.
struct Services {
  platform::TextRecognizer& recognizer;
  model::ModelServices model;
};

// The mivo-see program: one screenshot per run, from the request on standard
// input to the answer on standard output.
struct MivoSee {
  // The whole run, in order; every path ends the process.
  [[noreturn]] static void main(const Services& services);
};

}  // namespace mivo::see
