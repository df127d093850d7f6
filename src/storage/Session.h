#pragma once

#include "model/KindCounters.h"
#include "model/SoundTable.h"
#include "settings/SettingsTable.h"
#include "storage/StickConnection.h"

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tonarion {

// A stick file that is to take another name at the next commit, for a row whose sound is
// otherwise copied from the computer: a rename writes no sound data.
struct PendingRename {
    std::string from;
    std::string to;
};

// What the program knows about the stick it works on, shared by every window and operation.
// There is one per run; the workspace hands it to the operations, never to a front end.
class Session {
public:
    // Where the stick is and how it is held: nothing of it is content a commit would write.
    StickConnection& stick() { return m_stick; }
    const StickConnection& stick() const { return m_stick; }

    // What the stick is to hold. Whoever changes it for the stick to get marks the session
    // changed; reading it from the index file does not.
    SoundTable& table() { return m_table; }
    const SoundTable& table() const { return m_table; }
    KindCounters& counters() { return m_counters; }
    const KindCounters& counters() const { return m_counters; }
    ModuleSettings& settings() { return m_settings; }
    const ModuleSettings& settings() const { return m_settings; }

    // True while the stick lacks changes held here; a commit does nothing while it is false.
    bool SaveNeeded() const { return m_saveNeeded; }
    // The stick's intended content changed: the next commit has work to do.
    void markChanged() { m_saveNeeded = true; }

    // Stick files that had to go but could not, because the stick was pulled or refused: the
    // next commit that gets through deletes them, so that the module does not go on playing
    // a sound the user deleted or bound anew. Remembering one marks the session changed.
    const std::vector<std::string>& staleStickFiles() const { return m_staleStickFiles; }
    void rememberStaleFile(const std::string& name);

    // Stick files that have to take another name, as when a random entry leaves the numbers
    // and the ones above it move down one. Remembering one marks the session changed; a file
    // that is already to move goes straight to its last name.
    const std::vector<PendingRename>& pendingRenames() const { return m_pendingRenames; }
    void rememberRename(const std::string& from, const std::string& to);
    // The file that moves from this name has arrived, or the row that wanted it is gone.
    void forgetRenameFrom(std::string_view from);
    void forgetRenameTo(std::string_view to);
    // The stick file that holds the sound of this name: the one a pending rename has yet to
    // give it that name, if any.
    std::string stickFileOf(std::string_view name) const;

    // Sounds made here rather than found in a file: converted from another format, prepared
    // for the module or levelled. The next commit writes them under the EntryName of every
    // bound row whose source is this path, and those rows then name their stick file, as a
    // sound taken over from the stick does. Nothing of them is kept on the computer. An
    // unbound row's sound waits here until the row is bound; whoever changes a bound row's
    // sound marks the session changed.
    const std::string* preparedSoundOf(std::string_view sourcePath) const;
    void keepPreparedSound(const std::string& sourcePath, std::string bytes);
    // Keeps the sounds made for these sources, each under the path its rows name now (a stick
    // file that moved), and lets every other go: the commit wrote it, or no row needs it.
    void keepPreparedSoundsOf(const std::vector<std::pair<std::string, std::string>>& fromTo);

    // The stick holds everything held here: nothing is pending any more.
    void committed();
    // The index file is about to be read afresh: the table, the counters and the settings
    // come from it alone, and nothing counts as changed yet.
    void clearForLoading();

private:
    StickConnection m_stick;
    SoundTable m_table;
    KindCounters m_counters;
    ModuleSettings m_settings;
    bool m_saveNeeded = false;
    std::vector<std::string> m_staleStickFiles;
    std::vector<PendingRename> m_pendingRenames;
    std::map<std::string, std::string, std::less<>> m_preparedSounds;
};

} // namespace tonarion
