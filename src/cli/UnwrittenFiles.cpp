#include "cli/UnwrittenFiles.h"

#include <algorithm>

namespace tonarion {

UnwrittenFiles::UnwrittenFiles(FileOperations& stick)
    : m_stick(stick) {}

void UnwrittenFiles::put(const std::string& path, std::optional<std::string> bytes) {
    m_written[path] = std::move(bytes);
    m_wrote = true;
}

bool UnwrittenFiles::ShellDelete(const std::string& path) {
    if (!FileExists(path)) {
        return false;
    }
    put(path, std::nullopt);
    return true;
}

std::error_code UnwrittenFiles::CopyFileReplace(const std::string& source,
                                                const std::string& target, const CopyProgress&) {
    if (source == target) {
        return std::make_error_code(std::errc::invalid_argument);
    }
    std::error_code error;
    auto bytes = readFile(source, error);
    if (!bytes) {
        return error ? error : std::make_error_code(std::errc::no_such_file_or_directory);
    }
    put(target, std::move(bytes));
    return {};
}

void UnwrittenFiles::EnsureFile(const std::string& path) {
    if (!FileExists(path)) {
        put(path, std::string());
    }
}

bool UnwrittenFiles::FileExists(const std::string& path) {
    const auto found = m_written.find(path);
    return found == m_written.end() ? m_stick.FileExists(path) : found->second.has_value();
}

std::error_code UnwrittenFiles::move(const std::string& from, const std::string& to,
                                     bool replacing) {
    if (!FileExists(from)) {
        return std::make_error_code(std::errc::no_such_file_or_directory);
    }
    if (!replacing && FileExists(to)) {
        return std::make_error_code(std::errc::file_exists);
    }
    std::error_code error;
    auto bytes = readFile(from, error);
    if (!bytes) {
        return error;
    }
    put(to, std::move(bytes));
    put(from, std::nullopt);
    return {};
}

std::error_code UnwrittenFiles::renameFile(const std::string& from, const std::string& to) {
    return move(from, to, false);
}

std::error_code UnwrittenFiles::replaceFile(const std::string& from, const std::string& to) {
    return move(from, to, true);
}

std::optional<std::string> UnwrittenFiles::readFile(const std::string& path,
                                                    std::error_code& error) {
    const auto found = m_written.find(path);
    if (found == m_written.end()) {
        return m_stick.readFile(path, error);
    }
    if (!found->second) {
        error = std::make_error_code(std::errc::no_such_file_or_directory);
    }
    return found->second;
}

std::error_code UnwrittenFiles::writeFileDurably(const std::string& path,
                                                 const std::string& bytes) {
    put(path, bytes);
    return {};
}

std::optional<FileStatus> UnwrittenFiles::status(const std::string& path) {
    const auto found = m_written.find(path);
    if (found == m_written.end()) {
        return m_stick.status(path);
    }
    if (!found->second) {
        return std::nullopt;
    }
    return FileStatus{found->second->size(), 0};
}

std::optional<FileIdentity> UnwrittenFiles::identity(const std::string& path) {
    const auto found = m_written.find(path);
    return found != m_written.end() && !found->second ? std::nullopt : m_stick.identity(path);
}

std::optional<std::vector<std::string>> UnwrittenFiles::listFiles(const std::string& folder) {
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
