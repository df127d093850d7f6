#include "storage/StickFiles.h"

#include "model/EntryName.h"
#include "model/SoundFileDrop.h"
#include "storage/IndexFile.h"

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
    return root && (!m_expected || *root == *m_expected);
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

std::optional<std::string> StickFiles::ownFileMountedElsewhere(std::string_view path,
                                                               std::string_view entryName) const {
    const std::size_t separator = path.find_last_of("/\\");
    if (separator == std::string_view::npos || !looksLikeEntryName(entryName) ||
        !sameFileName(path.substr(separator + 1), entryName)) {
        return std::nullopt;
    }
    const std::string folder(path.substr(0, separator + 1));
    if (isRootFolder(folder)) {
        return std::nullopt;
    }
    const auto known = m_folderIsOtherStick.find(folder);
    const bool otherStick =
        known != m_folderIsOtherStick.end()
            ? known->second
            : m_folderIsOtherStick.emplace(folder, m_files.status(folder + IndexFileName).ok())
                  .first->second;
    // A folder without an index of its own may still be another stick (one never opened with
    // Tonarion, or whose index was lost): while this stick holds the file itself, the file
    // there is never copied over it.
    const bool heldHere = otherStick || m_files.status(m_root + std::string(entryName)).ok();
    return heldHere ? std::optional<std::string>(entryName) : std::nullopt;
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
        m_rootIdentity = m_expected ? m_expected : m_files.identity(m_root).optional();
    }
    const auto identity = m_files.identity(folder);
    const bool isRoot = identity && *m_rootIdentity && *identity == **m_rootIdentity;
    m_folderIsRoot.emplace(folder, isRoot);
    return isRoot;
}

FileResult StickFiles::deleteFile(std::string_view name) {
    const auto path = pathOf(name);
    if (!path) {
        return FileResult(std::string(name), refused());
    }
    const FileResult deleted = m_files.ShellDelete(*path).namedAs(std::string(name));
    if (deleted.ok() && m_cache) {
        m_cache->remember(name, std::nullopt);
    } else {
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

FileResult StickFiles::ensureFile(std::string_view name) {
    const auto path = pathOf(name);
    if (!path) {
        return FileResult(std::string(name), refused());
    }
    if (!isStillTheStick()) {
        return FileResult(std::string(name), removed());
    }
    const FileResult made = m_files.EnsureFile(*path).namedAs(std::string(name));
    forget(name);
    return made;
}

// A change of the stick on the paths of plain names. One that makes a file is made only while
// the root is the stick; a rename or deletion needs the file there already, and the bare mount
// point a pulled stick leaves behind holds none of the stick's files. The result names the
// last of the names: the file the change makes.
template <typename Change>
FileResult StickFiles::change(std::initializer_list<std::string_view> names, Change&& change,
                              Makes makes) {
    std::string concerned(*(names.end() - 1));
    std::vector<std::string> paths;
    for (const auto name : names) {
        const auto path = pathOf(name);
        if (!path) {
            return FileResult(std::move(concerned), refused());
        }
        paths.push_back(*path);
    }
    if (makes == Makes::File && !isStillTheStick()) {
        return FileResult(std::move(concerned), removed());
    }
    return change(paths).namedAs(std::move(concerned));
}

FileResult StickFiles::copyIn(const std::string& source, std::string_view name,
                              const CopyProgress& progress) {
    const auto result = change({name}, [&](const auto& paths) {
        return m_files.CopyFileReplace(source, paths[0], progress);
    });
    copied(source, name, result);
    return result;
}

FileResult StickFiles::copyNew(const std::string& source, std::string_view name,
                               const CopyProgress& progress) {
    const auto result = change(
        {name}, [&](const auto& paths) { return m_files.CopyFileNew(source, paths[0], progress); });
    copied(source, name, result);
    return result;
}

void StickFiles::copied(const std::string& source, std::string_view name,
                        const FileResult& result) {
    // The copy keeps the source's size and times.
    if (m_cache && result.ok()) {
        m_cache->remember(name, m_files.status(source).optional());
    } else if (isPlainFileName(name)) {
        forget(name);
    }
}

FileResult StickFiles::rename(std::string_view from, std::string_view to) {
    const auto result = change(
        {from, to}, [&](const auto& paths) { return m_files.renameFile(paths[0], paths[1]); },
        Makes::NoFile);
    moved(from, to, result.ok());
    return result;
}

FileResult StickFiles::writeDurably(std::string_view name, const std::string& bytes) {
    forget(name);
    const auto result = change(
        {name}, [&](const auto& paths) { return m_files.writeFileDurably(paths[0], bytes); });
    if (m_cache && result.ok()) {
        m_cache->rememberContent(name, bytes);
    }
    return result;
}

FileResult StickFiles::write(std::string_view name, const std::string& bytes) {
    forget(name);
    const auto result =
        change({name}, [&](const auto& paths) { return m_files.writeFile(paths[0], bytes); });
    if (m_cache && result.ok()) {
        m_cache->rememberContent(name, bytes);
    }
    return result;
}

FileResult StickFiles::replace(std::string_view from, std::string_view to) {
    const auto result = change(
        {from, to}, [&](const auto& paths) { return m_files.replaceFile(paths[0], paths[1]); },
        Makes::NoFile);
    moved(from, to, result.ok());
    return result;
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
    auto content = m_cache->content(from);
    if (const auto known = m_cache->status(from); known && *known) {
        m_cache->remember(to, *known);
    } else {
        m_cache->forget(to);
    }
    m_cache->remember(from, std::nullopt);
    if (content) {
        m_cache->rememberContent(to, std::move(*content));
    }
}

FileValue<FileStatus> StickFiles::status(std::string_view name) {
    const auto path = pathOf(name);
    if (!path) {
        return {std::string(name), refused()};
    }
    if (m_cache) {
        if (const auto known = m_cache->status(name)) {
            if (*known) {
                return {std::string(name), **known};
            }
            return {std::string(name), std::make_error_code(std::errc::no_such_file_or_directory)};
        }
    }
    auto found = m_files.status(*path).namedAs(std::string(name));
    if (m_cache) {
        m_cache->remember(name, found.optional());
    }
    return found;
}

} // namespace tonarion
