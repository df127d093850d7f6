#include "support/FakeFileOperations.h"

namespace tonarion::testing {
namespace {

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

std::error_code errorOf(std::errc code) {
    return std::make_error_code(code);
}

} // namespace

void FakeFileOperations::pullFolder(const std::string& folder) {
    m_folders.erase(folder);
    std::erase_if(m_files, [&](const auto& file) { return file.first.starts_with(folder); });
}

void FakeFileOperations::addFile(const std::string& path, const std::string& content,
                                 double modified) {
    m_folders.insert(folderOf(path));
    m_files[path] = File{content, modified};
}

std::string FakeFileOperations::content(const std::string& path) const {
    const auto found = m_files.find(path);
    return found == m_files.end() ? "<missing>" : found->second.content;
}

double FakeFileOperations::modifiedOf(const std::string& path) const {
    return m_files.at(path).modified;
}

std::vector<std::string> FakeFileOperations::filesIn(const std::string& folder) const {
    std::vector<std::string> names;
    for (const auto& [path, file] : m_files) {
        if (folderOf(path) == folder) {
            names.push_back(path.substr(folder.size()));
        }
    }
    return names;
}

std::error_code FakeFileOperations::canWrite(const std::string& path, std::size_t bytes) const {
    if (!m_folders.contains(folderOf(path))) {
        return errorOf(std::errc::no_such_file_or_directory);
    }
    if (m_readOnly) {
        return errorOf(std::errc::read_only_file_system);
    }
    const auto existing = m_files.find(path);
    const std::size_t freed = existing == m_files.end() ? 0 : existing->second.content.size();
    if (used() - freed + bytes > m_capacity) {
        return errorOf(std::errc::no_space_on_device);
    }
    return {};
}

std::size_t FakeFileOperations::used() const {
    std::size_t bytes = 0;
    for (const auto& [path, file] : m_files) {
        bytes += file.content.size();
    }
    return bytes;
}

bool FakeFileOperations::ShellDelete(const std::string& path) {
    std::string file = path;
    while (!file.empty() && file.back() == '\0') {
        file.pop_back();
    }
    if (m_readOnly || !m_files.erase(file)) {
        return false;
    }
    writes.push_back("delete " + file);
    return true;
}

std::error_code FakeFileOperations::CopyFileReplace(const std::string& source,
                                                    const std::string& target) {
    const auto found = m_files.find(source);
    if (found == m_files.end()) {
        return errorOf(std::errc::no_such_file_or_directory);
    }
    if (source == target) {
        return errorOf(std::errc::file_exists);
    }
    if (const auto error = canWrite(target, found->second.content.size())) {
        return error;
    }
    m_files[target] = found->second; // a copy keeps the source's modification time
    writes.push_back("copy " + source + " " + target);
    return {};
}

void FakeFileOperations::EnsureFile(const std::string& path) {
    if (!m_files.contains(path) && !canWrite(path, 0)) {
        m_files[path] = File{"", m_clock += 10};
        writes.push_back("create " + path);
    }
}

std::error_code FakeFileOperations::renameFile(const std::string& from, const std::string& to) {
    const auto found = m_files.find(from);
    if (found == m_files.end()) {
        return errorOf(std::errc::no_such_file_or_directory);
    }
    if (m_files.contains(to)) {
        return errorOf(std::errc::file_exists);
    }
    if (const auto error = canWrite(to, 0)) {
        return error;
    }
    File moved = found->second;
    m_files.erase(found);
    m_files[to] = moved;
    writes.push_back("rename " + from + " " + to);
    return {};
}

std::optional<std::string> FakeFileOperations::readFile(const std::string& path,
                                                        std::error_code& error) {
    const auto found = m_files.find(path);
    if (found == m_files.end()) {
        error = errorOf(std::errc::no_such_file_or_directory);
        return std::nullopt;
    }
    return found->second.content;
}

std::error_code FakeFileOperations::writeFileDurably(const std::string& path,
                                                     const std::string& bytes) {
    if (const auto error = canWrite(path, bytes.size())) {
        return error;
    }
    m_files[path] = File{bytes, m_clock += 10};
    writes.push_back("write " + path);
    return {};
}

std::error_code FakeFileOperations::replaceFile(const std::string& from, const std::string& to) {
    const auto found = m_files.find(from);
    if (found == m_files.end()) {
        return errorOf(std::errc::no_such_file_or_directory);
    }
    if (m_readOnly) {
        return errorOf(std::errc::read_only_file_system);
    }
    File moved = found->second;
    m_files.erase(found);
    m_files[to] = moved;
    writes.push_back("replace " + from + " " + to);
    return {};
}

std::optional<FileStatus> FakeFileOperations::status(const std::string& path) {
    const auto found = m_files.find(path);
    if (found == m_files.end()) {
        return std::nullopt;
    }
    return FileStatus{found->second.content.size(), found->second.modified};
}

std::optional<std::vector<std::string>> FakeFileOperations::listFiles(const std::string& folder) {
    if (!m_folders.contains(folder)) {
        return std::nullopt;
    }
    return filesIn(folder);
}

// Pulled stick: every operation on the stick from the k-th on fails.

bool PulledStickFileOperations::ShellDelete(const std::string& path) {
    return !pulled(path) && m_inner.ShellDelete(path);
}

std::error_code PulledStickFileOperations::CopyFileReplace(const std::string& source,
                                                           const std::string& target) {
    return pulled(source, target) ? errorOf(std::errc::no_such_device)
                                  : m_inner.CopyFileReplace(source, target);
}

void PulledStickFileOperations::EnsureFile(const std::string& path) {
    if (!pulled(path)) {
        m_inner.EnsureFile(path);
    }
}

bool PulledStickFileOperations::FileExists(const std::string& path) {
    return !pulled(path) && m_inner.FileExists(path);
}

std::error_code PulledStickFileOperations::renameFile(const std::string& from,
                                                      const std::string& to) {
    return pulled(from, to) ? errorOf(std::errc::no_such_device) : m_inner.renameFile(from, to);
}

std::optional<std::string> PulledStickFileOperations::readFile(const std::string& path,
                                                               std::error_code& error) {
    if (pulled(path)) {
        error = errorOf(std::errc::no_such_device);
        return std::nullopt;
    }
    return m_inner.readFile(path, error);
}

std::error_code PulledStickFileOperations::writeFileDurably(const std::string& path,
                                                            const std::string& bytes) {
    return pulled(path) ? errorOf(std::errc::no_such_device)
                        : m_inner.writeFileDurably(path, bytes);
}

std::error_code PulledStickFileOperations::replaceFile(const std::string& from,
                                                       const std::string& to) {
    return pulled(from, to) ? errorOf(std::errc::no_such_device) : m_inner.replaceFile(from, to);
}

std::optional<FileStatus> PulledStickFileOperations::status(const std::string& path) {
    return pulled(path) ? std::nullopt : m_inner.status(path);
}

std::optional<std::vector<std::string>>
PulledStickFileOperations::listFiles(const std::string& folder) {
    return pulled(folder) ? std::nullopt : m_inner.listFiles(folder);
}

} // namespace tonarion::testing
