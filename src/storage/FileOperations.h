#pragma once

#include "storage/FileIdentity.h"
#include "storage/FileResult.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace tonarion {

struct FileStatus {
    std::uintmax_t size = 0;
    // Seconds since 1970 (UTC), with the fraction the file system keeps.
    double modified = 0;
};

struct FreeSpace {
    std::uintmax_t bytes = 0;
    std::uintmax_t unit = 1;
};

// What the system tells about the medium a folder is on, to tell one stick from another and to
// see whether the module can read it.
struct VolumeInfo {
    std::string label;      // empty when the medium has none
    std::string fileSystem; // "FAT32", "FAT16", "exFAT", "NTFS", "ext4", ...
    std::uintmax_t totalBytes = 0;
    std::uintmax_t freeBytes = 0;
};

// What a copy is written under before it takes its name; what an interrupted copy leaves.
inline constexpr const char* CopySuffix = ".tonarion-new";

using CopyProgress = std::function<void(std::uintmax_t copied, std::uintmax_t size)>;

// Held while one program works on a folder; released when destroyed, or when the process
// ends in any way.
class FolderLock {
public:
    virtual ~FolderLock() = default;
    // Whether the folder still shows this lock: a stick pulled and put back does, a bare
    // mount point does not.
    virtual bool isShownInFolder() const { return true; }
};

// The lock file in a stick's root. It is no EntryName, so the module ignores it.
inline constexpr const char* LockFileName = "tonkat.lck";

// Every file the program touches, it touches through this interface: the platform layer
// implements it for Linux and Windows, tests run it against fakes and real FAT images.
// Paths are UTF-8. No operation reports anything to the user; callers decide what a failure
// means. Every operation that can fail answers with a FileResult, or a FileValue when it reads
// something, naming the path it concerns and why it failed.
class FileOperations {
public:
    virtual ~FileOperations() = default;

    // Deletes one file permanently and silently.
    virtual FileResult ShellDelete(const std::string& path) = 0;

    // Copies source to target, replacing target; the copy keeps the source's modification
    // time. Target appears only complete: the copy is written under target + CopySuffix and
    // then renamed. A copy of a file onto itself fails and changes nothing. A copy that replaces a
    // file is on the medium when this returns; a new file at the latest when the next
    // writeFileDurably on the same medium returns.
    // progress, when given, hears how far the copy has come, in bytes of the source's size.
    virtual FileResult CopyFileReplace(const std::string& source, const std::string& target,
                                       const CopyProgress& progress) = 0;

    // Copies source to a target that does not exist yet, written under its own name at once:
    // on a stick that costs less than a copy under a temporary name. An interrupted copy
    // leaves part of the file under target, so the caller notes beforehand what it creates,
    // to tidy up after an interruption. A target that exists is replaced as by
    // CopyFileReplace.
    virtual FileResult CopyFileNew(const std::string& source, const std::string& target,
                                   const CopyProgress& progress) {
        return CopyFileReplace(source, target, progress);
    }

    // Deletes a folder with everything in it, permanently and silently; refuses a file. The
    // program makes no folders on a stick, but other systems leave theirs there.
    virtual FileResult deleteFolder(const std::string& path) {
        return FileResult(path, std::make_error_code(std::errc::operation_not_supported));
    }

    // Creates an empty file unless one exists; an existing file stays unchanged and counts as
    // success.
    virtual FileResult EnsureFile(const std::string& path) = 0;

    // True when path names a file (not a directory) whose attributes can be read. The one
    // answer without a FileResult: "no" covers every failure to read the attributes as well,
    // so an error would only be one more way of saying false.
    virtual bool FileExists(const std::string& path) = 0;

    // Renames within one folder or drive; fails when target exists.
    virtual FileResult renameFile(const std::string& from, const std::string& to) = 0;

    // Reads a whole file.
    virtual FileValue<std::string> readFile(const std::string& path) = 0;

    // Creates or truncates path, writes bytes and flushes them, and every earlier write to
    // the same medium, to the medium. A change of the stick flushes once: a flush costs a
    // slow stick as much as a few dozen renames.
    virtual FileResult writeFileDurably(const std::string& path, const std::string& bytes) = 0;

    // The same without the flush: the bytes reach the medium with the next flush of it, in
    // the order they were written.
    virtual FileResult writeFile(const std::string& path, const std::string& bytes) {
        return writeFileDurably(path, bytes);
    }

    // Flushes every write to the medium that holds folder: data, renames, deletions. Where
    // every write is flushed as it is made, there is nothing left to do.
    virtual FileResult flushMedium(const std::string& folder) { return FileResult(folder); }

    // Moves a complete file over another in the same folder in one step, so that the folder
    // holds either the old or the new file whenever the medium is pulled. Like a rename, the
    // move reaches the medium with the next flush.
    virtual FileResult replaceFile(const std::string& from, const std::string& to) = 0;

    // The size and time of a file; nothing for a folder or where there is no file.
    virtual FileValue<FileStatus> status(const std::string& path) = 0;

    // The bytes still free on the medium that holds folder, and its allocation unit: every
    // file takes whole units. Nothing when it cannot be told.
    virtual FileValue<FreeSpace> freeSpace(const std::string& folder) = 0;

    // Label, file system and size of the medium that holds folder. A platform that cannot tell
    // answers with an error, and callers go on without.
    virtual FileValue<VolumeInfo> volumeInfo(const std::string& folder) {
        return {folder, std::make_error_code(std::errc::operation_not_supported)};
    }

    // Takes the folder for this process: nothing while another process holds it (the error
    // says the folder is busy). A folder that cannot take a lock file (a write-protected
    // stick) is taken without one; nobody can change it anyway.
    virtual FileValue<std::unique_ptr<FolderLock>> lockFolder(const std::string& folder) = 0;

    // Whether another program holds the folder as lockFolder takes it, told without taking
    // the lock or writing anything: a command that only reads the stick reads it beside a
    // program that works on it, and says so. False where the platform cannot tell.
    virtual bool isLockedByAnother(const std::string& folder) {
        (void)folder;
        return false;
    }

    // The identity of a file or folder, or nothing when there is none at path.
    virtual FileValue<FileIdentity> identity(const std::string& path) = 0;

    // The names of the files directly in a folder (no folders), or nothing when the folder
    // cannot be read: the drive is not ready. A folder's own folders show through identity,
    // which answers for a folder too, and FileExists, which does not.
    virtual FileValue<std::vector<std::string>> listFiles(const std::string& folder) = 0;
};

} // namespace tonarion
