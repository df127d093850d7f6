#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tonarion {

// One mount of the system's mount table, the fields the drive discovery needs.
struct MountEntry {
    unsigned major = 0;
    unsigned minor = 0;
    std::string root;       // the folder of the file system that is mounted
    std::string mountPoint; // where it is mounted, escapes resolved
    std::string fileSystem;
    std::string source;
};

// The mounts of a mount table in /proc/self/mountinfo's form, read by libmount; lines it
// cannot read are skipped. A file that cannot be read gives no mounts.
std::vector<MountEntry> readMountInfo(const std::string& path);
std::vector<MountEntry> parseMountInfo(std::string_view text);

// The mount that holds folder (absolute, without "." or ".."): the one whose mount point is
// the longest leading part of it, the last one mounted where two are mounted on one place. Null
// when none is.
const MountEntry* mountHolding(const std::vector<MountEntry>& mounts, const std::string& folder);

// Whether a block device's path in sysfs (the target of /sys/dev/block/MAJ:MIN) runs
// through a USB controller.
bool isUsbDevicePath(std::string_view sysfsPath);

} // namespace tonarion
