#include "storage/platform/SystemPlatform.h"

#include "storage/platform/windows/WindowsDriveSource.h"
#include "storage/platform/windows/WindowsFileOperations.h"
#include "storage/platform/windows/WindowsText.h"

// shellapi.h builds on what windows.h declares.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <algorithm>

namespace tonarion {
namespace {

bool endsInSeparator(const std::string& path) {
    return path.ends_with('\\') || path.ends_with('/');
}

struct LocalFreeDeleter {
    void operator()(LPWSTR* words) const { LocalFree(words); }
};

} // namespace

std::unique_ptr<FileOperations> makeSystemFileOperations() {
    return std::make_unique<WindowsFileOperations>();
}

std::unique_ptr<DriveSource> makeSystemDriveSource() {
    return std::make_unique<WindowsDriveSource>();
}

std::string programFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2); // cut off: a longer path than MAX_PATH
    }
    std::string folder = toUtf8(path.substr(0, path.find_last_of(L'\\')));
    // The folder of a program in a drive root is that root, "C:\", not the drive's current
    // folder "C:".
    if (folder.ends_with(':')) {
        folder += '\\';
    }
    return folder;
}

std::string stickRootOf(const std::string& folder) {
    // Absolute and without "." or "..": every later path is StickRoot and a name, and must
    // not depend on the folder the program happens to run in.
    const std::wstring wide = toWide(folder);
    std::wstring full(MAX_PATH, L'\0');
    DWORD length =
        GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length >= full.size()) {
        full.resize(length);
        length = GetFullPathNameW(wide.c_str(), length, full.data(), nullptr);
    }
    const std::string root =
        length == 0 || length >= full.size() ? folder : toUtf8(full.substr(0, length));
    return endsInSeparator(root) ? root : root + '\\';
}

std::vector<std::string> commandLineWords(int argc, char** argv) {
    int count = 0;
    const std::unique_ptr<LPWSTR[], LocalFreeDeleter> words(
        CommandLineToArgvW(GetCommandLineW(), &count));
    if (!words) {
        return std::vector<std::string>(argv + std::min(argc, 1), argv + argc);
    }
    std::vector<std::string> result;
    for (int i = 1; i < count; ++i) {
        result.push_back(toUtf8(words[i]));
    }
    return result;
}

Utf8Console::Utf8Console()
    : m_previousCodePage(GetConsoleOutputCP()) {
    // Without a console (output into a pipe or a file) there is nothing to switch.
    if (m_previousCodePage != 0) {
        SetConsoleOutputCP(CP_UTF8);
    }
}

Utf8Console::~Utf8Console() {
    if (m_previousCodePage != 0) {
        SetConsoleOutputCP(m_previousCodePage);
    }
}

} // namespace tonarion
