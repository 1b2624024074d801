#pragma once

#include <string>

#include "platform/text_recognition.h"

namespace mivo::see {

// The text of the first image of the picture file at `path`: the top candidate
// of each observation, in the recogniser's order, joined by line feeds.
// Raises platform::RecognitionError unchanged. When the file cannot be opened
// as a picture it ends the run through finish.
std::string recognize(platform::TextRecognizer& recognizer, const std::string& path);

}  // namespace mivo::see
