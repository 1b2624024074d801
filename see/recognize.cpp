#include "see/recognize.h"

#include "see/finish/finish.h"

namespace mivo::see {

std::string recognize(platform::TextRecognizer& recognizer, const std::string& path) {
  const std::unique_ptr<platform::Image> image = recognizer.loadFirstImage(path);
  if (image == nullptr) finish(1, "mivo-see: " + path + " is not a picture this Mac can read");
  const std::vector<platform::TextObservation> observations = recognizer.recognizeText(*image);

  std::string text;
  bool first = true;
  for (const platform::TextObservation& observation : observations) {
    if (!observation.topCandidate) continue;
    if (!first) text += '\n';
    text += *observation.topCandidate;
    first = false;
  }
  return text;
}

}  // namespace mivo::see
