#include "storage/platform/linux/LinuxDriveSource.h"

#include "storage/platform/linux/MountInfo.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <sys/statvfs.h>

namespace tonarion {
namespace {

std::vector<MountEntry> mountsOf(const std::string& systemRoot) {
    return readMountInfo((std::filesystem::path(systemRoot) / "proc/self/mountinfo").string());
}

} // namespace

FileValue<MediumSize> statvfsSizeOf(const std::string& folder) {
    struct statvfs info {};
    if (::statvfs(folder.c_str(), &info) != 0) {
        return {folder, std::error_code(errno, std::generic_category())};
    }
    return {folder, MediumSize{static_cast<std::uintmax_t>(info.f_blocks) * info.f_frsize,
                               static_cast<std::uintmax_t>(info.f_bavail) * info.f_frsize}};
}

LinuxDriveSource::LinuxDriveSource()
    : m_systemRoot("/")
    , m_ownDevices(makeSystemBlockDevices())
    , m_devices(*m_ownDevices)
    , m_sizeOf(&statvfsSizeOf) {}

LinuxDriveSource::LinuxDriveSource(std::string systemRoot, BlockDevices& devices,
                                   MediumSizeOf sizeOf)
    : m_systemRoot(std::move(systemRoot))
    , m_devices(devices)
    , m_sizeOf(std::move(sizeOf)) {}

std::vector<std::string> LinuxDriveSource::usbDriveRoots() {
    std::vector<std::string> roots;
    for (const MountEntry& mount : mountsOf(m_systemRoot)) {
        // Only whole file systems of real block devices; bind mounts show a sub-folder.
        if (mount.major == 0 || mount.root != "/") {
            continue;
        }
        const auto facts = m_devices.facts(mount.major, mount.minor);
        if (!facts || !facts->onUsb) {
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

FileValue<VolumeInfo> LinuxDriveSource::volumeInfo(const std::string& folder) {
    std::error_code error;
    const std::string place =
        std::filesystem::absolute(folder, error).lexically_normal().generic_string();
    const auto mounts = mountsOf(m_systemRoot);
    const MountEntry* mount = mountHolding(mounts, error ? folder : place);
    if (!mount) {
        return {folder, std::make_error_code(std::errc::no_such_device)};
    }
    VolumeInfo volume;
    const auto facts =
        mount->major != 0 ? m_devices.facts(mount->major, mount->minor) : std::nullopt;
    volume.label = facts ? facts->label : std::string();
    volume.fileSystem = fileSystemName(mount->fileSystem, facts.value_or(BlockDeviceFacts{}));
    // A medium whose size cannot be told is still named; the sizes stay 0.
    if (const auto size = m_sizeOf(folder)) {
        volume.totalBytes = size->totalBytes;
        volume.freeBytes = size->freeBytes;
    }
    return {folder, volume};
}

} // namespace tonarion
