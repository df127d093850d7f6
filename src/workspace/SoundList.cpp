#include "workspace/SoundList.h"

#include "event/EventOptions.h"
#include "model/EntryName.h"
#include "model/LoadedEntry.h"
#include "model/QuarterHours.h"
#include "model/SoundFileDrop.h"
#include "model/Trimmed.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <tuple>

namespace tonarion {
namespace {

// The kinds are listed in the order of the event dialog; entries without one come last.
constexpr int NoEventGroup = EventKindCount;

std::optional<int> kindIndex(const SoundEntry& entry) {
    if (!entry.isBound()) {
        return std::nullopt;
    }
    // Case-sensitive, as the table decodes it: a lower-case letter is no event the module knows.
    const char letter = entry.entryName.front();
    for (int index = 0; index < EventKindCount; ++index) {
        if (KindOptions[static_cast<std::size_t>(index)].letter == letter) {
            return index;
        }
    }
    return std::nullopt;
}

// One half of a column header such as " Priorität /Ausblendzeit ": the words an operator reads
// on the table are the words the list uses.
std::string headerPart(Column column, bool afterSlash) {
    const std::string_view header = ColumnHeaders[static_cast<std::size_t>(column)];
    const auto slash = header.find('/');
    return trimmed(afterSlash ? header.substr(slash + 1) : header.substr(0, slash));
}

// A number of the name as one says it: without its leading zeros. A typed address that is no
// number stays as it was typed.
std::string spoken(const std::string& number) {
    const auto first = number.find_first_not_of('0');
    return first == std::string::npos ? (number.empty() ? number : "0") : number.substr(first);
}

std::string statusWords(const SoundEntry& entry, EventKind kind, char status) {
    if (const StatusOptions* options = statusOptions(kind)) {
        for (const CodedOption& option : *options) {
            if (codeLetter(option.codeText) == status) {
                return option.caption;
            }
        }
    }
    // A letter the kind does not offer: what the table shows for it.
    return entry.statusText == "_" ? "" : entry.statusText;
}

std::string receiverWords(const std::string& number2) {
    for (const CodedOption& option : optADR) {
        if (number2 == option.codeText) {
            return option.caption;
        }
    }
    if (leadingNumber(number2) == 0) {
        return {};
    }
    std::string loco = optADR[LocoAddressOption].caption;
    loco.erase(std::remove(loco.begin(), loco.end(), ':'), loco.end());
    return loco + " " + spoken(number2);
}

std::vector<std::string> eventWords(const SoundEntry& entry, int kindIndex) {
    const auto kind = static_cast<EventKind>(kindIndex);
    const EntryNameParts parts = parseEntryName(entry.entryName);
    std::string what = trimmed(kindOption(kind).caption) + " ";
    const std::string upTo = " " + headerPart(Column::Adr2, true) + " ";
    std::vector<std::string> words;
    switch (kind) {
    case EventKind::Magnetartikel:
    case EventKind::Rueckmeldung:
    case EventKind::Kontakt:
        what += spoken(parts.number1);
        if (leadingNumber(parts.number2) != 0) {
            what += upTo + spoken(parts.number2);
        }
        words = {what, statusWords(entry, kind, parts.status)};
        break;
    case EventKind::Zidas:
        words = {what + spoken(parts.number1), statusWords(entry, kind, parts.status),
                 receiverWords(parts.number2)};
        break;
    case EventKind::Uhrzeit: {
        const long long slot = leadingNumber(parts.number1);
        words = {what + (slot >= 1 && slot <= QuarterHourCount
                             ? quarterHourText(static_cast<int>(slot - 1))
                             : spoken(parts.number1))};
        break;
    }
    case EventKind::Zufall:
    case EventKind::Endlos:
        words = {what + spoken(parts.number1)};
        break;
    }
    const bool stop = parts.mode == codeLetter(Option3[1].codeText);
    if (parts.prio >= '0' && parts.prio <= '9') {
        words.push_back(headerPart(Column::Prio, stop) + " " + parts.prio);
    }
    if (parts.mode == codeLetter(Option2[1].codeText)) {
        words.emplace_back("unterbrechbar");
    } else if (parts.mode == codeLetter(Option2[0].codeText)) {
        words.emplace_back("nicht unterbrechbar");
    } else if (stop) {
        words.emplace_back(Option3[1].caption);
    }
    return words;
}

std::string groupTitle(int group) {
    return group == NoEventGroup ? NoEventTitle
                                 : trimmed(KindOptions[static_cast<std::size_t>(group)].caption);
}

void appendField(std::string& csv, const std::string& field) {
    if (field.find_first_of(";\"\r\n") == std::string::npos) {
        csv += field;
        return;
    }
    csv += '"';
    for (const char c : field) {
        csv += c == '"' ? "\"\"" : std::string(1, c);
    }
    csv += '"';
}

} // namespace

int SoundList::lineCount() const {
    int count = 0;
    for (const SoundListGroup& group : groups) {
        count += static_cast<int>(group.lines.size());
    }
    return count;
}

std::string describeEntry(const SoundEntry& entry) {
    const auto kind = kindIndex(entry);
    std::string text;
    for (const std::string& word :
         kind ? eventWords(entry, *kind) : std::vector<std::string>{NoEventTitle}) {
        if (!word.empty()) {
            text += (text.empty() ? "" : ", ") + word;
        }
    }
    const std::string file = fileNameOf(entry.sourcePath);
    return file.empty() ? text : text + " – " + file;
}

SoundList soundListOf(const SoundTable& table) {
    struct Placed {
        int group;
        long long number1;
        long long number2;
        SoundListLine line;
    };
    std::vector<Placed> placed;
    for (int row = 1; row < table.nextRow(); ++row) {
        // The grid spells some texts one way after binding and another after loading; the
        // list goes by the codes, so that the window and tonarion-cli print the same bytes.
        const SoundEntry& shown = table.row(row);
        const SoundEntry entry =
            shown.isBound() ? decodedEntry(shown.entryName, shown.sourcePath) : shown;
        const EntryNameParts parts = parseEntryName(entry.entryName);
        placed.push_back({kindIndex(entry).value_or(NoEventGroup),
                          leadingNumber(parts.number1),
                          leadingNumber(parts.number2),
                          {row, entry, describeEntry(entry)}});
    }
    std::stable_sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) {
        return std::tie(a.group, a.number1, a.number2) < std::tie(b.group, b.number1, b.number2);
    });
    SoundList list;
    int lastGroup = -1;
    for (Placed& each : placed) {
        if (each.group != lastGroup) {
            list.groups.push_back({groupTitle(each.group), {}});
            lastGroup = each.group;
        }
        list.groups.back().lines.push_back(std::move(each.line));
    }
    return list;
}

std::string soundListCsv(const SoundList& list) {
    std::string csv = "\xEF\xBB\xBF";
    for (int column = 0; column < ColumnCount; ++column) {
        appendField(csv, trimmed(ColumnHeaders[static_cast<std::size_t>(column)]));
        csv += ';';
    }
    csv += "Beschreibung\r\n";
    for (const SoundListGroup& group : list.groups) {
        for (const SoundListLine& line : group.lines) {
            csv += std::to_string(line.row);
            for (int column = 1; column < ColumnCount; ++column) {
                csv += ';';
                appendField(csv, cellText(line.entry, static_cast<Column>(column)));
            }
            csv += ';';
            appendField(csv, line.description);
            csv += "\r\n";
        }
    }
    return csv;
}

} // namespace tonarion
