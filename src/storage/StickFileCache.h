#pragma once

#include "storage/FileOperations.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tonarion {

// What this run knows of the files in the stick's root: the names one listing found, and
// each file's status as last looked at or written. The program holds the stick while it has
// it open, so a small change looks only at the files it changes, however many the stick
// holds. Whoever may have changed the stick behind the program's back empties it.
class StickFileCache {
public:
    // Every name in the root: a name not among them is known to stand for no file.
    void takeListing(const std::vector<std::string>& names);

    // Whether a file stands under name, when known.
    std::optional<bool> exists(std::string_view name) const;
    // The file's status, when known; the inner nothing says that no file stands there.
    std::optional<std::optional<FileStatus>> status(std::string_view name) const;

    void remember(std::string_view name, std::optional<FileStatus> status);
    void forget(std::string_view name);
    void clear();

    // The bytes of a file last written whole under name (the index file) while nothing has
    // touched it since: a commit names the index file it starts from without reading it.
    std::optional<std::string> content(std::string_view name) const;
    void rememberContent(std::string_view name, std::string bytes);

    // A change left for a later flush: the medium may not hold it yet. Until this run has
    // flushed once, that may be a change of the run before, which ended a moment ago.
    bool changesUnflushed() const { return m_unflushed; }
    void setChangesUnflushed(bool unflushed) { m_unflushed = unflushed; }

private:
    struct Known {
        std::optional<bool> present; // nothing: not known
        std::optional<FileStatus> status;
    };
    const Known* find(std::string_view name) const;

    // Keyed by the name in lower case: the stick's file system ignores letter case.
    std::map<std::string, Known, std::less<>> m_files;
    bool m_listed = false;
    bool m_unflushed = true;
    // The bytes of files written whole (the index file, its temporary file, the journal),
    // keyed like m_files.
    std::map<std::string, std::string, std::less<>> m_contents;
};

} // namespace tonarion
