#pragma once

namespace mivo::platform {

// While it lives, standard output and standard error lead to /dev/null.
// Leptonica, the codecs under it and Tesseract print warnings and errors of
// their own (libpng's "libpng error: Read Error", libjpeg's "Premature end of
// JPEG file", Leptonica's relays of OpenJPEG's notes, on standard output), and
// not all of them can be told not to; the program's streams carry only its
// answer and its own lines.
// Whatever the libraries left in the C library's buffers is flushed into
// /dev/null before the streams come back.
class SilencedStandardStreams {
 public:
  SilencedStandardStreams();
  SilencedStandardStreams(const SilencedStandardStreams&) = delete;
  SilencedStandardStreams& operator=(const SilencedStandardStreams&) = delete;
  ~SilencedStandardStreams();

 private:
  // The streams' own descriptors while they are silenced; -1 for a stream
  // that could not be (it was closed, or no descriptor was left).
  int saved_output_ = -1;
  int saved_error_ = -1;
};

}  // namespace mivo::platform
