#include "storage/platform/linux/BlockDevices.h"

#include "storage/platform/linux/MountInfo.h"

#include <filesystem>
#include <sys/sysmacros.h>

#ifdef TONARION_HAVE_LIBUDEV
#include <libudev.h>
#endif

namespace tonarion {
namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

#ifdef TONARION_HAVE_LIBUDEV
struct UdevDeleter {
    void operator()(udev* context) const { udev_unref(context); }
};
struct DeviceDeleter {
    void operator()(udev_device* device) const { udev_device_unref(device); }
};

class UdevBlockDevices final : public BlockDevices {
public:
    std::optional<BlockDeviceFacts> facts(unsigned major, unsigned minor) override {
        if (!m_udev) {
            return std::nullopt;
        }
        const std::unique_ptr<udev_device, DeviceDeleter> device(
            udev_device_new_from_devnum(m_udev.get(), 'b', makedev(major, minor)));
        if (!device) {
            return std::nullopt;
        }
        return factsOfUdevProperties(
            [&](const char* name) { return udev_device_get_property_value(device.get(), name); });
    }

private:
    std::unique_ptr<udev, UdevDeleter> m_udev{udev_new()};
};
#endif

} // namespace

SysfsBlockDevices::SysfsBlockDevices(std::string systemRoot)
    : m_systemRoot(std::move(systemRoot)) {}

std::optional<BlockDeviceFacts> SysfsBlockDevices::facts(unsigned major, unsigned minor) {
    namespace fs = std::filesystem;
    const fs::path device = fs::path(m_systemRoot) / "sys/dev/block" /
                            (std::to_string(major) + ":" + std::to_string(minor));
    std::error_code error;
    const fs::path target = fs::read_symlink(device, error);
    if (error) {
        return std::nullopt;
    }
    BlockDeviceFacts facts;
    facts.onUsb = isUsbDevicePath(target.generic_string());
    return facts;
}

BlockDeviceFacts
factsOfUdevProperties(const std::function<const char*(const char* name)>& property) {
    const auto text = [&](const char* name) {
        const char* value = property(name);
        return value ? std::string(value) : std::string();
    };
    BlockDeviceFacts facts;
    facts.onUsb = text("ID_BUS") == "usb";
    // ID_FS_LABEL has blanks and odd bytes replaced by "_"; the encoded one keeps them.
    const char* encoded = property("ID_FS_LABEL_ENC");
    facts.label = encoded ? decodeUdevText(encoded) : text("ID_FS_LABEL");
    facts.fileSystemType = text("ID_FS_TYPE");
    facts.fileSystemVersion = text("ID_FS_VERSION");
    return facts;
}

std::string decodeUdevText(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' &&
            hexValue(text[i + 2]) >= 0 && hexValue(text[i + 3]) >= 0) {
            out += static_cast<char>(hexValue(text[i + 2]) * 16 + hexValue(text[i + 3]));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string fileSystemName(std::string_view mountType, const BlockDeviceFacts& facts) {
    // A FUSE mount calls itself "fuseblk"; the device knows what it holds.
    const std::string_view type =
        facts.fileSystemType.empty() ? mountType : std::string_view(facts.fileSystemType);
    if (type == "vfat" || type == "msdos" || type == "fuse.fusefat") {
        return facts.fileSystemVersion.starts_with("FAT") ? facts.fileSystemVersion : "FAT";
    }
    if (type == "exfat" || type == "fuse.exfat") {
        return "exFAT";
    }
    if (type == "ntfs" || type == "ntfs3" || type == "fuse.ntfs-3g") {
        return "NTFS";
    }
    return std::string(type);
}

std::unique_ptr<BlockDevices> makeSystemBlockDevices() {
#ifdef TONARION_HAVE_LIBUDEV
    return std::make_unique<UdevBlockDevices>();
#else
    return std::make_unique<SysfsBlockDevices>();
#endif
}

} // namespace tonarion
