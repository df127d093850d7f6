// The mount table the drive discovery reads. The kernel writes it, but a mount point's name
// is chosen by whoever mounts, so the parser must take anything.

#include "FuzzCheck.h"
#include "storage/platform/linux/MountInfo.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace tonarion;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto mounts = parseMountInfo(text);
    const auto lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
    fuzz::require(mounts.size() <= lines, "at most one mount per line");
    for (const auto& mount : mounts) {
        fuzz::require(mount.mountPoint.size() <= text.size(), "fields come from the text");
    }
    isUsbDevicePath(text);
    return 0;
}
