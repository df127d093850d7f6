#pragma once

#ifdef _WIN32

#include "storage/FileOperations.h"

namespace tonarion {

// File operations on Windows through the wide-character calls, so that paths outside the
// ANSI code page work; every write is flushed to the medium before the program goes on.
class WindowsFileOperations final : public FileOperations {
public:
    bool ShellDelete(const std::string& path) override;
    std::error_code CopyFileReplace(const std::string& source, const std::string& target,
                                    const CopyProgress& progress) override;
    void EnsureFile(const std::string& path) override;
    bool FileExists(const std::string& path) override;
    std::error_code renameFile(const std::string& from, const std::string& to) override;
    std::optional<std::string> readFile(const std::string& path, std::error_code& error) override;
    std::error_code writeFileDurably(const std::string& path, const std::string& bytes) override;
    std::error_code replaceFile(const std::string& from, const std::string& to) override;
    std::optional<FileStatus> status(const std::string& path) override;
    std::optional<FileIdentity> identity(const std::string& path) override;
    std::optional<FreeSpace> freeSpace(const std::string& folder) override;
    std::unique_ptr<FolderLock> lockFolder(const std::string& folder) override;
    std::optional<std::vector<std::string>> listFiles(const std::string& folder) override;
};

} // namespace tonarion

#endif
