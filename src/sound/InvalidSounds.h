#pragma once

#include "model/UserInterface.h"
#include "sound/SoundInspector.h"

#include <string>
#include <vector>

namespace tonarion {

inline constexpr const char* InvalidSoundsMessage =
    "Diese Dateien sind keine gültigen MP3-Dateien und werden vom Soundmodul vermutlich nicht "
    "abgespielt:";

// The added files whose content would not play: not MPEG audio, or not decodable to the end.
// Unchecked files (a build without the decoder) are not among them.
std::vector<std::string> invalidSounds(SoundInspector& inspector,
                                       const std::vector<std::string>& paths);

// One information message that names the files by their file names; none for an empty list.
// The rows stay: the extension is what the user was told counts, and the file may still be
// replaced by a good one under the same path.
void tellInvalidSounds(UserInterface& ui, const std::vector<std::string>& paths);

} // namespace tonarion
