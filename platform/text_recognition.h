#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace mivo::platform {

// The first image of a picture file, as a recogniser loaded it. Only the
// recogniser that made it can read it; dropping it releases the image.
class Image {
 public:
  virtual ~Image() = default;
};

// One recognised line of text with its best reading, if the recogniser gave one.
struct TextObservation {
  std::optional<std::string> topCandidate;
};

// Raised when recognition fails; what() is the recogniser's own description.
class RecognitionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The on-device text recogniser, at its accurate level with language
// correction, on the full image as it is stored (no orientation is applied).
class TextRecognizer {
 public:
  virtual ~TextRecognizer() = default;

  // The first image of the file at `path` (relative to the current directory,
  // no tilde expansion), or none when the file cannot be opened as a picture or
  // holds no image.
  virtual std::unique_ptr<Image> loadFirstImage(const std::string& path) = 0;

  // The observations, in the recogniser's order; raises RecognitionError.
  virtual std::vector<TextObservation> recognizeText(const Image& image) = 0;
};

}  // namespace mivo::platform
