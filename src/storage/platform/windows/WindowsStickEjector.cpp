#include "storage/platform/windows/WindowsStickEjector.h"

#include "storage/platform/DriveStrings.h"
#include "storage/platform/windows/Win32Handle.h"
#include "storage/platform/windows/WindowsText.h"

// The device headers build on what windows.h declares.
// clang-format off
#include <windows.h>
#include <winioctl.h>
#include <setupapi.h>
#include <cfgmgr32.h>
// clang-format on

#include <array>
#include <optional>
#include <vector>

namespace tonarion {
namespace {

// GUID_DEVINTERFACE_DISK, spelt out: the header only declares it.
constexpr GUID DiskInterface = {
    0x53f56307, 0xb6bf, 0x11d0, {0x94, 0xf2, 0x00, 0xa0, 0xc9, 0x1e, 0xfb, 0x8b}};

using DeviceList = Win32Handle<&SetupDiDestroyDeviceInfoList>;

bool isDriveRoot(const std::wstring& root) {
    return root.size() == 3 && root[1] == L':' && root[2] == L'\\';
}

// Which disk a volume or a disk interface lies on; asking needs no rights on the device.
std::optional<STORAGE_DEVICE_NUMBER> deviceNumberOf(const std::wstring& device) {
    FileHandle handle(CreateFileW(device.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    STORAGE_DEVICE_NUMBER number{};
    DWORD returned = 0;
    if (!handle.valid() || !DeviceIoControl(handle.get(), IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr,
                                            0, &number, sizeof number, &returned, nullptr)) {
        return std::nullopt;
    }
    return number;
}

// The device instance of the disk with this number, among the disks present.
std::optional<DEVINST> diskInstanceOf(const STORAGE_DEVICE_NUMBER& wanted) {
    DeviceList disks(SetupDiGetClassDevsW(&DiskInterface, nullptr, nullptr,
                                          DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    if (!disks.valid()) {
        return std::nullopt;
    }
    SP_DEVICE_INTERFACE_DATA disk{};
    disk.cbSize = sizeof disk;
    for (DWORD index = 0;
         SetupDiEnumDeviceInterfaces(disks.get(), nullptr, &DiskInterface, index, &disk); ++index) {
        DWORD size = 0;
        SetupDiGetDeviceInterfaceDetailW(disks.get(), &disk, nullptr, 0, &size, nullptr);
        if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) {
            continue;
        }
        std::vector<unsigned char> buffer(size);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        SP_DEVINFO_DATA instance{};
        instance.cbSize = sizeof instance;
        if (!SetupDiGetDeviceInterfaceDetailW(disks.get(), &disk, detail, size, nullptr,
                                              &instance)) {
            continue;
        }
        const auto number = deviceNumberOf(detail->DevicePath);
        if (number && number->DeviceType == wanted.DeviceType &&
            number->DeviceNumber == wanted.DeviceNumber) {
            return instance.DevInst;
        }
    }
    return std::nullopt;
}

} // namespace

EjectResult WindowsStickEjector::eject(const std::string& stickRoot) {
    const std::wstring root = toWide(stickRoot);
    if (!isDriveRoot(root)) {
        return {EjectOutcome::NotAStick, {}};
    }
    const std::u16string device = deviceNameOf(std::u16string(root.begin(), root.end()));
    const auto number = deviceNumberOf(std::wstring(device.begin(), device.end()));
    const auto disk = number ? diskInstanceOf(*number) : std::nullopt;
    DEVINST usbDevice = 0;
    // The disk is a child of the USB device; ejecting that takes the whole stick away.
    if (!disk || CM_Get_Parent(&usbDevice, *disk, 0) != CR_SUCCESS) {
        return {EjectOutcome::NotAStick, {}};
    }
    PNP_VETO_TYPE veto = PNP_VetoTypeUnknown;
    std::array<wchar_t, MAX_PATH> vetoName{};
    const CONFIGRET result = CM_Request_Device_EjectW(usbDevice, &veto, vetoName.data(),
                                                      static_cast<ULONG>(vetoName.size()), 0);
    if (result == CR_SUCCESS && veto == PNP_VetoTypeUnknown) {
        return {EjectOutcome::Ejected, {}};
    }
    const std::string vetoedBy = toUtf8(vetoName.data());
    if (veto == PNP_VetoOutstandingOpen) {
        return {EjectOutcome::Busy, vetoedBy};
    }
    return {EjectOutcome::Failed, result == CR_SUCCESS
                                      ? "PNP_VETO_TYPE " + std::to_string(veto) + " " + vetoedBy
                                      : "CONFIGRET " + std::to_string(result)};
}

} // namespace tonarion
