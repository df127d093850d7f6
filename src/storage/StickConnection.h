#pragma once

#include "storage/FileIdentity.h"
#include "storage/StickFileCache.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace tonarion {

class FolderLock;

// The stick this run works on, as far as it is reached: where it is, whether it is still the
// one that was taken, what is known of its files, and who holds it. None of this is the
// stick's intended content, so changing it never makes a commit necessary.
class StickConnection {
public:
    // The stick's root, ending in its separator ("E:\" or "/media/anna/STICK/"), so that
    // root() + EntryName is a sound file's path.
    const std::string& root() const { return m_root; }
    // Moving the root leaves the rest as it is: the lock taken for the old root stops
    // counting until the new one is claimed, which takes its identity too, and loading the
    // stick there empties the file cache.
    void setRoot(std::string root) { m_root = std::move(root); }

    // The stick's root folder as it was when taken: a stick pulled out leaves the bare mount
    // point behind under the same path, and nothing may be written there.
    const std::optional<FileIdentity>& identity() const { return m_identity; }
    void takeIdentity(std::optional<FileIdentity> identity) { m_identity = identity; }
    // The stick came back under the same root, mounted anew: what was seen of its files
    // under the old mount says nothing of the new one.
    void mountedAnew(const FileIdentity& identity);

    // The index file's name as the stick spells it; "tonkat.tkx" unless found otherwise.
    const std::string& indexFileName() const { return m_indexFileName; }
    void setIndexFileName(std::string name) { m_indexFileName = std::move(name); }

    // The stick's files as this run last saw or wrote them.
    StickFileCache& fileCache() { return m_fileCache; }
    const StickFileCache& fileCache() const { return m_fileCache; }

    // Held while this program works on the stick at the root it was taken for, so that no
    // second one does. The lock and its root come and go together: a lock is always taken
    // for the current root, and no longer counts once the root moves elsewhere.
    bool holdsLock() const { return m_lock && m_lockedRoot == m_root; }
    const FolderLock* lock() const { return m_lock.get(); }
    void holdLock(std::shared_ptr<FolderLock> lock);
    void releaseLock();

    // A commit writing to the stick, for as long as it lives; a commit asked for meanwhile
    // gets none and does nothing.
    class RunningCommit {
    public:
        explicit RunningCommit(bool& running)
            : m_running(&running) {
            running = true;
        }
        RunningCommit(RunningCommit&& other) noexcept
            : m_running(std::exchange(other.m_running, nullptr)) {}
        RunningCommit(const RunningCommit&) = delete;
        RunningCommit& operator=(const RunningCommit&) = delete;
        RunningCommit& operator=(RunningCommit&&) = delete;
        ~RunningCommit() {
            if (m_running) {
                *m_running = false;
            }
        }

    private:
        bool* m_running;
    };
    std::optional<RunningCommit> beginCommit();
    bool commitRunning() const { return m_commitRunning; }

private:
    std::string m_root;
    std::optional<FileIdentity> m_identity;
    std::string m_indexFileName = "tonkat.tkx";
    StickFileCache m_fileCache;
    std::shared_ptr<FolderLock> m_lock; // shared: FolderLock is only declared here
    std::string m_lockedRoot;
    bool m_commitRunning = false;
};

} // namespace tonarion
