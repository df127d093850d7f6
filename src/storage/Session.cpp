#include "storage/Session.h"

#include "storage/StickFiles.h"

#include <algorithm>

namespace tonarion {

void Session::rememberStaleFile(const std::string& name) {
    if (std::none_of(m_staleStickFiles.begin(), m_staleStickFiles.end(),
                     [&](const std::string& known) { return sameFileName(known, name); })) {
        m_staleStickFiles.push_back(name);
    }
    markChanged();
}

void Session::rememberRename(const std::string& from, const std::string& to) {
    markChanged();
    for (auto& rename : m_pendingRenames) {
        if (sameFileName(rename.to, from)) {
            rename.to = to; // the file has not moved yet: it goes straight to the last name
            return;
        }
    }
    m_pendingRenames.push_back({from, to});
}

void Session::forgetRenameFrom(std::string_view from) {
    std::erase_if(m_pendingRenames,
                  [&](const PendingRename& rename) { return sameFileName(rename.from, from); });
}

void Session::forgetRenameTo(std::string_view to) {
    std::erase_if(m_pendingRenames,
                  [&](const PendingRename& rename) { return sameFileName(rename.to, to); });
}

std::string Session::stickFileOf(std::string_view name) const {
    for (const auto& rename : m_pendingRenames) {
        if (sameFileName(rename.to, name)) {
            return rename.from;
        }
    }
    return std::string(name);
}

const std::string* Session::preparedSoundOf(std::string_view sourcePath) const {
    const auto found = m_preparedSounds.find(sourcePath);
    return found == m_preparedSounds.end() ? nullptr : &found->second;
}

void Session::keepPreparedSound(const std::string& sourcePath, std::string bytes) {
    m_preparedSounds.insert_or_assign(sourcePath, std::move(bytes));
}

void Session::keepPreparedSoundsOf(const std::vector<std::pair<std::string, std::string>>& fromTo) {
    std::map<std::string, std::string, std::less<>> kept;
    for (const auto& [from, to] : fromTo) {
        if (const auto found = m_preparedSounds.find(from); found != m_preparedSounds.end()) {
            kept.insert_or_assign(to, found->second);
        }
    }
    m_preparedSounds = std::move(kept);
}

void Session::committed() {
    m_staleStickFiles.clear();
    m_pendingRenames.clear();
    m_saveNeeded = false;
}

void Session::clearForLoading() {
    m_saveNeeded = false;
    m_preparedSounds.clear();
    m_table.clear();
    m_counters.reset();
    m_settings = {};
}

} // namespace tonarion
