#include "model/KindCounters.h"

#include <limits>
#include <stdexcept>

namespace tonarion {

std::optional<KindGroup> groupOfKind(char kind) {
    switch (kind) {
    case 'M':
    case 'R':
    case 'L':
        return KindGroup::MRL;
    case 'K':
        return KindGroup::Kontakt;
    case 'Z':
        return KindGroup::Zufall;
    case 'U':
        return KindGroup::Zeit;
    case 'E':
        return KindGroup::Endlos;
    default:
        return std::nullopt;
    }
}

std::int16_t groupLimit(KindGroup group) {
    switch (group) {
    case KindGroup::MRL:
        return 255;
    case KindGroup::Kontakt:
        return 63;
    case KindGroup::Zeit:
        return 96;
    case KindGroup::Zufall:
    case KindGroup::Endlos:
    case KindGroup::Count:
        break;
    }
    return 127;
}

std::string capacityMessage(KindGroup group) {
    return "Maximale Anzahl (" + std::to_string(groupLimit(group)) + ") an Samples erreicht";
}

void showCapacityMessage(UserInterface& ui, KindGroup group) {
    showCritical(ui, capacityMessage(group));
}

bool KindCounters::wouldExceed(KindGroup group, char oldKind) const {
    return groupOfKind(oldKind) != group && count(group) + 1 > groupLimit(group);
}

std::optional<KindGroup> KindCounters::countLoadedEntry(char kind) {
    const auto group = groupOfKind(kind);
    if (!group) {
        return std::nullopt;
    }
    add(*group, 1);
    if (count(*group) > groupLimit(*group)) {
        add(*group, -1);
        return group;
    }
    return std::nullopt;
}

void KindCounters::moveEntry(char oldKind, char newKind) {
    const auto oldGroup = groupOfKind(oldKind);
    const auto newGroup = groupOfKind(newKind);
    if (oldGroup == newGroup) {
        return;
    }
    if (oldGroup) {
        add(*oldGroup, -1);
    }
    if (newGroup) {
        add(*newGroup, 1);
    }
}

void KindCounters::removeEntry(char kind) {
    if (const auto group = groupOfKind(kind)) {
        add(*group, -1);
    }
}

int KindCounters::total() const {
    int sum = 0;
    for (const auto value : m_counts) {
        sum += value;
    }
    return sum;
}

void KindCounters::add(KindGroup group, int delta) {
    const int result = m_counts[index(group)] + delta;
    if (result < std::numeric_limits<std::int16_t>::min() ||
        result > std::numeric_limits<std::int16_t>::max()) {
        throw std::overflow_error("kind counter out of 16-bit range");
    }
    m_counts[index(group)] = static_cast<std::int16_t>(result);
}

std::string counterReport(const KindCounters& counters, long long nextRow) {
    return "zidas. magnet artikel und rückmelder : " + std::to_string(counters.cntMRL()) +
           "\r\nKontakt: " + std::to_string(counters.cntKontakt()) +
           "\r\nzufall: " + std::to_string(counters.cntZufall()) +
           "\r\nzeitgesteuert: " + std::to_string(counters.cntZeit()) +
           "\r\nendlos: " + std::to_string(counters.cntEndlos()) +
           "\r\ngesamt menge: " + std::to_string(counters.total()) +
           "\r\nnachste zeilenposition: " + std::to_string(nextRow);
}

} // namespace tonarion
