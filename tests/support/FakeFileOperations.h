#pragma once

#include "storage/FileOperations.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace tonarion::testing {

// An in-memory file system with folders, file contents and modification times. It can be made
// read-only, and its free space limited.
class FakeFileOperations : public FileOperations {
public:
    void addFolder(const std::string& folder) { m_folders.insert(folder); }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    // Bytes that may still be written; writes beyond them fail as on a full stick.
    void setFreeSpace(std::size_t bytes) { m_capacity = used() + bytes; }

    void addFile(const std::string& path, const std::string& content = "", double modified = 0);
    bool has(const std::string& path) const { return m_files.contains(path); }
    std::string content(const std::string& path) const;
    std::vector<std::string> filesIn(const std::string& folder) const;

    // Every operation that wrote to the medium, as "copy SOURCE TARGET", "rename FROM TO",
    // "delete PATH", "create PATH", "write PATH", "replace FROM TO".
    std::vector<std::string> writes;

    bool ShellDelete(const std::string& path) override;
    std::error_code CopyFileReplace(const std::string& source, const std::string& target) override;
    void EnsureFile(const std::string& path) override;
    bool FileExists(const std::string& path) override { return has(path); }
    std::error_code renameFile(const std::string& from, const std::string& to) override {
        return move(from, to, false);
    }
    std::optional<std::string> readFile(const std::string& path, std::error_code& error) override;
    std::error_code writeFileDurably(const std::string& path, const std::string& bytes) override;
    std::error_code replaceFile(const std::string& from, const std::string& to) override {
        return move(from, to, true);
    }
    std::optional<FileStatus> status(const std::string& path) override;
    std::optional<std::vector<std::string>> listFiles(const std::string& folder) override {
        return m_folders.contains(folder) ? std::optional(filesIn(folder)) : std::nullopt;
    }

private:
    struct File {
        std::string content;
        double modified = 0;
    };
    std::error_code canWrite(const std::string& path, std::size_t bytes) const;
    std::error_code move(const std::string& from, const std::string& to, bool replacing);
    std::size_t used() const;

    std::map<std::string, File> m_files;
    std::set<std::string> m_folders;
    bool m_readOnly = false;
    std::size_t m_capacity = std::size_t(-1);
};

// Wraps file operations and, from its k-th operation on (counting from 0), fails every
// operation that touches the stick, as a stick that was pulled out does. The computer's files
// stay readable: a pulled stick does not take them along.
class PulledStickFileOperations : public FileOperations {
public:
    PulledStickFileOperations(FileOperations& inner, int failFrom, std::string stickRoot)
        : m_inner(inner)
        , m_failFrom(failFrom)
        , m_stickRoot(std::move(stickRoot)) {}

    int operationCount() const { return m_count; }
    // Whether any operation failed because the stick was gone.
    bool pulledAny() const { return m_pulledAny; }

    bool ShellDelete(const std::string& path) override {
        return !pulled(path) && m_inner.ShellDelete(path);
    }
    std::error_code CopyFileReplace(const std::string& source, const std::string& target) override {
        return pulled(source, target) ? gone() : m_inner.CopyFileReplace(source, target);
    }
    void EnsureFile(const std::string& path) override {
        if (!pulled(path)) {
            m_inner.EnsureFile(path);
        }
    }
    bool FileExists(const std::string& path) override {
        return !pulled(path) && m_inner.FileExists(path);
    }
    std::error_code renameFile(const std::string& from, const std::string& to) override {
        return pulled(from, to) ? gone() : m_inner.renameFile(from, to);
    }
    std::optional<std::string> readFile(const std::string& path, std::error_code& error) override {
        return pulled(path) ? (error = gone(), std::nullopt) : m_inner.readFile(path, error);
    }
    std::error_code writeFileDurably(const std::string& path, const std::string& bytes) override {
        return pulled(path) ? gone() : m_inner.writeFileDurably(path, bytes);
    }
    std::error_code replaceFile(const std::string& from, const std::string& to) override {
        return pulled(from, to) ? gone() : m_inner.replaceFile(from, to);
    }
    std::optional<FileStatus> status(const std::string& path) override {
        return pulled(path) ? std::nullopt : m_inner.status(path);
    }
    std::optional<std::vector<std::string>> listFiles(const std::string& folder) override {
        return pulled(folder) ? std::nullopt : m_inner.listFiles(folder);
    }

private:
    static std::error_code gone() { return std::make_error_code(std::errc::no_such_device); }
    bool pulled(const std::string& path, const std::string& other = "") {
        const bool onStick = path.starts_with(m_stickRoot) || other.starts_with(m_stickRoot);
        const bool failed = m_count++ >= m_failFrom && onStick;
        m_pulledAny = m_pulledAny || failed;
        return failed;
    }

    FileOperations& m_inner;
    int m_failFrom;
    std::string m_stickRoot;
    int m_count = 0;
    bool m_pulledAny = false;
};

} // namespace tonarion::testing
