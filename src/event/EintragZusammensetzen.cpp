#include "event/EintragZusammensetzen.h"

#include "event/EventOptions.h"
#include "model/AddressRanges.h"
#include "model/EntryName.h"
#include "model/Trimmed.h"
#include "model/WholeNumber.h"

namespace tonarion {
namespace {

// A contact list's entry text, "1" to "10".
int contactNumber(std::string_view text) {
    return wholeNumber(text).value_or(0);
}

// The outcome of reading one box: a number, or the message that refuses the entry and why.
struct NumberOrMessage {
    std::string number;
    const char* message = nullptr;
    std::string reason;
};

// A box the user left as it opened ("-"), or emptied.
bool notFilledIn(std::string_view boxText) {
    const std::string text = trimmed(boxText);
    return text.empty() || text == "-";
}

// A second number typed into a box: "-" or 0 means none given (00000), as the pre-fill shows
// a name's 00000; anything else is an address of its kind, and a "bis" address closes a
// range that starts at from.
NumberOrMessage secondNumber(const std::string& boxText, AddressKind kind,
                             const char* invalidMessage, std::optional<int> from = std::nullopt) {
    const std::string text = trimmed(boxText);
    if (text == "-" || (!text.empty() && text.find_first_not_of('0') == std::string::npos)) {
        return {"00000", nullptr, {}};
    }
    if (text.empty()) {
        return {{}, invalidMessage, {}};
    }
    const TypedAddress address = readAddress(kind, text);
    if (!address.value) {
        return {{}, invalidMessage, address.fault};
    }
    if (from && *address.value < *from) {
        return {{}, invalidMessage, reversedRangeFault(*from, *address.value)};
    }
    return {pad5(std::to_string(*address.value)), nullptr, {}};
}

// The mode part shared by every kind but E.
void setMode(NeuerEintrag& entry, const std::string& modeCodeText) {
    entry.chrModus = codeLetter(modeCodeText);
    entry.txtModus = modeCodeText;
}

// Status and priority of kinds M, R, L and K.
void setStatusAndPriority(NeuerEintrag& entry, const EventSelection& selection) {
    const std::string& status = *selection.selStatus;
    entry.chrStatus = codeLetter(status);
    entry.txtStatus = status.substr(1);
    const std::string& priority = selection.selWert->text;
    entry.chrPrio = priority.empty() ? ' ' : priority.front();
    entry.txtPrio = priority;
}

class Composer {
public:
    Composer(const EventSelection& selection, int editRow, const SoundTable& table,
             KindCounters& counters, UserInterface& ui)
        : m_sel(selection)
        , m_table(table)
        , m_counters(counters)
        , m_ui(ui)
        , m_editRow(editRow)
        , m_oldName(table.isEntryRow(editRow) ? table.row(editRow).entryName : std::string()) {}

    std::optional<NeuerEintrag> run();

private:
    // The message names the choice; the reason, below it, says what is wrong with it.
    std::optional<NeuerEintrag> refuse(const char* message, const std::string& reason = {}) {
        showInformation(m_ui,
                        reason.empty() ? message : message + std::string("\r\n\r\n") + reason);
        return std::nullopt;
    }
    std::optional<NeuerEintrag> refuse(const NumberOrMessage& refused) {
        return refuse(refused.message, refused.reason);
    }
    std::optional<NeuerEintrag> refuseFull(KindGroup group) {
        showCapacityMessage(m_ui, group);
        return std::nullopt;
    }
    bool full(KindGroup group) const { return m_counters.wouldExceed(group, kindOf(m_oldName)); }

    std::optional<NeuerEintrag> composeEndless();
    std::optional<NeuerEintrag> composeRandom();
    std::optional<NeuerEintrag> composeTime();
    std::optional<NeuerEintrag> composeContact();
    std::optional<NeuerEintrag> composeAddressed(EventKind kind);
    std::optional<NeuerEintrag> accept(NeuerEintrag entry);

    // The running number of a random entry: its own when it already was one, else the
    // next free one.
    std::string randomNumber() const;

    const EventSelection& m_sel;
    const SoundTable& m_table;
    KindCounters& m_counters;
    UserInterface& m_ui;
    int m_editRow;
    std::string m_oldName;
};

std::optional<NeuerEintrag> Composer::run() {
    if (!m_sel.selEreignis || *m_sel.selEreignis < 0 || *m_sel.selEreignis >= EventKindCount) {
        return std::nullopt;
    }
    const auto kind = static_cast<EventKind>(*m_sel.selEreignis);
    const bool addressedOrContact = kind <= EventKind::Kontakt;

    if (kind == EventKind::Endlos) {
        return composeEndless();
    }
    if (addressedOrContact && !m_sel.selStatus) {
        return refuse(StatusMissingMessage);
    }
    if (kind == EventKind::Zufall) {
        return composeRandom();
    }
    if (addressedOrContact && !m_sel.selModus) {
        return refuse(ModeMissingMessage);
    }
    if (kind == EventKind::Uhrzeit) {
        return composeTime();
    }
    if (!m_sel.selWert) {
        return refuse(PriorityMissingMessage);
    }
    if (kind == EventKind::Kontakt) {
        return composeContact();
    }
    return composeAddressed(kind);
}

std::optional<NeuerEintrag> Composer::composeEndless() {
    if (full(KindGroup::Endlos)) {
        return refuseFull(KindGroup::Endlos);
    }
    if (!m_sel.selWert) {
        return refuse(PositionMissingMessage);
    }
    NeuerEintrag entry;
    entry.chrEreignis = 'E';
    entry.chrStatus = 'N';
    entry.chrModus = 'D';
    entry.chrPrio = '_';
    entry.strAdr1 = pad4(std::to_string(m_sel.selWert->position + 1));
    entry.strAdr2 = "00000";
    entry.txtEreignis = kindOption(EventKind::Endlos).codeText;
    entry.txtStatus = "_";
    entry.txtModus = "_";
    entry.txtPrio = "_";
    return accept(std::move(entry));
}

std::optional<NeuerEintrag> Composer::composeRandom() {
    if (full(KindGroup::Zufall)) {
        return refuseFull(KindGroup::Zufall);
    }
    if (!m_sel.selModus) {
        return refuse(ModeMissingMessage);
    }
    NeuerEintrag entry;
    entry.chrEreignis = 'Z';
    entry.chrStatus = 'U';
    setMode(entry, *m_sel.selModus);
    entry.chrPrio = '_';
    entry.strAdr1 = randomNumber();
    entry.strAdr2 = "00000";
    entry.txtEreignis = kindOption(EventKind::Zufall).codeText;
    entry.txtStatus = "_";
    entry.txtPrio = "_";
    return accept(std::move(entry));
}

std::optional<NeuerEintrag> Composer::composeTime() {
    if (full(KindGroup::Zeit)) {
        return refuseFull(KindGroup::Zeit);
    }
    if (!m_sel.selWert) {
        return refuse(TimeMissingMessage);
    }
    if (!m_sel.selModus) {
        return refuse(ModeMissingMessage);
    }
    NeuerEintrag entry;
    entry.chrEreignis = 'U';
    entry.chrStatus = 'Z';
    setMode(entry, *m_sel.selModus);
    entry.chrPrio = '_';
    entry.strAdr1 = pad4(std::to_string(m_sel.selWert->position + 1));
    entry.strAdr2 = "00000";
    // "UZUhrzeit": the first two characters are the kind's code letters.
    entry.txtEreignis = std::string(kindOption(EventKind::Uhrzeit).codeText).substr(2);
    entry.txtStatus = "_";
    entry.txtPrio = "_";
    return accept(std::move(entry));
}

std::optional<NeuerEintrag> Composer::composeContact() {
    if (full(KindGroup::Kontakt)) {
        return refuseFull(KindGroup::Kontakt);
    }
    if (!m_sel.selKontaktVon) {
        return refuse(ContactMissingMessage);
    }
    NeuerEintrag entry;
    entry.chrEreignis = 'K';
    setStatusAndPriority(entry, m_sel);
    setMode(entry, *m_sel.selModus);
    const std::string first = trimmed(*m_sel.selKontaktVon);
    const std::string last = trimmed(m_sel.selKontaktBis.value_or(""));
    if (!last.empty() && contactNumber(last) < contactNumber(first)) {
        return refuse(ContactMissingMessage, "Der letzte Kontakt (bis " + last +
                                                 ") ist kleiner als der erste (von " + first +
                                                 ").");
    }
    entry.strAdr1 = pad4(first);
    entry.strAdr2 = !last.empty() && last.size() <= 4 ? pad5(last) : "00000";
    entry.txtEreignis = kindOption(EventKind::Kontakt).codeText;
    return accept(std::move(entry));
}

std::optional<NeuerEintrag> Composer::composeAddressed(EventKind kind) {
    if (!m_sel.selAdr1 || notFilledIn(*m_sel.selAdr1)) {
        return refuse(FirstAddressMessage);
    }
    const AddressKind addressKind = kind == EventKind::Magnetartikel  ? AddressKind::Accessory
                                    : kind == EventKind::Rueckmeldung ? AddressKind::Feedback
                                                                      : AddressKind::Receiver;
    const TypedAddress first = readAddress(addressKind, *m_sel.selAdr1);
    if (!first.value) {
        return refuse(FirstAddressMessage, first.fault);
    }
    NeuerEintrag entry;
    entry.chrEreignis = kindOption(kind).letter;
    entry.txtEreignis = kindOption(kind).codeText;
    setStatusAndPriority(entry, m_sel);
    setMode(entry, *m_sel.selModus);
    entry.strAdr1 = pad4(std::to_string(*first.value));

    if (kind == EventKind::Zidas) {
        if (full(KindGroup::MRL)) {
            return refuseFull(KindGroup::MRL);
        }
        if (!m_sel.selAdresse) {
            return refuse(CategoryMissingMessage);
        }
        if (m_sel.selAdresse->index != LocoAddressOption) {
            entry.strAdr2 = m_sel.selAdresse->codeText;
        } else if (!m_sel.selAdr2) {
            return refuse(SecondAddressMessage);
        } else {
            const auto loco = secondNumber(*m_sel.selAdr2, AddressKind::Loco, LocoAddressMessage);
            if (loco.message) {
                return refuse(loco);
            }
            entry.strAdr2 = loco.number;
        }
        return accept(std::move(entry));
    }

    // Magnetartikel and Rückmeldung show "BELIEBIG" for the code text "xBELIEBIG".
    const std::string& status = *m_sel.selStatus;
    entry.txtStatus = status.starts_with('x') ? status.substr(status.size() - 8) : status;
    if (!m_sel.selAdr2) {
        return refuse(SecondAddressMessage);
    }
    const auto second =
        secondNumber(*m_sel.selAdr2, addressKind, SecondAddressMessage, *first.value);
    if (second.message) {
        return refuse(second);
    }
    entry.strAdr2 = second.number;
    if (full(KindGroup::MRL)) {
        return refuseFull(KindGroup::MRL);
    }
    return accept(std::move(entry));
}

std::string Composer::randomNumber() const {
    if (kindOf(m_oldName) == 'Z') {
        return parseEntryName(m_oldName).number1;
    }
    return pad4(std::to_string(m_counters.cntZufall() + 1));
}

std::optional<NeuerEintrag> Composer::accept(NeuerEintrag entry) {
    // Two rows under one name would overwrite one sound with the other on the stick.
    // The user is told where the other one is, to choose between the two.
    if (const auto other = m_table.rowWithEntryName(entry.entryName(), m_editRow)) {
        return refuse(DuplicateEventMessage,
                      "Zeile " + std::to_string(*other) + ": " + m_table.row(*other).sourcePath);
    }
    m_counters.moveEntry(kindOf(m_oldName), entry.chrEreignis);
    return entry;
}

} // namespace

std::string NeuerEintrag::entryName() const {
    return composeEntryName({chrEreignis, chrStatus, chrModus, chrPrio, strAdr1, strAdr2});
}

SoundEntry NeuerEintrag::boundTo(const SoundEntry& row) const {
    return SoundEntry{
        .entryName = entryName(),
        .sourcePath = row.sourcePath,
        .eventText = txtEreignis,
        .statusText = txtStatus,
        .modeText = txtModus,
        .prioText = txtPrio,
        .address1 = strAdr1,
        .address2 = strAdr2,
    };
}

std::optional<NeuerEintrag> EintragZusammensetzen(const EventSelection& selection, int editRow,
                                                  const SoundTable& table, KindCounters& counters,
                                                  UserInterface& ui) {
    return Composer(selection, editRow, table, counters, ui).run();
}

} // namespace tonarion
