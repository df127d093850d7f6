#include "storage/IndexFile.h"

#include "model/LoadedEntry.h"
#include "model/WaitIndicator.h"
#include "storage/Windows1252.h"
#include "storage/WriteAndReplace.h"

#include <algorithm>

namespace tonarion {
namespace {

constexpr std::size_t SeparatorSearchStart = 19; // the ";" stands at position 20 or later
constexpr std::string_view Utf8ByteOrderMark = "\xEF\xBB\xBF";

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.push_back(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            start = i + 1;
        }
    }
    if (start < text.size()) {
        lines.push_back(text.substr(start));
    }
    return lines;
}

void appendLine(std::string& out, std::string_view utf8) {
    out += utf8ToWindows1252(utf8);
    out += "\r\n";
}

std::vector<IndexEntryLine> entryLines(const SoundTable& table, bool includeWithoutSource) {
    std::vector<IndexEntryLine> lines;
    for (const SoundEntry& entry : table.entries()) {
        if (entry.isBound() && (includeWithoutSource || !entry.sourcePath.empty())) {
            lines.push_back({entry.entryName, entry.sourcePath});
        }
    }
    return lines;
}

} // namespace

IndexContent parseIndexFile(std::string_view bytes) {
    // An index file that was opened and saved in an editor may come back as UTF-8 with a byte
    // order mark; its lines are then read as UTF-8 where they are well-formed.
    const bool utf8 = bytes.starts_with(Utf8ByteOrderMark);
    if (utf8) {
        bytes.remove_prefix(Utf8ByteOrderMark.size());
    }
    const auto decode = [utf8](std::string_view text) {
        return utf8 && isValidUtf8(text) ? std::string(text) : windows1252ToUtf8(text);
    };
    IndexContent content;
    for (const std::string_view line : splitLines(bytes)) {
        if (line == IndexHeader) {
            continue;
        }
        if (line.starts_with("SET_")) {
            const std::string name = decode(line);
            if (const auto setting = settingOfName(name); setting && isPlainFileName(name)) {
                content.settings[*setting] = name;
            }
            continue;
        }
        if (line.find(';', SeparatorSearchStart) == std::string_view::npos) {
            continue;
        }
        const std::string name = decode(line.substr(0, 19));
        if (!isPlainFileName(name)) {
            continue;
        }
        content.entries.push_back({name, decode(line.substr(20))});
    }
    return content;
}

std::string composeIndexFile(const std::vector<IndexEntryLine>& entries,
                             const SettingsTable& settings, IndexLayout layout) {
    std::string out;
    appendLine(out, IndexHeader);
    for (const auto& entry : entries) {
        if (layout.includeEntriesWithoutSource || !entry.sourcePath.empty()) {
            appendLine(out, entry.entryName + ";" + entry.sourcePath);
        }
    }
    for (const Setting setting : AllSettings) {
        if (layout.includeEmptySettings || !settings[setting].empty()) {
            appendLine(out, settings[setting]);
        }
    }
    return out;
}

bool isAbsoluteSourcePath(std::string_view path) {
    if (path.starts_with('/') || path.starts_with('\\')) {
        return true;
    }
    const bool driveLetter =
        path.size() >= 3 && path[1] == ':' &&
        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    return driveLetter && (path[2] == '\\' || path[2] == '/');
}

std::string underProgramFolder(std::string_view programFolder, std::string_view relativePath) {
    const bool windowsFolder = programFolder.find('\\') != std::string_view::npos ||
                               (programFolder.size() >= 2 && programFolder[1] == ':');
    const char separator = windowsFolder ? '\\' : '/';
    std::string path(programFolder);
    if (path.empty() || path.back() != separator) {
        path += separator;
    }
    return path + std::string(relativePath);
}

IndexReadResult IndexLesen(Session& session, FileOperations& files, UserInterface& ui,
                           const std::string& programFolder) {
    const auto bytes = files.readFile(session.stick().root() + session.stick().indexFileName());
    if (!bytes) {
        if (!files.listFiles(session.stick().root())) {
            showCritical(ui, WrongDriveMessage);
            return IndexReadResult::DriveNotReady;
        }
        return IndexReadResult::Unreadable;
    }
    const IndexContent content = parseIndexFile(*bytes);
    const StickFiles stick(files, session.stick().root());
    const auto seconds = secondIndexLines(content.entries);
    bool pathChanged = false;
    LoadReport report(ui);
    for (const auto& line : content.entries) {
        std::string source = line.sourcePath;
        if (!source.empty() && !isAbsoluteSourcePath(source)) {
            // A relative path to one of the stick's own files, as a stick opened under a
            // relative name once wrote, stays the stick's file.
            const auto onStick = stick.nameInRoot(source);
            source = onStick ? session.stick().root() + *onStick
                             : underProgramFolder(programFolder, source);
            pathChanged = true;
        }
        // A sound the stick took over from itself while it was mounted elsewhere is its own
        // wherever it is mounted now: the path names it here.
        if (const auto own = stick.ownFileMountedElsewhere(source, line.entryName)) {
            source = session.stick().root() + *own;
            pathChanged = true;
        }
        session.table().appendEntry(loadEntry(line.entryName, source, session.counters(), report));
    }
    for (const Setting setting : AllSettings) {
        if (!content.settings[setting].empty()) {
            session.settings().StoredSettings[setting] = content.settings[setting];
            session.settings().CurrentSettings[setting] = content.settings[setting];
        }
    }
    if (!seconds.empty()) {
        std::string text = std::string(SecondIndexLineMessage) + "\r\n";
        for (const auto& line : seconds) {
            text += "\r\n" + line.entryName + ";" + line.sourcePath;
        }
        showInformation(ui, text);
    }
    if (pathChanged) {
        IndexSchreiben(session, files, ui);
    }
    return IndexReadResult::Read;
}

std::vector<IndexEntryLine> secondIndexLines(const std::vector<IndexEntryLine>& entries) {
    std::vector<IndexEntryLine> seconds;
    for (auto line = entries.begin(); line != entries.end(); ++line) {
        const auto first = std::find_if(entries.begin(), line, [&](const IndexEntryLine& known) {
            return sameFileName(known.entryName, line->entryName);
        });
        if (first != line && first->sourcePath != line->sourcePath) {
            seconds.push_back(*line);
        }
    }
    return seconds;
}

void IndexSchreiben(Session& session, FileOperations& files, UserInterface& ui) {
    const WaitIndicator waiting(ui);
    StickFiles stick(files, session.stick().root(), session.stick().identity());
    replaceIndexFile(
        stick, session.stick().indexFileName(),
        composeIndexFile(entryLines(session.table(), true), session.settings().CurrentSettings,
                         {.includeEntriesWithoutSource = true, .includeEmptySettings = true}));
    // The rename that put it in place waits for the next flush, which the next journal must
    // not overtake.
    session.stick().fileCache().setChangesUnflushed(true);
    session.settings().StoredSettings = session.settings().CurrentSettings;
}

FileResult replaceIndexFile(StickFiles& stick, const std::string& indexName,
                            const std::string& bytes) {
    return writeAndReplace(stick, IndexTempName, indexName, bytes, Flush::Now);
}

} // namespace tonarion
