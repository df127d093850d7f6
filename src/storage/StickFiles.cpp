#include "storage/StickFiles.h"

#include "model/EntryName.h"
#include "model/SoundFileDrop.h"

#include <algorithm>
#include <cctype>

namespace tonarion {
namespace {

std::error_code refused() {
    return std::make_error_code(std::errc::invalid_argument);
}

std::error_code removed() {
    return std::make_error_code(std::errc::no_such_device);
}

bool sameRoot(std::string_view pathStart, std::string_view root) {
    if (pathStart.size() != root.size()) {
        return false;
    }
    // Drive letters name the same drive in either case.
    const bool driveRoot = root.size() >= 2 && root[1] == ':';
    for (std::size_t i = 0; i < root.size(); ++i) {
        char a = pathStart[i];
        char b = root[i];
        if (driveRoot && i == 0) {
            a = static_cast<char>(a | 0x20);
            b = static_cast<char>(b | 0x20);
        }
        if (a != b) {
            return false;
        }
    }
    return true;
}

} // namespace

bool isPlainFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
    return !hasControlCharacter(name) && name.find_first_of("/\\:") == std::string_view::npos;
}

bool sameFileName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

StickFiles::StickFiles(FileOperations& files, std::string root,
                       std::optional<FileIdentity> expected, StickFileCache* cache)
    : m_files(files)
    , m_root(std::move(root))
    , m_expected(expected)
    , m_cache(cache) {}

bool StickFiles::isStillTheStick() {
    const auto root = m_files.identity(m_root);
    return root && (!m_expected || root == m_expected);
}

std::optional<std::string> StickFiles::pathOf(std::string_view name) const {
    if (!isPlainFileName(name)) {
        return std::nullopt;
    }
    return m_root + std::string(name);
}

std::optional<std::string> StickFiles::nameInRoot(std::string_view path) const {
    if (m_root.empty()) {
        return std::nullopt;
    }
    const std::size_t separator = path.find_last_of("/\\");
    const std::size_t nameStart = separator == std::string_view::npos ? 0 : separator + 1;
    const std::string_view name = path.substr(nameStart);
    if (!isPlainFileName(name) || !isRootFolder(std::string(path.substr(0, nameStart)))) {
        return std::nullopt;
    }
    return std::string(name);
}

std::optional<std::string> StickFiles::entryFileInRoot(std::string_view path) const {
    auto name = nameInRoot(path);
    return name && looksLikeEntryName(*name) ? name : std::nullopt;
}

bool StickFiles::isRootFolder(const std::string& folder) const {
    if (sameRoot(folder, m_root)) {
        return true;
    }
    const auto known = m_folderIsRoot.find(folder);
    if (known != m_folderIsRoot.end()) {
        return known->second;
    }
    if (!m_rootIdentity) {
        m_rootIdentity = m_expected ? m_expected : m_files.identity(m_root);
    }
    const auto identity = m_files.identity(folder);
    const bool isRoot = identity && *m_rootIdentity && *identity == **m_rootIdentity;
    m_folderIsRoot.emplace(folder, isRoot);
    return isRoot;
}

bool StickFiles::deleteFile(std::string_view name) {
    const auto path = pathOf(name);
    const bool deleted = path && m_files.ShellDelete(*path);
    if (deleted && m_cache) {
        m_cache->remember(name, std::nullopt);
    } else if (path) {
        forget(name);
    }
    return deleted;
}

bool StickFiles::exists(std::string_view name) {
    if (m_cache && isPlainFileName(name)) {
        if (const auto known = m_cache->exists(name)) {
            return *known;
        }
    }
    return status(name).has_value();
}

void StickFiles::ensureFile(std::string_view name) {
    if (const auto path = pathOf(name); path && isStillTheStick()) {
        m_files.EnsureFile(*path);
        forget(name);
    }
}

// A change of the stick on the paths of plain names. One that makes a file is made only while
// the root is the stick; a rename or deletion needs the file there already, and the bare mount
// point a pulled stick leaves behind holds none of the stick's files.
template <typename Change>
std::error_code StickFiles::change(std::initializer_list<std::string_view> names, Change&& change,
                                   Makes makes) {
    std::vector<std::string> paths;
    for (const auto name : names) {
        const auto path = pathOf(name);
        if (!path) {
            return refused();
        }
        paths.push_back(*path);
    }
    return makes == Makes::NoFile || isStillTheStick() ? change(paths) : removed();
}

std::error_code StickFiles::copyIn(const std::string& source, std::string_view name,
                                   const CopyProgress& progress) {
    const auto error = change({name}, [&](const auto& paths) {
        return m_files.CopyFileReplace(source, paths[0], progress);
    });
    copied(source, name, error);
    return error;
}

std::error_code StickFiles::copyNew(const std::string& source, std::string_view name,
                                    const CopyProgress& progress) {
    const auto error = change(
        {name}, [&](const auto& paths) { return m_files.CopyFileNew(source, paths[0], progress); });
    copied(source, name, error);
    return error;
}

void StickFiles::copied(const std::string& source, std::string_view name, std::error_code error) {
    // The copy keeps the source's size and times.
    if (m_cache && !error) {
        m_cache->remember(name, m_files.status(source));
    } else if (isPlainFileName(name)) {
        forget(name);
    }
}

std::error_code StickFiles::rename(std::string_view from, std::string_view to) {
    const auto error = change(
        {from, to}, [&](const auto& paths) { return m_files.renameFile(paths[0], paths[1]); },
        Makes::NoFile);
    moved(from, to, !error);
    return error;
}

std::error_code StickFiles::writeDurably(std::string_view name, const std::string& bytes) {
    forget(name);
    return change({name},
                  [&](const auto& paths) { return m_files.writeFileDurably(paths[0], bytes); });
}

std::error_code StickFiles::write(std::string_view name, const std::string& bytes) {
    forget(name);
    return change({name}, [&](const auto& paths) { return m_files.writeFile(paths[0], bytes); });
}

std::error_code StickFiles::replace(std::string_view from, std::string_view to) {
    const auto error = change(
        {from, to}, [&](const auto& paths) { return m_files.replaceFile(paths[0], paths[1]); },
        Makes::NoFile);
    moved(from, to, !error);
    return error;
}

void StickFiles::moved(std::string_view from, std::string_view to, bool succeeded) {
    if (!m_cache || !isPlainFileName(from) || !isPlainFileName(to)) {
        return;
    }
    if (!succeeded) {
        m_cache->forget(from);
        m_cache->forget(to);
        return;
    }
    if (const auto known = m_cache->status(from); known && *known) {
        m_cache->remember(to, *known);
    } else {
        m_cache->forget(to);
    }
    m_cache->remember(from, std::nullopt);
}

std::optional<FileStatus> StickFiles::status(std::string_view name) {
    const auto path = pathOf(name);
    if (!path) {
        return std::nullopt;
    }
    if (m_cache) {
        if (const auto known = m_cache->status(name)) {
            return *known;
        }
    }
    auto found = m_files.status(*path);
    if (m_cache) {
        m_cache->remember(name, found);
    }
    return found;
}

} // namespace tonarion
