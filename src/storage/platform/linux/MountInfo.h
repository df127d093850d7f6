#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tonarion {

// One line of /proc/self/mountinfo, the fields the drive discovery needs.
struct MountEntry {
    unsigned major = 0;
    unsigned minor = 0;
    std::string root;       // the folder of the file system that is mounted
    std::string mountPoint; // where it is mounted, octal escapes resolved
    std::string fileSystem;
    std::string source;
};

// Resolves the octal escapes the kernel writes for blanks, tabs, line breaks and
// backslashes ("\040" is a blank).
std::string unescapeMountField(std::string_view field);

// Every well-formed line; malformed lines are skipped.
std::vector<MountEntry> parseMountInfo(std::string_view text);

// Whether a block device's path in sysfs (the target of /sys/dev/block/MAJ:MIN) runs
// through a USB controller.
bool isUsbDevicePath(std::string_view sysfsPath);

} // namespace tonarion
