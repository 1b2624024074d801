#include "platform/fake/fake_text_recognizer.h"

namespace mivo::platform {
namespace {

class FakeImage : public Image {
 public:
  FakeImage(std::string path, std::shared_ptr<int> liveImages)
      : path_(std::move(path)), live_images_(std::move(liveImages)) {
    ++*live_images_;
  }
  ~FakeImage() override { --*live_images_; }

  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::shared_ptr<int> live_images_;
};

}  // namespace

void FakeTextRecognizer::addPicture(const std::string& path,
                                     std::vector<TextObservation> observations) {
  pictures_[path] = {std::move(observations), std::nullopt};
}

void FakeTextRecognizer::addFailingPicture(const std::string& path,
                                             const std::string& description) {
  pictures_[path] = {{}, description};
}

std::unique_ptr<Image> FakeTextRecognizer::loadFirstImage(const std::string& path) {
  calls_.push_back("loadFirstImage " + path);
  if (!pictures_.contains(path)) return nullptr;
  return std::make_unique<FakeImage>(path, live_images_);
}

std::vector<TextObservation> FakeTextRecognizer::recognizeText(const Image& image) {
  const std::string& path = static_cast<const FakeImage&>(image).path();
  calls_.push_back("recognizeText " + path);
  const Picture& picture = pictures_.at(path);
  if (picture.error) throw RecognitionError(*picture.error);
  return picture.observations;
}

}  // namespace mivo::platform
