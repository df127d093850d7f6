#include "storage/platform/DriveStrings.h"

namespace tonarion {
namespace {

constexpr std::size_t BusTypeOffset = 28;
constexpr std::size_t RootLength = 3;

} // namespace

std::vector<std::u16string> driveRootsOf(std::u16string_view buffer, std::size_t stored) {
    std::vector<std::u16string> roots;
    if (stored > buffer.size()) {
        return roots;
    }
    const std::u16string_view kept = buffer.substr(0, stored);
    // Every root ends in a NUL; what follows the last NUL is no root.
    std::size_t start = 0;
    for (std::size_t nul = kept.find(u'\0'); nul != std::u16string_view::npos;
         nul = kept.find(u'\0', start)) {
        roots.emplace_back(kept.substr(start, nul - start));
        start = nul + 1;
    }
    return roots;
}

std::u16string deviceNameOf(std::u16string_view root) {
    std::u16string device = u"\\\\.\\";
    if (!root.empty()) {
        device += root.front();
    }
    return device + u':';
}

DriveInfo driveInfoOf(bool answered, std::span<const unsigned char> answer) {
    DriveInfo info;
    info.Valid = answered;
    if (answered && answer.size() >= BusTypeOffset + 4) {
        for (std::size_t i = 0; i < 4; ++i) {
            info.BusType |= std::uint32_t{answer[BusTypeOffset + i]} << (8 * i);
        }
    }
    return info;
}

std::string volumeFileSystemName(std::string_view windowsName) {
    return windowsName == "FAT" ? std::string("FAT16") : std::string(windowsName);
}

std::vector<std::u16string>
usbRootsAmong(const std::vector<std::u16string>& roots,
              const std::function<DriveInfo(const std::u16string& root)>& queryDriveInfo) {
    std::vector<std::u16string> usbRoots;
    for (const auto& root : roots) {
        const DriveInfo info = queryDriveInfo(root);
        if (info.Valid && info.BusType == BusTypeUsb) {
            usbRoots.push_back(root.substr(0, RootLength));
        }
    }
    return usbRoots;
}

} // namespace tonarion
