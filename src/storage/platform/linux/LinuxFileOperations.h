#pragma once

#include "storage/FileOperations.h"

namespace tonarion {

// File operations on Linux, through POSIX calls, flushing to the medium (fsync, syncfs) where
// the interface promises it.
class LinuxFileOperations final : public FileOperations {
public:
    FileResult ShellDelete(const std::string& path) override;
    FileResult CopyFileReplace(const std::string& source, const std::string& target,
                               const CopyProgress& progress) override;
    FileResult CopyFileNew(const std::string& source, const std::string& target,
                           const CopyProgress& progress) override;
    FileResult deleteFolder(const std::string& path) override;
    FileResult EnsureFile(const std::string& path) override;
    bool FileExists(const std::string& path) override;
    FileResult renameFile(const std::string& from, const std::string& to) override;
    FileValue<std::string> readFile(const std::string& path) override;
    FileResult writeFileDurably(const std::string& path, const std::string& bytes) override;
    FileResult writeFile(const std::string& path, const std::string& bytes) override;
    FileResult flushMedium(const std::string& folder) override;
    FileResult replaceFile(const std::string& from, const std::string& to) override;
    FileValue<FileStatus> status(const std::string& path) override;
    FileValue<FileIdentity> identity(const std::string& path) override;
    FileValue<FreeSpace> freeSpace(const std::string& folder) override;
    FileValue<VolumeInfo> volumeInfo(const std::string& folder) override;
    FileValue<std::unique_ptr<FolderLock>> lockFolder(const std::string& folder) override;
    bool isLockedByAnother(const std::string& folder) override;
    FileValue<std::vector<std::string>> listFiles(const std::string& folder) override;
};

} // namespace tonarion
