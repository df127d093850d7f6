#include "storage/StickConnection.h"

namespace tonarion {

void StickConnection::mountedAnew(const FileIdentity& identity) {
    m_identity = identity;
    m_fileCache.clear();
}

void StickConnection::holdLock(std::shared_ptr<FolderLock> lock) {
    m_lock = std::move(lock);
    m_lockedRoot = m_lock ? m_root : std::string();
}

void StickConnection::releaseLock() {
    m_lock.reset();
    m_lockedRoot.clear();
}

std::optional<StickConnection::RunningCommit> StickConnection::beginCommit() {
    if (m_commitRunning) {
        return std::nullopt;
    }
    return RunningCommit(m_commitRunning);
}

} // namespace tonarion
