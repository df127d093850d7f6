#pragma once

#ifdef _WIN32

#include "storage/FileOperations.h"

namespace tonarion {

// File operations on Windows through the wide-character calls, so that paths outside the
// ANSI code page work; every write is flushed to the medium before the program goes on.
class WindowsFileOperations final : public FileOperations {
public:
    FileResult ShellDelete(const std::string& path) override;
    FileResult CopyFileReplace(const std::string& source, const std::string& target,
                               const CopyProgress& progress) override;
    FileResult deleteFolder(const std::string& path) override;
    FileResult EnsureFile(const std::string& path) override;
    bool FileExists(const std::string& path) override;
    FileResult renameFile(const std::string& from, const std::string& to) override;
    FileValue<std::string> readFile(const std::string& path) override;
    FileResult writeFileDurably(const std::string& path, const std::string& bytes) override;
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

#endif
