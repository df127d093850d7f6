#pragma once

#include <string>

namespace tonarion::testing {

// A real FAT32 file system in an image file, mounted with fusefat for the lifetime of the
// object: the stick the storage tests write to.
class FatImage {
public:
    enum class Mount { ReadWrite, ReadOnly };

    explicit FatImage(const std::string& name, int megabytes = 40);
    ~FatImage();
    FatImage(const FatImage&) = delete;
    FatImage& operator=(const FatImage&) = delete;

    // The stick root: the mount point with a trailing "/".
    std::string root() const { return m_folder + "/mnt/"; }
    void remount(Mount mount);

private:
    void mount(Mount mount);
    void unmount();

    std::string m_folder; // holds the image stick.img and the mount point mnt
    bool m_mounted = false;
};

// Runs a shell command; throws with its text when it fails.
void runCommand(const std::string& command);

} // namespace tonarion::testing
