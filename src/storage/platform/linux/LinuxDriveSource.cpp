#include "storage/platform/linux/LinuxDriveSource.h"

#include "storage/platform/linux/MountInfo.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tonarion {

LinuxDriveSource::LinuxDriveSource(std::string systemRoot)
    : m_systemRoot(std::move(systemRoot)) {}

std::vector<std::string> LinuxDriveSource::usbDriveRoots() {
    namespace fs = std::filesystem;
    const fs::path root(m_systemRoot);
    std::ifstream file(root / "proc/self/mountinfo");
    std::stringstream text;
    text << file.rdbuf();

    std::vector<std::string> roots;
    for (const MountEntry& mount : parseMountInfo(text.str())) {
        // Only whole file systems of real block devices; bind mounts show a sub-folder.
        if (mount.major == 0 || mount.root != "/") {
            continue;
        }
        const fs::path device = root / "sys/dev/block" /
                                (std::to_string(mount.major) + ":" + std::to_string(mount.minor));
        std::error_code error;
        const fs::path target = fs::read_symlink(device, error);
        if (error || !isUsbDevicePath(target.generic_string())) {
            continue;
        }
        std::string stickRoot = mount.mountPoint;
        if (stickRoot.empty() || stickRoot.back() != '/') {
            stickRoot += '/';
        }
        if (std::find(roots.begin(), roots.end(), stickRoot) == roots.end()) {
            roots.push_back(std::move(stickRoot));
        }
    }
    return roots;
}

} // namespace tonarion
