// The event dialog pre-fills itself from the EntryName of the row it was opened for. The
// names come from a stick, so the parsing behind the pre-fill is fuzzed on its own here: for
// now the name's parts and the code-table decoders it reads them with. The pre-fill's own
// parser joins this target once the dialog has it.

#include "FuzzCheck.h"
#include "model/CodeTables.h"
#include "model/EntryName.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace tonarion;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view name(reinterpret_cast<const char*>(data), size);
    const EntryNameParts parts = parseEntryName(name);
    const std::string event = EreignisText(std::string_view(&parts.kind, 1));
    const std::string status = StatusText(std::string_view(&parts.status, 1));
    const std::string mode = ModusText(std::string_view(&parts.mode, 1));
    fuzz::require(!status.empty() && !mode.empty(), "status and mode always show a text");
    fuzz::require(event.empty() ==
                      (std::string_view("MRLKZUE").find(parts.kind) == std::string_view::npos),
                  "only the seven kind letters name an event");
    return 0;
}
