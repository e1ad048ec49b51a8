// A fresh folder under the system's temporary folder, removed with everything in it.
#pragma once

#include <string>

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }
    // Path of `name` inside the folder, with forward slashes.
    std::string PathOf(const std::string& name) const { return path_ + "/" + name; }
    // Writes `bytes` to `name` (made or replaced) and returns its path.
    std::string Write(const std::string& name, const std::string& bytes) const;

private:
    std::string path_;
};

std::string ReadWholeFile(const std::string& path);
// True when nothing holds the file open: it can be opened for exclusive use.
bool FileIsClosed(const std::string& path);
