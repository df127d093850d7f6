#pragma once

#include "storage/FileOperations.h"

#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tonarion::testing {

// An in-memory file system with folders, file contents and modification times. It can be made
// read-only, its free space limited, and the stick pulled out at a chosen operation.
class FakeFileOperations : public FileOperations {
public:
    void addFolder(const std::string& folder) { m_folders.insert(folder); }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    // Bytes that may still be written; writes beyond them fail as on a full stick.
    void setFreeSpace(std::size_t bytes) { m_capacity = used() + bytes; }

    // From the k-th operation on (counting from 0), every operation that touches a path under
    // stickRoot fails, as on a stick that was pulled out. The computer's files stay readable.
    void pullStickAt(int k, const std::string& stickRoot) {
        m_pullAt = k;
        m_refuseAt = std::numeric_limits<int>::max();
        m_refusing = false;
        m_stickRoot = stickRoot;
        operations = 0;
        pulled = false;
    }
    // The same with a stick that can still be read but refuses every change from the k-th
    // operation on, as a write-protected one does.
    void refuseWritesAt(int k, const std::string& stickRoot) {
        pullStickAt(std::numeric_limits<int>::max(), stickRoot);
        m_refuseAt = k;
    }
    int operations = 0;  // since pullStickAt
    bool pulled = false; // whether an operation failed because the stick was gone

    // What volumeInfo answers; without it, that the medium cannot tell.
    void setVolumeInfo(VolumeInfo volume) { m_volume = std::move(volume); }

    void addFile(const std::string& path, const std::string& content = "", double modified = 0);
    // A file that is there but cannot be read, as under a user without the right to.
    void makeUnreadable(const std::string& path) { m_unreadable.insert(path); }
    bool has(const std::string& path) const { return m_files.contains(path); }
    std::string content(const std::string& path) const;
    std::vector<std::string> filesIn(const std::string& folder) const;

    // How many operations of each kind ("copy", "rename", "replace", "delete", "create",
    // "write") wrote to the medium.
    std::map<std::string, int> writes;

    FileResult ShellDelete(const std::string& path) override;
    FileResult CopyFileReplace(const std::string& source, const std::string& target,
                               const CopyProgress& progress) override;
    FileResult deleteFolder(const std::string& path) override;
    FileResult EnsureFile(const std::string& path) override;
    bool FileExists(const std::string& path) override { return !gone(path) && has(path); }
    FileResult renameFile(const std::string& from, const std::string& to) override {
        return FileResult(to, move(from, to, false));
    }
    FileValue<std::string> readFile(const std::string& path) override;
    FileResult writeFileDurably(const std::string& path, const std::string& bytes) override;
    FileResult replaceFile(const std::string& from, const std::string& to) override {
        return FileResult(to, move(from, to, true));
    }
    FileValue<FileStatus> status(const std::string& path) override;
    // Every path names its own file or folder here: the fake has no links or second mounts.
    FileValue<FileIdentity> identity(const std::string& path) override;
    // One process's locks: a second lock of a held folder is refused until the first goes.
    FileValue<std::unique_ptr<FolderLock>> lockFolder(const std::string& folder) override;
    bool isLockedByAnother(const std::string& folder) override {
        return m_locked->contains(folder);
    }
    FileValue<FreeSpace> freeSpace(const std::string& folder) override;
    FileValue<std::vector<std::string>> listFiles(const std::string& folder) override;
    FileValue<VolumeInfo> volumeInfo(const std::string& folder) override;

private:
    struct File {
        std::string content;
        double modified = 0;
    };
    bool gone(const std::string& path, const std::string& other = "");
    std::error_code canWrite(const std::string& path, std::size_t bytes) const;
    std::error_code move(const std::string& from, const std::string& to, bool replacing);
    std::size_t used() const;

    std::map<std::string, File> m_files;
    std::set<std::string> m_folders;
    std::set<std::string> m_unreadable;
    std::optional<VolumeInfo> m_volume;
    bool m_readOnly = false;
    std::size_t m_capacity = std::size_t(-1);
    int m_pullAt = std::numeric_limits<int>::max();
    int m_refuseAt = std::numeric_limits<int>::max();
    bool m_refusing = false;
    bool readOnly(const std::string& path) const {
        return m_readOnly || (m_refusing && path.starts_with(m_stickRoot));
    }
    std::string m_stickRoot;
    std::shared_ptr<std::set<std::string>> m_locked = std::make_shared<std::set<std::string>>();
};

} // namespace tonarion::testing
