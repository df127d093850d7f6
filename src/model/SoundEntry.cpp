#include "model/SoundEntry.h"

#include <stdexcept>

namespace tonarion {

std::string& cellText(SoundEntry& entry, Column column) {
    switch (column) {
    case Column::Filename:
        return entry.entryName;
    case Column::Pfad:
        return entry.sourcePath;
    case Column::Ereignis:
        return entry.eventText;
    case Column::Status:
        return entry.statusText;
    case Column::Modus:
        return entry.modeText;
    case Column::Prio:
        return entry.prioText;
    case Column::Adr1:
        return entry.address1;
    case Column::Adr2:
        return entry.address2;
    case Column::Nr:
    case Column::Count:
        break;
    }
    throw std::invalid_argument("column has no stored text");
}

const std::string& cellText(const SoundEntry& entry, Column column) {
    return cellText(const_cast<SoundEntry&>(entry), column);
}

} // namespace tonarion
