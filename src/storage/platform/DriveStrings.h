#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tonarion {

// The parsing half of drive discovery on Windows, kept free of Windows headers so that it is
// tested on every system. Texts are UTF-16, as the wide-character calls hand them over.

// GetLogicalDriveStrings fills a buffer of this many characters.
inline constexpr std::size_t DriveStringsLength = 240;
// The answer buffer of the storage property query.
inline constexpr std::size_t DeviceAnswerSize = 10000;
// STORAGE_BUS_TYPE's BusTypeUsb.
inline constexpr std::uint32_t BusTypeUsb = 7;

// What one drive's storage device says about itself.
struct DriveInfo {
    bool Valid = false;        // the device answered the query
    std::uint32_t BusType = 0; // a STORAGE_BUS_TYPE value
};

// The drive roots ("C:\", "E:\", ...) in a buffer that GetLogicalDriveStrings filled, each
// ended by a NUL, in the system's order. stored is the count the call returned; a count larger
// than the buffer means the roots did not fit and nothing was stored.
std::vector<std::u16string> driveRootsOf(std::u16string_view buffer, std::size_t stored);

// The device that stands for a drive root: "\\.\E:".
std::u16string deviceNameOf(std::u16string_view root);

// The answer to IOCTL_STORAGE_QUERY_PROPERTY: a STORAGE_DEVICE_DESCRIPTOR whose BusType is
// the 32-bit little-endian value at byte 28. answered tells whether the device answered.
DriveInfo driveInfoOf(bool answered, std::span<const unsigned char> answer);

// The file system GetVolumeInformation names, as the drive list shows it: Windows calls FAT16
// "FAT", and the module reads FAT16 as well as FAT32.
std::string volumeFileSystemName(std::string_view windowsName);

// The roots (first three characters) of those drives whose device answered with the USB bus,
// in the given order. A drive that cannot be asked or refuses to answer is left out.
std::vector<std::u16string>
usbRootsAmong(const std::vector<std::u16string>& roots,
              const std::function<DriveInfo(const std::u16string& root)>& queryDriveInfo);

} // namespace tonarion
