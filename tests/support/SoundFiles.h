#pragma once

#include "support/TempFolder.h"

#include <cstdint>
#include <string>

namespace tonarion::testing {

// Sound files made byte by byte, as demo/make-sounds makes its own: frames of silence, whose
// side information and main data are all zeros, behind a valid MPEG audio header.

enum class Channels { Mono, Stereo };

// count frames of the given size behind this four-byte header.
inline std::string silentFrames(std::string header, std::size_t size, int count) {
    header.resize(size, '\0');
    std::string frames;
    for (int i = 0; i < count; ++i) {
        frames += header;
    }
    return frames;
}

// MPEG-1 Layer III at 44.1 kHz; kbits 128 or 160. 1152 samples a frame, about 26 ms.
inline std::string mpeg1Frames(int count, Channels channels = Channels::Stereo, int kbits = 128) {
    const char bitrateIndex = kbits == 160 ? '\xa0' : '\x90';
    const char mode = channels == Channels::Mono ? '\xc0' : '\x00';
    return silentFrames(std::string("\xff\xfb", 2) + bitrateIndex + mode,
                        static_cast<std::size_t>(144 * kbits * 1000 / 44100), count);
}

// MPEG-2 Layer III at 22.05 kHz, 64 kbit/s, mono: 576 samples a frame.
inline std::string mpeg2Frames(int count) {
    return silentFrames(std::string("\xff\xf3\x80\xc0", 4), 72 * 64000 / 22050, count);
}

inline std::string littleEndian(std::uint32_t value, int bytes) {
    std::string text;
    for (int i = 0; i < bytes; ++i) {
        text += static_cast<char>((value >> (8 * i)) & 0xff);
    }
    return text;
}

// A PCM WAV file of a tone; `inside` is written into its samples, as a recording may hold any
// byte pattern, also one that looks like an MPEG frame header.
inline std::string wavFile(int samples, const std::string& inside = "") {
    std::string data;
    for (int i = 0; i < samples; ++i) {
        data += littleEndian(static_cast<std::uint32_t>((i % 100) * 300), 2);
    }
    data.replace(data.size() / 2, inside.size(), inside);
    return "RIFF" + littleEndian(static_cast<std::uint32_t>(36 + data.size()), 4) + "WAVEfmt " +
           littleEndian(16, 4) + littleEndian(1, 2) + littleEndian(1, 2) + littleEndian(44100, 4) +
           littleEndian(88200, 4) + littleEndian(2, 2) + littleEndian(16, 2) + "data" +
           littleEndian(static_cast<std::uint32_t>(data.size()), 4) + data;
}

// An ID3v2.3 tag holding a title and, when asked for, a front cover (APIC) of pictureBytes.
inline std::string id3v2Tag(int pictureBytes) {
    const auto bigEndian = [](std::uint32_t value) {
        return std::string{static_cast<char>(value >> 24), static_cast<char>(value >> 16),
                           static_cast<char>(value >> 8), static_cast<char>(value)};
    };
    const auto frame = [&](const std::string& id, const std::string& body) {
        return id + bigEndian(static_cast<std::uint32_t>(body.size())) + std::string(2, '\0') +
               body;
    };
    std::string frames = frame("TIT2", std::string(1, '\0') + "Pfiff");
    if (pictureBytes > 0) {
        const std::string picture = std::string("\x89PNG\r\n\x1a\n", 8) +
                                    std::string(static_cast<std::size_t>(pictureBytes), 'x');
        frames += frame("APIC", std::string(1, '\0') + "image/png" + std::string(1, '\0') + '\x03' +
                                    std::string(1, '\0') + picture);
    }
    frames += std::string(64, '\0'); // padding
    const auto size = static_cast<std::uint32_t>(frames.size());
    const std::string syncsafe{
        static_cast<char>((size >> 21) & 0x7f), static_cast<char>((size >> 14) & 0x7f),
        static_cast<char>((size >> 7) & 0x7f), static_cast<char>(size & 0x7f)};
    return std::string("ID3\x03\x00\x00", 6) + syncsafe + frames;
}

// An ID3v1 tag, the 128 bytes some encoders put at the end.
inline std::string id3v1Tag() {
    std::string tag = "TAGPfiff";
    tag.resize(128, '\0');
    return tag;
}

} // namespace tonarion::testing
