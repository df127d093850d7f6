// The commands that look at the sounds themselves: their loudness, and levelling it.

#include "cli/CliCommand.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <cmath>
#include <iomanip>
#include <sstream>

namespace tonarion {
namespace {

// A level in the command line's plain notation, "-17.3": scripts read an ASCII minus.
std::string decibels(double value) {
    std::ostringstream text;
    text << std::fixed << std::setprecision(1) << value;
    return text.str();
}

class LoudnessReport final : public StickCommand {
public:
    LoudnessReport(CLI::App& program, CliEnvironment& environment)
        : StickCommand(program, environment,
                       {"loudness", "loudness STICK [--json]",
                        "print every sound's loudness (LUFS) and true peak (dBTP)",
                        "\nOne line a row: NR, the file name, the integrated loudness in LUFS and "
                        "the true\npeak in dBTP (EBU R128), or \"-\" for both where the sound is "
                        "silent or cannot\nbe read. --json prints one JSON document instead, "
                        "with null there.\n"}) {
        flag("--json");
    }

    int run() override {
        if (!m_env.converter) {
            m_env.err << "tonarion-cli: this build cannot measure sounds.\n";
            return Refused;
        }
        useConverter();
        if (!loadForReading()) {
            return Refused;
        }
        std::vector<SoundLoudness> sounds;
        for (int row = 1; row < table().nextRow(); ++row) {
            const SoundEntry& entry = table().row(row);
            sounds.push_back({entry.isBound() ? entry.entryName : entry.sourcePath,
                              m_workspace->loudnessOf(row)});
        }
        if (has("--json")) {
            writeLoudnessJson(m_env.out, sounds);
            return Success;
        }
        for (std::size_t i = 0; i < sounds.size(); ++i) {
            const auto& loudness = sounds[i].loudness;
            m_env.out << i + 1 << '\t' << sounds[i].name << '\t'
                      << (loudness ? decibels(loudness->lufs) + " LUFS\t" +
                                         decibels(loudness->truePeak) + " dBTP"
                                   : std::string("-\t-"))
                      << '\n';
        }
        return Success;
    }
};

class Level final : public StickCommand {
public:
    Level(CLI::App& program, CliEnvironment& environment)
        : StickCommand(program, environment,
                       {"level", "level STICK [--target LUFS|median] [NR...]",
                        "bring the sounds of rows NR (all rows without) to one loudness\nas "
                        "\"Lautstärke angleichen...\" does",
                        "\nThe target is -18 LUFS unless --target names another, or \"median\" "
                        "for the median\nloudness of the stick's sounds. No sound's true peak "
                        "goes above -1 dBTP: a sound\nthat would stays quieter. Silent sounds "
                        "stay as they are. Each sound is encoded anew\nas the module's MP3 and "
                        "written to the stick at once.\n"},
                       1, std::size_t(-1)) {
        option("--target", "LUFS");
    }

    int run() override {
        if (!m_env.converter) {
            m_env.err << "tonarion-cli: this build cannot level sounds.\n";
            return Refused;
        }
        useConverter();
        const auto target = value("--target");
        if (!lookAtStick()) {
            return Refused;
        }
        const std::vector<int> rows = rowsToLevel();
        if (!loadStick(m_env.files)) {
            return Refused;
        }
        double lufs = DefaultTarget;
        if (target && *target == "median") {
            const auto median = m_workspace->medianLoudness();
            if (!median) {
                m_env.err << "tonarion-cli: the stick has no sound to take the median of.\n";
                return Refused;
            }
            lufs = *median;
        } else if (target) {
            lufs = targetLevel(*target);
        }
        const Outcome levelled = m_workspace->levelLoudness(rows, lufs);
        tellOutcome(m_ui, levelled);
        // Sounds that are nowhere to be found stay as they were; the others were levelled.
        if (!levelled && levelled.reason != OutcomeReason::SoundsNotFound) {
            return Refused;
        }
        return closeAndCommit();
    }

private:
    static constexpr double DefaultTarget = -18.0;

    std::vector<int> rowsToLevel() const {
        std::vector<int> rows;
        for (auto word = arguments().begin() + 1; word != arguments().end(); ++word) {
            rows.push_back(rowNumber(*word, "NR"));
        }
        if (rows.empty()) {
            for (int row = 1; row < table().nextRow(); ++row) {
                rows.push_back(row);
            }
        }
        return rows;
    }

    static double targetLevel(const std::string& text) {
        double value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        // Quieter than -40 LUFS no sound is heard over a layout; louder than -5 it clips.
        if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value) ||
            value < -40 || value > -5) {
            throw UsageError("--target must be a loudness from -40 to -5 LUFS, or median");
        }
        return value;
    }
};

} // namespace

std::unique_ptr<CliCommand> declareLoudness(CLI::App& program, CliEnvironment& environment) {
    return std::make_unique<LoudnessReport>(program, environment);
}

std::unique_ptr<CliCommand> declareLevel(CLI::App& program, CliEnvironment& environment) {
    return std::make_unique<Level>(program, environment);
}

} // namespace tonarion
