#include "support/WindowsTestFolder.h"

#include <fstream>
#include <process.h>
#include <sstream>

namespace tonarion::testing {
namespace fs = std::filesystem;

// A UTF-8 text as a path, whatever the ANSI code page.
static fs::path nativePath(std::string_view utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

WindowsTestFolder::WindowsTestFolder(std::string_view stem) {
    // Wine hands out small process numbers again soon, so a name may already be taken.
    static int created = 0;
    do {
        m_folder = fs::temp_directory_path() /
                   nativePath(std::string(stem) + " " + std::to_string(_getpid()) + "-" +
                              std::to_string(++created));
    } while (!fs::create_directories(m_folder));
}

WindowsTestFolder::~WindowsTestFolder() {
    // Windows deletes no read-only file; some tests leave one behind.
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(m_folder, ignored)) {
        fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, ignored);
    }
    fs::remove_all(m_folder, ignored);
}

fs::path WindowsTestFolder::native(std::string_view name) const {
    return name.empty() ? m_folder : m_folder / nativePath(name);
}

std::string WindowsTestFolder::path(std::string_view name) const {
    const std::u8string folder = (m_folder / "").u8string();
    return std::string(folder.begin(), folder.end()) + std::string(name);
}

void WindowsTestFolder::write(std::string_view name, const std::string& bytes) const {
    std::ofstream(native(name), std::ios::binary) << bytes;
}

std::string WindowsTestFolder::read(std::string_view name) const {
    std::ifstream in(native(name), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return in ? bytes.str() : "<missing>";
}

} // namespace tonarion::testing
