// The event dialog pre-fills itself from the EntryName of the row it was opened for. The
// names come from a stick, so whatever a name holds, every choice the pre-fill makes must be
// an entry its list has: the dialog selects it without a further check.

#include "FuzzCheck.h"
#include "event/EventPrefill.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

using namespace tonarion;

namespace {

bool within(const std::optional<int>& choice, int entries) {
    return !choice || (*choice >= 0 && *choice < entries);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view name(reinterpret_cast<const char*>(data), size);
    const auto prefill = prefillFromEntryName(name);
    if (!prefill) {
        return 0;
    }
    fuzz::require(prefill->kindIndex >= 0 && prefill->kindIndex < 7, "one of the seven kinds");
    fuzz::require(within(prefill->modeOption, 2) && within(prefill->statusOption, 3) &&
                      within(prefill->addressOption, 6),
                  "option groups choose one of their buttons");
    fuzz::require(within(prefill->priorityPosition, 4) && within(prefill->timePosition, 96) &&
                      within(prefill->playPosition, 127) && within(prefill->firstContact, 10) &&
                      within(prefill->lastContact, 10),
                  "lists choose one of their entries");
    fuzz::require(!prefill->priorityPosition || prefill->priorityStep,
                  "a priority only where the kind has one");
    return 0;
}
