#include "storage/platform/linux/MountInfo.h"

#include <cstdio>
#include <libmount/libmount.h>
#include <memory>
#include <sys/sysmacros.h>

namespace tonarion {
namespace {

struct TableDeleter {
    void operator()(libmnt_table* table) const { mnt_unref_table(table); }
};
struct IteratorDeleter {
    void operator()(libmnt_iter* iterator) const { mnt_free_iter(iterator); }
};
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

std::string textOf(const char* field) {
    return field ? std::string(field) : std::string();
}

// The kernel writes the mount table line by line, and one odd line must not hide the sticks in
// the others: libmount skips what it cannot read when the callback says so.
int skipUnreadableLine(libmnt_table*, const char*, int) {
    return 1;
}

std::vector<MountEntry> mountsInStream(std::FILE* stream, const char* name) {
    std::vector<MountEntry> mounts;
    const std::unique_ptr<libmnt_table, TableDeleter> table(mnt_new_table());
    if (!stream || !table) {
        return mounts;
    }
    mnt_table_set_parser_errcb(table.get(), &skipUnreadableLine);
    if (mnt_table_parse_stream(table.get(), stream, name) != 0) {
        return mounts;
    }
    const std::unique_ptr<libmnt_iter, IteratorDeleter> iterator(mnt_new_iter(MNT_ITER_FORWARD));
    libmnt_fs* fs = nullptr;
    while (iterator && mnt_table_next_fs(table.get(), iterator.get(), &fs) == 0) {
        const dev_t device = mnt_fs_get_devno(fs);
        mounts.push_back({major(device), minor(device), textOf(mnt_fs_get_root(fs)),
                          textOf(mnt_fs_get_target(fs)), textOf(mnt_fs_get_fstype(fs)),
                          textOf(mnt_fs_get_source(fs))});
    }
    return mounts;
}

// Whether folder lies in mountPoint: "/media/a" holds "/media/a/b", not "/media/ab".
bool holds(const std::string& mountPoint, const std::string& folder) {
    if (!folder.starts_with(mountPoint)) {
        return false;
    }
    return mountPoint.ends_with('/') || folder.size() == mountPoint.size() ||
           folder[mountPoint.size()] == '/';
}

} // namespace

std::vector<MountEntry> readMountInfo(const std::string& path) {
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "re"));
    return mountsInStream(file.get(), path.c_str());
}

std::vector<MountEntry> parseMountInfo(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    // fmemopen reads the text in place; it never writes to a stream opened for reading.
    const std::unique_ptr<std::FILE, FileCloser> stream(
        fmemopen(const_cast<char*>(text.data()), text.size(), "r"));
    return mountsInStream(stream.get(), "mountinfo");
}

const MountEntry* mountHolding(const std::vector<MountEntry>& mounts, const std::string& folder) {
    const MountEntry* holding = nullptr;
    for (const MountEntry& mount : mounts) {
        if (holds(mount.mountPoint, folder) &&
            (!holding || mount.mountPoint.size() >= holding->mountPoint.size())) {
            holding = &mount;
        }
    }
    return holding;
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
