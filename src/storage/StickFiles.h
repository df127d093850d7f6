#pragma once

#include "storage/FileOperations.h"
#include "storage/StickFileCache.h"

#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tonarion {

// A name that can only stand directly in the stick's root: not empty, not "." or "..", and
// without "/", "\", ":" or control characters. Names read from a stick are untrusted; only
// such names are ever put behind the stick's root.
bool isPlainFileName(std::string_view name);

// Whether two names name the same file on a stick, whose file system ignores letter case.
bool sameFileName(std::string_view a, std::string_view b);

// The files in the stick's root, reached by name. Every operation refuses a name that is not
// a plain file name, silently, as a failing file operation would, so that nothing read from
// a stick can make the program touch a file outside it. Results name the file by its name in
// the root, as the user knows it; a flush names the root.
class StickFiles {
public:
    // With the identity of the root as it was taken, every change first makes sure that the
    // root is still that folder, and fails as on a removed stick otherwise. With a cache, a
    // file is looked at only when the cache does not know it, and every change is noted there.
    StickFiles(FileOperations& files, std::string root,
               std::optional<FileIdentity> expected = std::nullopt,
               StickFileCache* cache = nullptr);

    const std::string& root() const { return m_root; }
    FileOperations& operations() { return m_files; }

    // root + name, or nothing for a name that is not plain.
    std::optional<std::string> pathOf(std::string_view name) const;

    // The name of a path that lies directly in the root, or nothing. The path's folder is
    // the root when it is the same folder, however it is spelled: relative, through a link,
    // another drive letter or mount point of the same stick.
    std::optional<std::string> nameInRoot(std::string_view path) const;

    // The same for the stick's own sound files only, those under an EntryName: a file of the
    // user's own name in the root is a source like any other, to be copied, never renamed.
    std::optional<std::string> entryFileInRoot(std::string_view path) const;

    // The stick's own sound recorded while the stick was mounted elsewhere: a path that names
    // entryName itself, directly in a folder that is not this stick's root but holds an index
    // file of its own, or while this stick holds a file of that name. Another stick sits where
    // this one was (Windows hands out the drive letter anew, Linux mounts a second stick of
    // the same label under the old name); its sound under that name is not ours and is never
    // copied over ours. The name in this stick's root, or nothing.
    std::optional<std::string> ownFileMountedElsewhere(std::string_view path,
                                                       std::string_view entryName) const;

    FileResult deleteFile(std::string_view name);
    bool exists(std::string_view name);
    FileResult ensureFile(std::string_view name);
    FileResult copyIn(const std::string& source, std::string_view name,
                      const CopyProgress& progress = {});
    // The same for a name that holds no file yet, written under that name at once.
    FileResult copyNew(const std::string& source, std::string_view name,
                       const CopyProgress& progress = {});
    FileResult rename(std::string_view from, std::string_view to);
    FileResult writeDurably(std::string_view name, const std::string& bytes);
    FileResult write(std::string_view name, const std::string& bytes);
    // Everything written to the stick reaches the medium. After a flush that failed, what came
    // before it may still be on its way, as after leaveUnflushed().
    FileResult flush() {
        auto flushed = m_files.flushMedium(m_root);
        if (m_cache) {
            m_cache->setChangesUnflushed(flushed.failed());
        }
        return flushed;
    }
    // A change left for the next flush; the next journal must not reach the medium first.
    void leaveUnflushed() {
        if (m_cache) {
            m_cache->setChangesUnflushed(true);
        }
    }
    bool changesUnflushed() const { return m_cache && m_cache->changesUnflushed(); }
    FileResult replace(std::string_view from, std::string_view to);
    FileValue<FileStatus> status(std::string_view name);
    // The bytes of a file as this run last wrote it whole, when the cache still knows them.
    std::optional<std::string> knownContent(std::string_view name) const {
        return m_cache ? m_cache->content(name) : std::nullopt;
    }

    // Whether the root is still there, and the stick it was when taken.
    bool isStillTheStick();

private:
    bool isRootFolder(const std::string& folder) const;
    enum class Makes { File, NoFile };
    template <typename Change>
    FileResult change(std::initializer_list<std::string_view> names, Change&& change,
                      Makes makes = Makes::File);
    void moved(std::string_view from, std::string_view to, bool succeeded);
    void copied(const std::string& source, std::string_view name, const FileResult& result);
    void forget(std::string_view name) {
        if (m_cache) {
            m_cache->forget(name);
        }
    }

    FileOperations& m_files;
    std::string m_root;
    std::optional<FileIdentity> m_expected;
    StickFileCache* m_cache;
    // Looked up once per folder: a commit asks about every row's path, most in one folder.
    mutable std::optional<std::optional<FileIdentity>> m_rootIdentity;
    mutable std::map<std::string, bool> m_folderIsRoot;
    mutable std::map<std::string, bool> m_folderIsOtherStick;
};

} // namespace tonarion
