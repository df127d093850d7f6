#include "model/LoadedEntry.h"

#include "model/CodeTables.h"
#include "model/EntryName.h"

namespace tonarion {

void LoadReport::groupOverflowed(KindGroup group) {
    bool& reported = m_reported[static_cast<std::size_t>(group)];
    if (!reported) {
        reported = true;
        showCapacityMessage(m_ui, group);
    }
}

SoundEntry loadEntry(std::string_view entryName, std::string sourcePath, KindCounters& counters,
                     LoadReport& report) {
    if (const auto overflow = counters.countLoadedEntry(parseEntryName(entryName).kind)) {
        report.groupOverflowed(*overflow);
    }
    return decodedEntry(entryName, std::move(sourcePath));
}

SoundEntry decodedEntry(std::string_view entryName, std::string sourcePath) {
    const EntryNameParts parts = parseEntryName(entryName);
    return SoundEntry{
        .entryName = std::string(entryName),
        .sourcePath = std::move(sourcePath),
        .eventText = EreignisText(std::string_view(&parts.kind, 1)),
        .statusText = StatusText(std::string_view(&parts.status, 1)),
        .modeText = ModusText(std::string_view(&parts.mode, 1)),
        .prioText = std::string(1, parts.prio),
        .address1 = parts.number1,
        .address2 = parts.number2,
    };
}

} // namespace tonarion
