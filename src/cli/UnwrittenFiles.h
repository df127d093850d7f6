#pragma once

#include "workspace/RunningSystem.h"

#include <map>
#include <optional>
#include <string>

namespace tonarion {

// The stick as it would be after writing, without writing: every write lands in memory and
// every later read sees it. Commands that only read load the stick through this, so that
// they show what loading repairs (a relative source path, an interrupted commit, a lost
// index file) while the stick itself stays byte for byte as it was, without even a lock file.
class UnwrittenFiles final : public FileOperations {
public:
    explicit UnwrittenFiles(FileOperations& stick);

    // Whether anything was written since construction: the stick needs a repair.
    bool wouldHaveWritten() const { return m_wrote; }

    FileResult ShellDelete(const std::string& path) override;
    FileResult CopyFileReplace(const std::string& source, const std::string& target,
                               const CopyProgress& progress) override;
    FileResult EnsureFile(const std::string& path) override;
    bool FileExists(const std::string& path) override;
    FileResult renameFile(const std::string& from, const std::string& to) override;
    FileValue<std::string> readFile(const std::string& path) override;
    FileResult writeFileDurably(const std::string& path, const std::string& bytes) override;
    FileResult replaceFile(const std::string& from, const std::string& to) override;
    FileValue<FileStatus> status(const std::string& path) override;
    FileValue<FileIdentity> identity(const std::string& path) override;
    // Reading takes no lock: it writes nothing, and reads beside a program that holds one.
    FileValue<std::unique_ptr<FolderLock>> lockFolder(const std::string& folder) override {
        return {folder, std::make_unique<FolderLock>()};
    }
    bool isLockedByAnother(const std::string& folder) override {
        return m_stick.isLockedByAnother(folder);
    }
    FileValue<FreeSpace> freeSpace(const std::string& folder) override {
        return m_stick.freeSpace(folder);
    }
    FileValue<std::vector<std::string>> listFiles(const std::string& folder) override;
    FileValue<VolumeInfo> volumeInfo(const std::string& folder) override {
        return m_stick.volumeInfo(folder);
    }

private:
    void put(const std::string& path, std::optional<std::string> bytes);
    FileResult move(const std::string& from, const std::string& to, bool replacing);

    FileOperations& m_stick;
    // The bytes of each file written here; nothing for a file deleted here.
    std::map<std::string, std::optional<std::string>> m_written;
    bool m_wrote = false;
};

} // namespace tonarion
