#include "support/FatImage.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <unistd.h>

namespace tonarion::testing {

void runCommand(const std::string& command) {
    if (std::system(command.c_str()) != 0) {
        throw std::runtime_error("command failed: " + command);
    }
}

FatImage::FatImage(const std::string& name, int megabytes) {
    namespace fs = std::filesystem;
    m_folder =
        (fs::temp_directory_path() / ("tonarion-fat-" + name + "-" + std::to_string(::getpid())))
            .string();
    fs::remove_all(m_folder);
    fs::create_directories(m_folder + "/mnt");
    runCommand("cd '" + m_folder + "' && truncate -s " + std::to_string(megabytes) +
               "M stick.img && mkfs.vfat -F 32 -n TONARION stick.img > /dev/null");
    mount(Mount::ReadWrite);
}

FatImage::~FatImage() {
    try {
        unmount();
    } catch (const std::exception&) {
        // The temporary folder stays behind; nothing more can be done here.
        return;
    }
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
}

void FatImage::remount(Mount mount) {
    unmount();
    this->mount(mount);
}

void FatImage::mount(Mount mount) {
    const std::string options = mount == Mount::ReadWrite ? "rw+" : "ro";
    runCommand("fusefat -o " + options + " '" + m_folder + "/stick.img' '" + m_folder +
               "/mnt' > /dev/null 2>&1");
    m_mounted = true;
}

void FatImage::unmount() {
    if (m_mounted) {
        m_mounted = false;
        runCommand("fusermount -u '" + m_folder + "/mnt'");
    }
}

} // namespace tonarion::testing
