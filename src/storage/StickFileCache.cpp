#include "storage/StickFileCache.h"

#include <cctype>

namespace tonarion {
namespace {

std::string key(std::string_view name) {
    std::string lower(name);
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower;
}

} // namespace

void StickFileCache::takeListing(const std::vector<std::string>& names) {
    m_files.clear();
    for (const auto& name : names) {
        m_files[key(name)] = Known{true, std::nullopt};
    }
    m_listed = true;
}

const StickFileCache::Known* StickFileCache::find(std::string_view name) const {
    const auto found = m_files.find(key(name));
    if (found != m_files.end()) {
        return found->second.present ? &found->second : nullptr;
    }
    static const Known absent{false, std::nullopt};
    return m_listed ? &absent : nullptr;
}

std::optional<bool> StickFileCache::exists(std::string_view name) const {
    const Known* known = find(name);
    return known ? known->present : std::nullopt;
}

std::optional<std::optional<FileStatus>> StickFileCache::status(std::string_view name) const {
    const Known* known = find(name);
    if (!known || (*known->present && !known->status)) {
        return std::nullopt;
    }
    return known->status;
}

void StickFileCache::remember(std::string_view name, std::optional<FileStatus> status) {
    m_files[key(name)] = Known{status.has_value(), status};
    m_contents.erase(key(name));
}

void StickFileCache::forget(std::string_view name) {
    // Once listed, a name missing from the map reads as absent: it stays, as unknown.
    m_files[key(name)] = Known{};
    m_contents.erase(key(name));
}

void StickFileCache::clear() {
    m_files.clear();
    m_listed = false;
    m_contents.clear();
}

std::optional<std::string> StickFileCache::content(std::string_view name) const {
    const auto found = m_contents.find(key(name));
    return found == m_contents.end() ? std::nullopt : std::optional<std::string>(found->second);
}

void StickFileCache::rememberContent(std::string_view name, std::string bytes) {
    m_contents[key(name)] = std::move(bytes);
}

} // namespace tonarion
