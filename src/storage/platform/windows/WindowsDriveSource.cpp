#include "storage/platform/windows/WindowsDriveSource.h"

#include "storage/platform/windows/Win32Handle.h"
#include "storage/platform/windows/WindowsText.h"

// winioctl.h builds on what windows.h declares.
// clang-format off
#include <windows.h>
#include <winioctl.h>
// clang-format on

#include <array>
#include <cstddef>

namespace tonarion {
namespace {

static_assert(IOCTL_STORAGE_QUERY_PROPERTY == 0x2D1400);
static_assert(sizeof(STORAGE_PROPERTY_QUERY) == 12);
static_assert(offsetof(STORAGE_DEVICE_DESCRIPTOR, BusType) == 28);
static_assert(BusTypeUsb == static_cast<std::uint32_t>(::BusTypeUsb));

} // namespace

DriveInfo QueryDriveInfo(const std::u16string& root) {
    const std::u16string device = deviceNameOf(root);
    // No read or write rights: asking for the bus needs none, and a drive without medium or
    // one the user may not read still answers.
    FileHandle handle(CreateFileW(std::wstring(device.begin(), device.end()).c_str(), 0,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                  nullptr));
    if (!handle.valid()) {
        return {};
    }
    STORAGE_PROPERTY_QUERY query{};
    query.PropertyId = StorageDeviceProperty;
    query.QueryType = PropertyStandardQuery;
    std::vector<unsigned char> answer(DeviceAnswerSize, 0);
    DWORD returned = 0;
    const bool answered =
        DeviceIoControl(handle.get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query,
                        answer.data(), static_cast<DWORD>(answer.size()), &returned, nullptr);
    return driveInfoOf(answered, answer);
}

std::vector<std::string> WindowsDriveSource::usbDriveRoots() {
    std::array<wchar_t, DriveStringsLength> buffer{};
    const DWORD stored = GetLogicalDriveStringsW(static_cast<DWORD>(buffer.size()), buffer.data());
    const std::u16string text(buffer.begin(), buffer.end());
    std::vector<std::string> roots;
    for (const auto& root : usbRootsAmong(driveRootsOf(text, stored), QueryDriveInfo)) {
        roots.push_back(toUtf8(std::wstring(root.begin(), root.end())));
    }
    return roots;
}

} // namespace tonarion
