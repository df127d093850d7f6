#pragma once

#include "support/FileBytes.h"

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace tonarion::testing {

// A fresh folder of this process in the temporary folder, removed with everything in it at the
// end. By default its name holds Polish and Greek letters, so that on Windows every path a test
// hands to the file operations lies outside the ANSI code page. The helpers go through
// std::filesystem, not through the code under test; all paths are UTF-8, as the program's are.
class TempFolder {
public:
    explicit TempFolder(const std::string& stem = "Tonarion Źdźbło Ωμέγα ") {
        // Wine hands out small process numbers again soon, so a name may already be taken.
        static int created = 0;
#ifdef _WIN32
        const int process = _getpid();
#else
        const int process = ::getpid();
#endif
        do {
            root = std::filesystem::temp_directory_path() /
                   utf8Path(stem + std::to_string(process) + "-" + std::to_string(++created));
        } while (!std::filesystem::create_directories(root));
    }
    ~TempFolder() {
        // Windows deletes no read-only file; some tests leave one behind.
        std::error_code ignored;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root, ignored)) {
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::add, ignored);
        }
        std::filesystem::remove_all(root, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The UTF-8 path of name in the folder; of the folder itself, with its separator, for "".
    std::string path(std::string_view name = "") const {
        const std::u8string folder = (root / "").u8string();
        return std::string(folder.begin(), folder.end()) + std::string(name);
    }
    std::filesystem::path native(std::string_view name = "") const {
        return name.empty() ? root : root / utf8Path(std::string(name));
    }
    // The file's path, after writing these bytes into it.
    std::string write(std::string_view name, const std::string& bytes) const {
        writeBytes(path(name), bytes);
        return path(name);
    }
    // The file's bytes, or "<missing>".
    std::string read(std::string_view name) const {
        return readBytes(path(name));
    }
    bool exists(std::string_view name) const {
        return std::filesystem::exists(native(name));
    }

    // Every file of a folder in this one with its bytes, by name.
    std::map<std::string, std::string> filesIn(std::string_view folder) const {
        std::map<std::string, std::string> bytes;
        for (const auto& entry : std::filesystem::directory_iterator(native(folder))) {
            const std::u8string name = entry.path().filename().u8string();
            bytes[std::string(name.begin(), name.end())] =
                read(std::string(folder) + "/" + std::string(name.begin(), name.end()));
        }
        return bytes;
    }

    std::filesystem::path root;
};

} // namespace tonarion::testing
