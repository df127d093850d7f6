#pragma once

#include "sound/SoundInspector.h"

#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace tonarion::testing {

// Findings handed out by path; a path without any is a valid MPEG-1 file. Records which paths
// were looked at, from whichever thread.
class FakeSoundInspector final : public SoundInspector {
public:
    SoundFindings inspect(const std::string& path) override {
        std::lock_guard lock(m_mutex);
        inspected.push_back(path);
        const auto found = findings.find(path);
        return found != findings.end() ? found->second : goodMp3();
    }

    // A glance finds what a look finds, unchecked, for the files that hold MPEG audio.
    std::optional<SoundFindings> glance(const std::string& path) override {
        SoundFindings found = inspect(path);
        found.checked = false;
        return found.mpegAudio ? std::optional(found) : std::nullopt;
    }

    static SoundFindings goodMp3(double seconds = 3) {
        SoundFindings good;
        good.checked = good.readable = good.mpegAudio = good.decodedToEnd = true;
        good.layer = 3;
        good.sampleRate = 44100;
        good.bitrate = 128;
        good.channels = 2;
        good.seconds = seconds;
        return good;
    }
    static SoundFindings renamedWav() {
        SoundFindings wav;
        wav.checked = wav.readable = true;
        return wav;
    }

    std::vector<std::string> paths() {
        std::lock_guard lock(m_mutex);
        return inspected;
    }

    std::map<std::string, SoundFindings> findings;
    std::vector<std::string> inspected;

private:
    std::mutex m_mutex;
};

} // namespace tonarion::testing
