#pragma once

#include "storage/FileOperations.h"

#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace tonarion::testing {

// How often the process asked the kernel to flush a file or a medium (Linux).
int kernelFlushCount();

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
    FileResult writeFileDurably(const std::string& path, const std::string& bytes) override {
        return write(path, bytes, std::exchange(m_flushWrite, true));
    }
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
    // Through writeFileDurably, which subclasses watch, without its flush.
    FileResult writeFile(const std::string& path, const std::string& bytes) override {
        m_flushWrite = false;
        return writeFileDurably(path, bytes);
    }
    FileResult flushMedium(const std::string& folder) override;

    // Power loss. The medium holds what the last flush left there, and of each change since (a
    // write, copy, rename or deletion; no folder's) any part may have reached it, in any order;
    // a write or a copy that was not flushed whole may arrive cut short. The sticks a power
    // loss may leave, each once: the changes before the last `last` arrived in order, those in
    // every subset and order. Each stick is in no drive's fault and locked by nobody.
    std::vector<FakeFileOperations> afterPowerLoss(std::size_t last) const;
    std::size_t unflushed() const { return m_changes.size(); }
    int flushes = 0;
    // From now on a flush, or a copy over a file, counts as one only when platform, made to do
    // the same in scratch, asks the kernel for it (Linux): the model trusts what the platform
    // does, not what it promises.
    void flushLike(FileOperations& platform, std::string scratch) {
        m_platform = &platform;
        m_scratch = std::move(scratch);
    }
    // The stick taken out safely and mounted at another folder; the old one goes.
    void remount(const std::string& from, const std::string& to);

private:
    struct File {
        std::string content;
        double modified = 0;
        auto operator<=>(const File&) const = default;
    };
    using Files = std::map<std::string, File>;
    // A change as it reaches the medium: path takes file, or goes without one; a rename
    // leaves from.
    struct Change {
        std::string path;
        std::optional<File> file;
        std::string from;
        bool tearable = false;
        // A rename's file as an unflushed write or copy made it: the change that did, which
        // must have reached the medium for the renamed file to hold its bytes.
        std::optional<std::size_t> madeBy;
    };
    void record(const char* kind, Change change);
    void flush();
    FileResult write(const std::string& path, const std::string& bytes, bool durably);
    bool flushedBy(const std::function<void(FileOperations&, const std::string&)>& same);
    bool gone(const std::string& path, const std::string& other = "");
    std::error_code canWrite(const std::string& path, std::size_t bytes) const;
    std::error_code move(const std::string& from, const std::string& to, bool replacing);
    std::size_t used() const;

    Files m_files;
    Files m_flushed;
    std::vector<Change> m_changes;
    FileOperations* m_platform = nullptr;
    bool m_flushWrite = true;
    std::string m_scratch;
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
