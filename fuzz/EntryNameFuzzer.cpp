// The EntryName code: cutting a name apart and putting it together again, and the test that
// tells sound files on a stick from other files.

#include "FuzzCheck.h"
#include "model/EntryName.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace tonarion;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view name(reinterpret_cast<const char*>(data), size);

    const EntryNameParts parts = parseEntryName(name);
    fuzz::require(parts.number1.size() <= 4 && parts.number2.size() <= 5, "numbers stay short");
    if (name.size() == EntryNameLength && name[4] == '-' && name[9] == '-' &&
        name.substr(15) == ".mp3") {
        fuzz::require(composeEntryName(parts) == name, "a well-formed name survives a round trip");
    }
    if (looksLikeEntryName(name)) {
        fuzz::require(name.size() == EntryNameLength && !isSettingName(name),
                      "a sound file's name is 19 characters and no setting");
    }
    fuzz::require(pad4(name).size() == 4, "pad4 always gives four characters");
    const std::string padded = pad5(name);
    fuzz::require(name.empty() || name.size() > 5 ? padded == name : padded.size() == 5,
                  "pad5 pads one to five characters and leaves the rest");
    return 0;
}
