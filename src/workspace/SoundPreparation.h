#pragma once

#include "model/UserInterface.h"
#include "sound/SoundConverter.h"
#include "storage/FileOperations.h"
#include "storage/Session.h"
#include "workspace/Outcome.h"

#include <optional>
#include <string>
#include <vector>

namespace tonarion {

inline constexpr const char* ConversionFailedMessage =
    "Diese Datei konnte nicht umgewandelt werden, auf dem USB-Stick hat sich nichts geändert:";
inline constexpr const char* SoundUnreadableMessage = "Die Datei lässt sich nicht lesen.";

// "3 Dateien sind keine MP3-Dateien. In MP3 umwandeln?"
std::string convertQuestion(int files);

// Makes sounds in memory for the module: other formats converted to MP3, risky MP3s encoded
// anew, loudness levelled. The work runs under the wait window, which offers "Abbrechen"; it
// keeps what it made in the session only once every sound is done, so that a cancelled or
// failed run leaves the table and the stick as they were. A failure names its file and why,
// refused as Cancelled after "Abbrechen", failed as ConversionFailed otherwise.
class SoundPreparation {
public:
    SoundPreparation(Session& session, FileOperations& files, UserInterface& ui,
                     SoundConverter& converter)
        : m_session(session)
        , m_files(files)
        , m_ui(ui)
        , m_converter(converter) {}

    // The dropped files that are no MP3 but that the converter reads, by their content.
    std::vector<std::string> convertibleFiles(const std::vector<std::string>& paths);
    // Converts files to the module's MP3 and keeps them for the rows their paths will be.
    Outcome convertFiles(const std::vector<std::string>& paths);

    // The rows' sounds encoded anew at the gain each needs: none for "aufbereiten", the one
    // that reaches targetLufs for levelling. A sound without loudness (silence) keeps its level.
    Outcome encodeRows(const std::vector<int>& rows,
                       std::optional<double> targetLufs = std::nullopt);

    // The loudness of a row's sound as it would go to the stick now; nothing for silence or a
    // sound that cannot be read.
    std::optional<Loudness> loudnessOf(int row);

private:
    struct Work {
        std::string key; // the source path the result is kept under
        std::string label;
        std::string bytes;
        std::optional<double> targetLufs;
    };
    Outcome encodeAll(std::vector<Work> work);
    // The bytes the next commit would put on the stick for the row, or those of its file.
    std::optional<std::string> soundBytesOf(int row);
    static Outcome failure(const std::string& file, const std::string& reason);

    Session& m_session;
    FileOperations& m_files;
    UserInterface& m_ui;
    SoundConverter& m_converter;
};

} // namespace tonarion
