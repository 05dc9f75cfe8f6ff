// A private temporary folder for a test's files.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

namespace tinydb::test {

// A new, empty folder of its own under the system's temporary folder
// (|prefix| followed by six random characters), removed with everything in
// it when the object dies. Throws std::runtime_error when it cannot be made.
class TTempDir {
 public:
  explicit TTempDir(const std::string& prefix = "zestoria-test-") {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr)
      throw std::runtime_error("cannot make a temporary folder " + pattern);
    path_ = pattern;
  }
  ~TTempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;

  // The path of |name| inside the folder.
  std::string Path(const std::string& name) const { return (path_ / name).string(); }
  const std::filesystem::path& Dir() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace tinydb::test
