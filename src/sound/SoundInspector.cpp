#include "sound/SoundInspector.h"

#include <cmath>

namespace tonarion {

std::string sampleRateText(long hertz) {
    std::string text = std::to_string(hertz / 1000);
    std::string fraction = std::to_string(hertz % 1000 + 1000).substr(1);
    while (!fraction.empty() && fraction.back() == '0') {
        fraction.pop_back();
    }
    if (!fraction.empty()) {
        text += "," + fraction;
    }
    return text + " kHz";
}

std::string durationText(double seconds) {
    const long whole = std::lround(seconds);
    const long rest = whole % 60;
    return std::to_string(whole / 60) + (rest < 10 ? ":0" : ":") + std::to_string(rest);
}

std::string formatText(const SoundFindings& findings) {
    if (!findings.checked && !findings.mpegAudio) {
        return "Inhalt nicht geprüft";
    }
    if (!findings.readable) {
        return "Datei nicht lesbar";
    }
    if (!findings.mpegAudio) {
        return "keine MPEG-Audiodatei";
    }
    static const char* const versions[] = {"MPEG-1", "MPEG-2", "MPEG-2.5"};
    static const char* const layers[] = {"I", "II", "III"};
    std::string text = versions[static_cast<int>(findings.version)];
    if (findings.layer >= 1 && findings.layer <= 3) {
        text += std::string(" Layer ") + layers[findings.layer - 1];
    }
    text += ", " + sampleRateText(findings.sampleRate);
    text += ", " + std::string(findings.variableBitrate ? "variabel, Ø " : "") +
            std::to_string(findings.bitrate) + " kbit/s";
    text += findings.channels == 1 ? ", Mono" : ", Stereo";
    text += ", " + durationText(findings.seconds);
    return text;
}

std::vector<std::string> soundHints(const SoundFindings& findings) {
    std::vector<std::string> hints;
    if (!findings.checked || !findings.readable) {
        return hints;
    }
    if (!findings.valid()) {
        hints.push_back(findings.mpegAudio
                            ? "Die Datei lässt sich nicht bis zum Ende dekodieren (abgeschnitten "
                              "oder beschädigt)."
                            : "Die Datei ist keine MP3-Datei, auch wenn ihr Name so endet.");
    }
    if (findings.embedsPictures) {
        hints.push_back("Die Datei enthält eingebettete Bilder; manche Abspielgeräte geben "
                        "dann Störgeräusche aus oder brechen ab.");
    }
    if (findings.mpegAudio && findings.sampleRate < 32000) {
        hints.push_back("Abtastrate unter 32 kHz: das Soundmodul spielt die Datei womöglich "
                        "stumm.");
    }
    return hints;
}

} // namespace tonarion
