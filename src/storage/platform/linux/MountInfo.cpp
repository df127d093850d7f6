#include "storage/platform/linux/MountInfo.h"

#include <charconv>

namespace tonarion {
namespace {

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (start < line.size()) {
        const auto end = line.find(' ', start);
        const auto stop = end == std::string_view::npos ? line.size() : end;
        if (stop > start) {
            fields.push_back(line.substr(start, stop - start));
        }
        start = stop + 1;
    }
    return fields;
}

bool parseNumber(std::string_view text, unsigned& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc{} && end == text.data() + text.size();
}

bool isOctal(char c) {
    return c >= '0' && c <= '7';
}

} // namespace

std::string unescapeMountField(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && isOctal(field[i + 1]) &&
            isOctal(field[i + 2]) && isOctal(field[i + 3])) {
            const int value =
                (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
            out += static_cast<char>(value);
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

std::vector<MountEntry> parseMountInfo(std::string_view text) {
    std::vector<MountEntry> mounts;
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const auto fields = splitFields(text.substr(start, end - start));
        start = end + 1;

        // ID, parent, major:minor, root, mount point, options, optional fields..., "-",
        // file system, source, super options.
        std::size_t dash = 6;
        while (dash < fields.size() && fields[dash] != "-") {
            ++dash;
        }
        if (fields.size() < 6 || dash + 2 >= fields.size()) {
            continue;
        }
        MountEntry mount;
        const auto colon = fields[2].find(':');
        if (colon == std::string_view::npos ||
            !parseNumber(fields[2].substr(0, colon), mount.major) ||
            !parseNumber(fields[2].substr(colon + 1), mount.minor)) {
            continue;
        }
        mount.root = unescapeMountField(fields[3]);
        mount.mountPoint = unescapeMountField(fields[4]);
        mount.fileSystem = unescapeMountField(fields[dash + 1]);
        mount.source = unescapeMountField(fields[dash + 2]);
        mounts.push_back(std::move(mount));
    }
    return mounts;
}

bool isUsbDevicePath(std::string_view sysfsPath) {
    std::size_t start = 0;
    while (start <= sysfsPath.size()) {
        auto end = sysfsPath.find('/', start);
        if (end == std::string_view::npos) {
            end = sysfsPath.size();
        }
        const auto component = sysfsPath.substr(start, end - start);
        // USB controllers and ports appear as usb1, usb2, ... in the device path.
        if (component.size() > 3 && component.starts_with("usb") &&
            component.find_first_not_of("0123456789", 3) == std::string_view::npos) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

} // namespace tonarion
