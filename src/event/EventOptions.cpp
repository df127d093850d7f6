#include "event/EventOptions.h"

#include "model/QuarterHours.h"

namespace tonarion {
namespace {

std::vector<std::string> numbers(int first, int last) {
    std::vector<std::string> entries;
    for (int value = first; value <= last; ++value) {
        entries.push_back(std::to_string(value));
    }
    return entries;
}

} // namespace

const StatusOptions* statusOptions(EventKind kind) {
    switch (kind) {
    case EventKind::Magnetartikel:
        return &optMA;
    case EventKind::Rueckmeldung:
        return &optRUE;
    case EventKind::Zidas:
        return &optZID;
    case EventKind::Kontakt:
        return &optKON;
    case EventKind::Zufall:
    case EventKind::Uhrzeit:
    case EventKind::Endlos:
        break;
    }
    return nullptr;
}

std::vector<std::string> listEntries(ValueList list) {
    switch (list) {
    case ValueList::Combo1: {
        std::vector<std::string> times;
        for (int index = 0; index < QuarterHourCount; ++index) {
            times.push_back(quarterHourText(index));
        }
        return times;
    }
    case ValueList::Combo2:
        return numbers(1, 4);
    case ValueList::Combo3:
        return numbers(1, 10);
    case ValueList::Combo4:
        return numbers(1, 127);
    case ValueList::Combo5:
        break;
    }
    return numbers(0, 9);
}

char codeLetter(const std::string& codeText) {
    if (codeText.empty()) {
        return ' ';
    }
    const char first = codeText.front();
    return first >= 'a' && first <= 'z' ? static_cast<char>(first - ('a' - 'A')) : first;
}

} // namespace tonarion
