#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tonarion {

// What the system knows about the block device behind a mount.
struct BlockDeviceFacts {
    bool onUsb = false;
    std::string label;
    std::string fileSystemType;    // blkid's TYPE: "vfat", "exfat", "ntfs", ...
    std::string fileSystemVersion; // blkid's VERSION: "FAT32", "FAT16", ...
};

// Where the facts come from: udev's database on a running system, the device tree in sysfs
// where the program was built without libudev, a table in tests.
class BlockDevices {
public:
    virtual ~BlockDevices() = default;
    // Nothing for a device the system does not know.
    virtual std::optional<BlockDeviceFacts> facts(unsigned major, unsigned minor) = 0;
};

// The bus from sysfs alone: a device whose path runs through a USB controller. sysfs knows no
// labels. systemRoot is "/" on a real system and a fixture tree in tests.
class SysfsBlockDevices final : public BlockDevices {
public:
    explicit SysfsBlockDevices(std::string systemRoot = "/");
    std::optional<BlockDeviceFacts> facts(unsigned major, unsigned minor) override;

private:
    std::string m_systemRoot;
};

// The facts in udev's properties of a device, asked one by one: ID_BUS, ID_FS_LABEL_ENC (or
// ID_FS_LABEL), ID_FS_TYPE and ID_FS_VERSION, which udev takes from blkid. A missing
// property answers null.
BlockDeviceFacts
factsOfUdevProperties(const std::function<const char*(const char* name)>& property);

// Resolves the "\x20" escapes udev writes into ID_FS_LABEL_ENC for blanks, slashes and every
// byte it does not trust.
std::string decodeUdevText(std::string_view text);

// The name of a file system as Windows shows it: "FAT32", "FAT16", "exFAT", "NTFS"; other
// types as Linux calls them. mountType is the mount table's type, the facts tell more.
std::string fileSystemName(std::string_view mountType, const BlockDeviceFacts& facts);

// udev where the program was built with libudev, sysfs otherwise.
std::unique_ptr<BlockDevices> makeSystemBlockDevices();

} // namespace tonarion
