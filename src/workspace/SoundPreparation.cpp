#include "workspace/SoundPreparation.h"

#include "model/SoundFileDrop.h"
#include "model/WaitIndicator.h"
#include "storage/StickChange.h"

#include <algorithm>
#include <cstdint>
#include <span>

namespace tonarion {
namespace {

std::span<const std::uint8_t> bytesOf(const std::string& bytes) {
    return {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
}

// "Abbrechen" is offered for as long as it lives, under the wait window.
class CancellableWait {
public:
    explicit CancellableWait(UserInterface& ui)
        : m_ui(ui)
        , m_waiting(ui) {
        m_ui.setCancellable(true);
    }
    ~CancellableWait() { m_ui.setCancellable(false); }
    CancellableWait(const CancellableWait&) = delete;
    CancellableWait& operator=(const CancellableWait&) = delete;

private:
    UserInterface& m_ui;
    WaitIndicator m_waiting;
};

} // namespace

std::string convertQuestion(int files) {
    if (files == 1) {
        return "Eine Datei ist keine MP3-Datei. In MP3 umwandeln?";
    }
    return std::to_string(files) + " Dateien sind keine MP3-Dateien. In MP3 umwandeln?";
}

std::vector<std::string> SoundPreparation::convertibleFiles(const std::vector<std::string>& paths) {
    std::vector<std::string> convertible;
    for (const std::string& path : paths) {
        if (FileExtension(path) == "MP3" || hasControlCharacter(path)) {
            continue;
        }
        if (const auto bytes = m_files.readFile(path);
            bytes && m_converter.convertible(bytesOf(*bytes))) {
            convertible.push_back(path);
        }
    }
    return convertible;
}

Outcome SoundPreparation::convertFiles(const std::vector<std::string>& paths) {
    std::vector<Work> work;
    for (const std::string& path : paths) {
        auto bytes = m_files.readFile(path);
        if (!bytes) {
            return failure(path, SoundUnreadableMessage);
        }
        work.push_back({path, path, std::move(*bytes), std::nullopt});
    }
    return encodeAll(std::move(work));
}

Outcome SoundPreparation::encodeRows(const std::vector<int>& rows,
                                     std::optional<double> targetLufs) {
    std::vector<Work> work;
    for (const int row : rows) {
        if (!m_session.table().isEntryRow(row)) {
            continue;
        }
        const SoundEntry& entry = m_session.table().row(row);
        // Rows of one source share its sound: it is made once.
        if (entry.sourcePath.empty() ||
            std::any_of(work.begin(), work.end(),
                        [&](const Work& planned) { return planned.key == entry.sourcePath; })) {
            continue;
        }
        auto bytes = soundBytesOf(row);
        const std::string label = entry.isBound() ? entry.entryName : entry.sourcePath;
        if (!bytes) {
            return failure(label, SoundUnreadableMessage);
        }
        work.push_back({entry.sourcePath, label, std::move(*bytes), targetLufs});
    }
    return encodeAll(std::move(work));
}

Outcome SoundPreparation::encodeAll(std::vector<Work> work) {
    std::vector<std::string> made;
    std::string failedFile;
    std::string failure;
    {
        const CancellableWait waiting(m_ui);
        constexpr int PerSound = 1000;
        const int total = static_cast<int>(work.size()) * PerSound;
        for (std::size_t i = 0; i < work.size(); ++i) {
            const int done = static_cast<int>(i) * PerSound;
            const auto progress = [&](double share) {
                m_ui.reportProgress(done + static_cast<int>(share * PerSound), total);
                return !m_ui.cancelRequested();
            };
            if (!progress(0)) {
                return Outcome::refused(OutcomeReason::Cancelled);
            }
            const auto input = bytesOf(work[i].bytes);
            double gain = 0;
            if (work[i].targetLufs) {
                if (const auto loudness = m_converter.measure(input)) {
                    gain = levellingGain(*loudness, *work[i].targetLufs);
                }
            }
            auto result = m_converter.encodeForModule(input, gain, progress);
            if (result.outcome == ConversionResult::Outcome::Cancelled) {
                return Outcome::refused(OutcomeReason::Cancelled);
            }
            if (result.outcome == ConversionResult::Outcome::Failed) {
                failedFile = work[i].label;
                failure = result.failure;
                break;
            }
            made.emplace_back(result.bytes.begin(), result.bytes.end());
        }
    }
    if (!failedFile.empty()) {
        return SoundPreparation::failure(failedFile, failure);
    }
    for (std::size_t i = 0; i < work.size(); ++i) {
        m_session.keepPreparedSound(work[i].key, std::move(made[i]));
    }
    return Outcome::done();
}

std::optional<Loudness> SoundPreparation::loudnessOf(int row) {
    const auto bytes = soundBytesOf(row);
    return bytes ? m_converter.measure(bytesOf(*bytes)) : std::nullopt;
}

std::optional<std::string> SoundPreparation::soundBytesOf(int row) {
    const SoundEntry& entry = m_session.table().row(row);
    if (const std::string* prepared = m_session.preparedSoundOf(entry.sourcePath)) {
        return *prepared;
    }
    if (auto bytes = m_files.readFile(entry.sourcePath)) {
        return std::move(*bytes);
    }
    if (!entry.isBound()) {
        return std::nullopt;
    }
    // A source that has gone leaves the stick's copy: the file that has or is to get the
    // row's name, or where a commit cut short parked it.
    const std::string file = m_session.stick().root() + m_session.stickFileOf(entry.entryName);
    for (const auto& path : {entry.sourcePath + MoveSuffix, file, file + MoveSuffix}) {
        if (auto bytes = m_files.readFile(path)) {
            return std::move(*bytes);
        }
    }
    return std::nullopt;
}

Outcome SoundPreparation::failure(const std::string& file, const std::string& reason) {
    return Outcome::failed(OutcomeReason::ConversionFailed, file, {},
                           criticalMessage(std::string(ConversionFailedMessage) + "\r\n\r\n" +
                                           file + "\r\n" + reason));
}

} // namespace tonarion
