// A private temporary folder for one test, removed with everything in it at the end.
#pragma once

#include <string>

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder, ending with "/".
    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + name; }

    static std::string Read(const std::string& file);
    static void Write(const std::string& file, const std::string& bytes);

  private:
    std::string path_;
};
