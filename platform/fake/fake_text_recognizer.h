#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/text_recognition.h"

namespace mivo::platform {

// A scripted recogniser that records every call, in order. Paths that were
// not scripted are not pictures.
class FakeTextRecognizer : public TextRecognizer {
 public:
  // `path` loads, and recognising it gives `observations`.
  void addPicture(const std::string& path, std::vector<TextObservation> observations);
  // `path` loads, and recognising it raises an error with `description`.
  void addFailingPicture(const std::string& path, const std::string& description);

  std::unique_ptr<Image> loadFirstImage(const std::string& path) override;
  std::vector<TextObservation> recognizeText(const Image& image) override;

  // "loadFirstImage PATH" and "recognizeText PATH", in the order made.
  const std::vector<std::string>& calls() const { return calls_; }
  // Images made and not yet released.
  int liveImages() const { return *live_images_; }

 private:
  struct Picture {
    std::vector<TextObservation> observations;
    std::optional<std::string> error;
  };

  std::map<std::string, Picture> pictures_;
  std::vector<std::string> calls_;
  std::shared_ptr<int> live_images_ = std::make_shared<int>(0);
};

}  // namespace mivo::platform
