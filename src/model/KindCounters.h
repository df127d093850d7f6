#pragma once

#include "model/UserInterface.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace tonarion {

// The sound module holds a limited number of sounds per group of event kinds.
enum class KindGroup { MRL, Kontakt, Zufall, Zeit, Endlos, Count };

inline constexpr int KindGroupCount = static_cast<int>(KindGroup::Count);

// The group a kind letter counts in: M, R and L share one; lower-case letters count nowhere.
std::optional<KindGroup> groupOfKind(char kind);

// The largest allowed count of a group.
std::int16_t groupLimit(KindGroup group);

// "Maximale Anzahl (255) an Samples erreicht" and its siblings.
std::string capacityMessage(KindGroup group);
void showCapacityMessage(UserInterface& ui, KindGroup group);

// The five counters cntMRL, cntKontakt, cntZufall, cntZeit and cntEndlos. They are signed
// 16-bit values; arithmetic that would leave that range throws std::overflow_error.
class KindCounters {
public:
    std::int16_t count(KindGroup group) const { return m_counts[index(group)]; }

    std::int16_t cntMRL() const { return count(KindGroup::MRL); }
    std::int16_t cntKontakt() const { return count(KindGroup::Kontakt); }
    std::int16_t cntZufall() const { return count(KindGroup::Zufall); }
    std::int16_t cntZeit() const { return count(KindGroup::Zeit); }
    std::int16_t cntEndlos() const { return count(KindGroup::Endlos); }

    // True when binding an entry of the group to a row whose entry had the kind oldKind
    // would exceed the group's limit. An edit that keeps the entry in its group adds
    // nothing, so it is never refused; a new entry or one moving in from another group is.
    bool wouldExceed(KindGroup group, char oldKind) const;

    // Counts an entry read from the index file. A group over its limit stops at the limit;
    // the row itself is loaded all the same. Returns the group that overflowed, if any, so
    // that the loader can tell the user.
    std::optional<KindGroup> countLoadedEntry(char kind);

    // Moves an entry's count from its old kind to its new one when the group changes;
    // an entry that had no kind (or none that counts) is counted anew.
    void moveEntry(char oldKind, char newKind);

    // A deleted entry leaves its group.
    void removeEntry(char kind);

    void reset() { m_counts = {}; }

    int total() const;

private:
    static std::size_t index(KindGroup group) { return static_cast<std::size_t>(group); }
    void add(KindGroup group, int delta);

    std::array<std::int16_t, KindGroupCount> m_counts{};
};

// The diagnostic counter report of the hidden button "aktueller zählerstand".
std::string counterReport(const KindCounters& counters, long long nextRow);

} // namespace tonarion
