#include "sound/InvalidSounds.h"

#include "model/SoundFileDrop.h"

namespace tonarion {

std::vector<std::string> invalidSounds(SoundInspector& inspector,
                                       const std::vector<std::string>& paths) {
    std::vector<std::string> invalid;
    for (const auto& path : paths) {
        if (inspector.inspect(path).invalid()) {
            invalid.push_back(path);
        }
    }
    return invalid;
}

void tellInvalidSounds(UserInterface& ui, const std::vector<std::string>& paths) {
    if (paths.empty()) {
        return;
    }
    std::string text = InvalidSoundsMessage;
    for (const auto& path : paths) {
        text += "\r\n" + fileNameOf(path);
    }
    showInformation(ui, std::move(text));
}

} // namespace tonarion
