#pragma once

#include <cstdint>

namespace tonarion {

// What makes a file or folder the one it is, however its path is spelled: device and inode
// on Linux, volume serial number and file index on Windows. The same stick reached through
// another drive letter, mount point, symbolic link or a relative path has the same identity.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t file = 0;
    bool operator==(const FileIdentity&) const = default;
};

} // namespace tonarion
