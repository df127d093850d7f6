#include "cli/UnwrittenFiles.h"

#include <algorithm>

namespace tonarion {

UnwrittenFiles::UnwrittenFiles(FileOperations& stick)
    : m_stick(stick) {}

void UnwrittenFiles::put(const std::string& path, std::optional<std::string> bytes) {
    m_written[path] = std::move(bytes);
    m_wrote = true;
}

namespace {

std::error_code missing() {
    return std::make_error_code(std::errc::no_such_file_or_directory);
}

} // namespace

FileResult UnwrittenFiles::ShellDelete(const std::string& path) {
    if (!FileExists(path)) {
        return FileResult(path, missing());
    }
    put(path, std::nullopt);
    return FileResult(path);
}

FileResult UnwrittenFiles::CopyFileReplace(const std::string& source, const std::string& target,
                                           const CopyProgress&) {
    if (source == target) {
        return FileResult(target, std::make_error_code(std::errc::invalid_argument));
    }
    auto bytes = readFile(source);
    if (!bytes) {
        return FileResult(target, bytes.error());
    }
    put(target, std::move(bytes).optional());
    return FileResult(target);
}

FileResult UnwrittenFiles::EnsureFile(const std::string& path) {
    if (!FileExists(path)) {
        put(path, std::string());
    }
    return FileResult(path);
}

bool UnwrittenFiles::FileExists(const std::string& path) {
    const auto found = m_written.find(path);
    return found == m_written.end() ? m_stick.FileExists(path) : found->second.has_value();
}

FileResult UnwrittenFiles::move(const std::string& from, const std::string& to, bool replacing) {
    if (!FileExists(from)) {
        return FileResult(to, missing());
    }
    if (!replacing && FileExists(to)) {
        return FileResult(to, std::make_error_code(std::errc::file_exists));
    }
    auto bytes = readFile(from);
    if (!bytes) {
        return FileResult(to, bytes.error());
    }
    put(to, std::move(bytes).optional());
    put(from, std::nullopt);
    return FileResult(to);
}

FileResult UnwrittenFiles::renameFile(const std::string& from, const std::string& to) {
    return move(from, to, false);
}

FileResult UnwrittenFiles::replaceFile(const std::string& from, const std::string& to) {
    return move(from, to, true);
}

FileValue<std::string> UnwrittenFiles::readFile(const std::string& path) {
    const auto found = m_written.find(path);
    if (found == m_written.end()) {
        return m_stick.readFile(path);
    }
    if (!found->second) {
        return {path, missing()};
    }
    return {path, *found->second};
}

FileResult UnwrittenFiles::writeFileDurably(const std::string& path, const std::string& bytes) {
    put(path, bytes);
    return FileResult(path);
}

FileValue<FileStatus> UnwrittenFiles::status(const std::string& path) {
    const auto found = m_written.find(path);
    if (found == m_written.end()) {
        return m_stick.status(path);
    }
    if (!found->second) {
        return {path, missing()};
    }
    return {path, FileStatus{found->second->size(), 0}};
}

FileValue<FileIdentity> UnwrittenFiles::identity(const std::string& path) {
    const auto found = m_written.find(path);
    if (found != m_written.end() && !found->second) {
        return {path, missing()};
    }
    return m_stick.identity(path);
}

FileValue<std::vector<std::string>> UnwrittenFiles::listFiles(const std::string& folder) {
    auto names = m_stick.listFiles(folder);
    if (!names) {
        return names;
    }
    for (const auto& [path, bytes] : m_written) {
        if (!path.starts_with(folder) || path.size() == folder.size()) {
            continue;
        }
        const std::string name = path.substr(folder.size());
        if (name.find_first_of("/\\") != std::string::npos) {
            continue;
        }
        const auto listed = std::find(names->begin(), names->end(), name);
        if (bytes && listed == names->end()) {
            names->push_back(name);
        } else if (!bytes && listed != names->end()) {
            names->erase(listed);
        }
    }
    return names;
}

} // namespace tonarion
