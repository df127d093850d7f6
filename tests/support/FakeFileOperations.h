#pragma once

#include "storage/FileOperations.h"

#include <limits>
#include <map>
#include <memory>
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
        m_stickRoot = stickRoot;
        operations = 0;
        pulled = false;
    }
    int operations = 0;  // since pullStickAt
    bool pulled = false; // whether an operation failed because the stick was gone

    void addFile(const std::string& path, const std::string& content = "", double modified = 0);
    bool has(const std::string& path) const { return m_files.contains(path); }
    std::string content(const std::string& path) const;
    std::vector<std::string> filesIn(const std::string& folder) const;

    // How many operations of each kind ("copy", "rename", "replace", "delete", "create",
    // "write") wrote to the medium.
    std::map<std::string, int> writes;

    bool ShellDelete(const std::string& path) override;
    std::error_code CopyFileReplace(const std::string& source, const std::string& target,
                                    const CopyProgress& progress) override;
    void EnsureFile(const std::string& path) override;
    bool FileExists(const std::string& path) override { return !gone(path) && has(path); }
    std::error_code renameFile(const std::string& from, const std::string& to) override {
        return move(from, to, false);
    }
    std::optional<std::string> readFile(const std::string& path, std::error_code& error) override;
    std::error_code writeFileDurably(const std::string& path, const std::string& bytes) override;
    std::error_code replaceFile(const std::string& from, const std::string& to) override {
        return move(from, to, true);
    }
    std::optional<FileStatus> status(const std::string& path) override;
    // Every path names its own file or folder here: the fake has no links or second mounts.
    std::optional<FileIdentity> identity(const std::string& path) override;
    // One process's locks: a second lock of a held folder is refused until the first goes.
    std::unique_ptr<FolderLock> lockFolder(const std::string& folder) override;
    std::optional<FreeSpace> freeSpace(const std::string& folder) override {
        if (gone(folder)) {
            return std::nullopt;
        }
        return FreeSpace{
            m_capacity == std::size_t(-1) ? std::uintmax_t(1) << 40 : m_capacity - used(), 1};
    }
    std::optional<std::vector<std::string>> listFiles(const std::string& folder) override {
        return !gone(folder) && m_folders.contains(folder) ? std::optional(filesIn(folder))
                                                           : std::nullopt;
    }

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
    bool m_readOnly = false;
    std::size_t m_capacity = std::size_t(-1);
    int m_pullAt = std::numeric_limits<int>::max();
    std::string m_stickRoot;
    std::shared_ptr<std::set<std::string>> m_locked = std::make_shared<std::set<std::string>>();
};

} // namespace tonarion::testing
