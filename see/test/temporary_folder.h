#pragma once

#include <string>

namespace mivo::test {

// A fresh folder under the system's temporary folder, removed with all it
// holds when dropped.
class TemporaryFolder {
 public:
  TemporaryFolder();
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;
  ~TemporaryFolder();

  const std::string& path() const { return path_; }
  // The path of `name` inside the folder.
  std::string path(const std::string& name) const { return path_ + "/" + name; }
  // Writes `bytes` into a file `name` in the folder and gives its path.
  std::string writeFile(const std::string& name, const std::string& bytes) const;

 private:
  std::string path_;
};

}  // namespace mivo::test
