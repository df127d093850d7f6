#include "storage/platform/windows/WindowsFileOperations.h"

#include "storage/platform/DriveStrings.h"
#include "storage/platform/windows/Win32Handle.h"
#include "storage/platform/windows/WindowsText.h"

// shellapi.h builds on what windows.h declares.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <algorithm>
#include <array>
#include <cmath>

namespace tonarion {
namespace {

// FO_DELETE permanently (no recycle bin), without progress, question or error window.
constexpr FILEOP_FLAGS SilentDeleteFlags =
    static_cast<FILEOP_FLAGS>(FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI);
static_assert(SilentDeleteFlags == 0x0414);

// FILETIME counts 100-nanosecond ticks since 1601, the program seconds since 1970 (UTC).
constexpr double TicksPerSecond = 1e7;
constexpr LONGLONG TicksFrom1601To1970 = 116444736000000000LL;

constexpr DWORD ChunkSize = 1 << 16;

std::error_code lastError() {
    return {static_cast<int>(GetLastError()), std::system_category()};
}

double secondsSince1970(const FILETIME& time) {
    const ULONGLONG ticks = (ULONGLONG{time.dwHighDateTime} << 32) | time.dwLowDateTime;
    return static_cast<double>(static_cast<LONGLONG>(ticks) - TicksFrom1601To1970) / TicksPerSecond;
}

// The shell reads a list of paths, each ended by a NUL, and one more NUL after the list.
std::string withDoubleNul(std::string path) {
    if (path.empty() || path.back() != '\0') {
        path += '\0';
    }
    if (path.size() < 2 || path[path.size() - 2] != '\0') {
        path += '\0';
    }
    return path;
}

std::error_code writeAll(HANDLE file, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const auto chunk =
            static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, ChunkSize));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr)) {
            return lastError();
        }
        done += written;
    }
    return {};
}

// Waits until the medium holds the file's data.
std::error_code flushToMedium(const std::wstring& path) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid() || !FlushFileBuffers(file.get())) {
        return lastError();
    }
    return file.close() ? std::error_code{} : lastError();
}

} // namespace

namespace {

// One path, checked by the caller, deleted by the shell without a word.
FileResult shellDeleteChecked(const std::string& file) {
    const std::wstring from = toWide(withDoubleNul(file));
    SHFILEOPSTRUCTW operation{};
    operation.hwnd = nullptr;
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = SilentDeleteFlags;
    const int refused = SHFileOperationW(&operation);
    if (refused != 0) {
        // Most of the shell's own codes are the system's; the rest still say "failed".
        return FileResult(file, {refused, std::system_category()});
    }
    if (operation.fAnyOperationsAborted) {
        return FileResult(file, std::make_error_code(std::errc::operation_canceled));
    }
    return FileResult(file);
}

// The shell takes "*" and "?" as a pattern and goes on to the next path after an inner NUL.
bool namesOnePath(const std::string& path) {
    return path.find_first_of(std::string("*?\0", 3)) == std::string::npos;
}

} // namespace

FileResult WindowsFileOperations::ShellDelete(const std::string& path) {
    // Exactly the one named file goes: the shell would delete a folder with everything in it.
    std::string file = path;
    while (!file.empty() && file.back() == '\0') {
        file.pop_back();
    }
    if (!namesOnePath(file)) {
        return FileResult(file, std::make_error_code(std::errc::invalid_argument));
    }
    if (!FileExists(file)) {
        return FileResult(file, std::make_error_code(std::errc::no_such_file_or_directory));
    }
    return shellDeleteChecked(file);
}

FileResult WindowsFileOperations::deleteFolder(const std::string& path) {
    if (!namesOnePath(path)) {
        return FileResult(path, std::make_error_code(std::errc::invalid_argument));
    }
    // A junction or link to a folder is not the folder: what it points to stays.
    const DWORD attributes = GetFileAttributesW(toWide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return FileResult(path, lastError());
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        return FileResult(path, std::make_error_code(std::errc::not_a_directory));
    }
    return shellDeleteChecked(path);
}

FileResult WindowsFileOperations::CopyFileReplace(const std::string& source,
                                                  const std::string& target,
                                                  const CopyProgress& progress) {
    const auto sourceIdentity = identity(source);
    if (sourceIdentity && sourceIdentity.optional() == identity(target).optional()) {
        return FileResult(target, std::make_error_code(std::errc::file_exists));
    }
    // The copy is written beside its target and takes its name only complete, so that an
    // interrupted copy never leaves part of a sound under a sound's name.
    const std::wstring written = toWide(target + CopySuffix);
    const auto onChunk = [](LARGE_INTEGER size, LARGE_INTEGER copied, LARGE_INTEGER, LARGE_INTEGER,
                            DWORD, DWORD, HANDLE, HANDLE, LPVOID context) -> DWORD {
        const auto& report = *static_cast<const CopyProgress*>(context);
        if (report) {
            report(static_cast<std::uintmax_t>(copied.QuadPart),
                   static_cast<std::uintmax_t>(size.QuadPart));
        }
        return PROGRESS_CONTINUE;
    };
    if (!CopyFileExW(toWide(source).c_str(), written.c_str(), onChunk,
                     const_cast<CopyProgress*>(&progress), nullptr, 0)) {
        const std::error_code error = lastError();
        DeleteFileW(written.c_str());
        return FileResult(target, error);
    }
    // The copy takes over a read-only attribute, which would block every later copy, rename
    // and deletion of it on the stick.
    const DWORD attributes = GetFileAttributesW(written.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        SetFileAttributesW(written.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
    }
    std::error_code error = flushToMedium(written);
    if (!error && !MoveFileExW(written.c_str(), toWide(target).c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = lastError();
    }
    if (error) {
        DeleteFileW(written.c_str());
    }
    return FileResult(target, error);
}

FileResult WindowsFileOperations::EnsureFile(const std::string& path) {
    FileHandle file(CreateFileW(toWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    const bool there = file.valid() || GetLastError() == ERROR_FILE_EXISTS;
    return FileResult(path, there ? std::error_code{} : lastError());
}

bool WindowsFileOperations::FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(toWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

FileResult WindowsFileOperations::renameFile(const std::string& from, const std::string& to) {
    return FileResult(to,
                      MoveFileExW(toWide(from).c_str(), toWide(to).c_str(), MOVEFILE_WRITE_THROUGH)
                          ? std::error_code{}
                          : lastError());
}

FileValue<std::string> WindowsFileOperations::readFile(const std::string& path) {
    FileHandle file(CreateFileW(toWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        return {path, lastError()};
    }
    std::string content;
    std::string buffer(ChunkSize, '\0');
    DWORD got = 0;
    do {
        if (!ReadFile(file.get(), buffer.data(), ChunkSize, &got, nullptr)) {
            return {path, lastError()};
        }
        content.append(buffer, 0, got);
    } while (got > 0);
    return {path, std::move(content)};
}

namespace {

std::error_code writeAndFlush(const std::string& path, const std::string& bytes) {
    FileHandle file(CreateFileW(toWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        return lastError();
    }
    if (const auto error = writeAll(file.get(), bytes)) {
        return error;
    }
    if (!FlushFileBuffers(file.get())) {
        return lastError();
    }
    return file.close() ? std::error_code{} : lastError();
}

} // namespace

FileResult WindowsFileOperations::writeFileDurably(const std::string& path,
                                                   const std::string& bytes) {
    return FileResult(path, writeAndFlush(path, bytes));
}

FileResult WindowsFileOperations::replaceFile(const std::string& from, const std::string& to) {
    // The file under the old name was flushed by writeFileDurably; write-through makes the
    // move itself reach the medium before this returns.
    return FileResult(to, MoveFileExW(toWide(from).c_str(), toWide(to).c_str(),
                                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
                              ? std::error_code{}
                              : lastError());
}

FileValue<FileStatus> WindowsFileOperations::status(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(toWide(path).c_str(), GetFileExInfoStandard, &data)) {
        return {path, lastError()};
    }
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        return {path, std::make_error_code(std::errc::is_a_directory)};
    }
    const std::uintmax_t size = (std::uintmax_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    return {path, FileStatus{size, secondsSince1970(data.ftLastWriteTime)}};
}

namespace {

// The lock file open without sharing: Windows closes the handle when the process ends however
// it ends, and deletes the file with it.
class WindowsFolderLock final : public FolderLock {
public:
    explicit WindowsFolderLock(HANDLE handle)
        : m_handle(handle) {}

private:
    FileHandle m_handle;
};

} // namespace

FileValue<std::unique_ptr<FolderLock>>
WindowsFileOperations::lockFolder(const std::string& folder) {
    std::string path = folder;
    if (!path.ends_with('\\') && !path.ends_with('/')) {
        path += '\\';
    }
    path += LockFileName;
    const HANDLE handle =
        CreateFileW(toWide(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                    FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        if (GetLastError() == ERROR_SHARING_VIOLATION) {
            return {path, std::make_error_code(std::errc::device_or_resource_busy)};
        }
        return {path, std::make_unique<WindowsFolderLock>(INVALID_HANDLE_VALUE)};
    }
    return {path, std::make_unique<WindowsFolderLock>(handle)};
}

bool WindowsFileOperations::isLockedByAnother(const std::string& folder) {
    std::string path = folder;
    if (!path.ends_with('\\') && !path.ends_with('/')) {
        path += '\\';
    }
    path += LockFileName;
    // The holder keeps the lock file open without sharing it: any other open of it fails so.
    // Opened for nothing but its attributes, it stays as it is.
    const FileHandle probe(CreateFileW(toWide(path).c_str(), FILE_READ_ATTRIBUTES,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, 0, nullptr));
    return probe.get() == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION;
}

FileValue<FreeSpace> WindowsFileOperations::freeSpace(const std::string& folder) {
    ULARGE_INTEGER available{};
    DWORD sectorsPerCluster = 0;
    DWORD bytesPerSector = 0;
    DWORD freeClusters = 0;
    DWORD clusters = 0;
    const std::wstring wide = toWide(folder);
    if (!GetDiskFreeSpaceExW(wide.c_str(), &available, nullptr, nullptr)) {
        return {folder, lastError()};
    }
    const std::uintmax_t unit = GetDiskFreeSpaceW(wide.c_str(), &sectorsPerCluster, &bytesPerSector,
                                                  &freeClusters, &clusters)
                                    ? std::uintmax_t{sectorsPerCluster} * bytesPerSector
                                    : 1;
    return {folder, FreeSpace{available.QuadPart, std::max<std::uintmax_t>(unit, 1)}};
}

FileValue<VolumeInfo> WindowsFileOperations::volumeInfo(const std::string& folder) {
    // The volume's own root: a folder on the stick or a drive mounted into a folder.
    std::array<wchar_t, MAX_PATH + 1> root{};
    if (!GetVolumePathNameW(toWide(folder).c_str(), root.data(), static_cast<DWORD>(root.size()))) {
        return {folder, lastError()};
    }
    std::array<wchar_t, MAX_PATH + 1> label{};
    std::array<wchar_t, MAX_PATH + 1> fileSystem{};
    if (!GetVolumeInformationW(root.data(), label.data(), static_cast<DWORD>(label.size()), nullptr,
                               nullptr, nullptr, fileSystem.data(),
                               static_cast<DWORD>(fileSystem.size()))) {
        return {folder, lastError()};
    }
    VolumeInfo volume;
    volume.label = toUtf8(label.data());
    volume.fileSystem = volumeFileSystemName(toUtf8(fileSystem.data()));
    // The free bytes this user may take, as Explorer shows them.
    ULARGE_INTEGER available{};
    ULARGE_INTEGER total{};
    if (GetDiskFreeSpaceExW(root.data(), &available, &total, nullptr)) {
        volume.totalBytes = total.QuadPart;
        volume.freeBytes = available.QuadPart;
    }
    return {folder, volume};
}

FileValue<FileIdentity> WindowsFileOperations::identity(const std::string& path) {
    // Backup semantics open folders too; no access right is needed to read the identity.
    FileHandle handle(CreateFileW(toWide(path.empty() ? "." : path).c_str(), 0,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!handle.valid() || !GetFileInformationByHandle(handle.get(), &info)) {
        return {path, lastError()};
    }
    return {path, FileIdentity{info.dwVolumeSerialNumber,
                               (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow}};
}

FileValue<std::vector<std::string>> WindowsFileOperations::listFiles(const std::string& folder) {
    std::string pattern = folder;
    if (!pattern.ends_with('\\') && !pattern.ends_with('/')) {
        pattern += '\\';
    }
    pattern += '*';
    WIN32_FIND_DATAW found{};
    FindHandle search(FindFirstFileW(toWide(pattern).c_str(), &found));
    if (!search.valid()) {
        // A drive root has no "." and "..": an empty stick finds nothing at all, which is
        // not the same as a drive that is not ready.
        if (GetLastError() == ERROR_FILE_NOT_FOUND) {
            return {folder, std::vector<std::string>{}};
        }
        return {folder, lastError()};
    }
    std::vector<std::string> names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            names.push_back(toUtf8(found.cFileName));
        }
    } while (FindNextFileW(search.get(), &found));
    if (GetLastError() != ERROR_NO_MORE_FILES) {
        return {folder, lastError()}; // the stick went away in the middle of the listing
    }
    return {folder, std::move(names)};
}

} // namespace tonarion
