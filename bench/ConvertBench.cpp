// Measures converting and levelling sounds for the module: 50 WAV files of 5 seconds each
// (tones and noise at levels from quiet to loud) are measured, levelled to −18 LUFS and encoded
// to the module profile, one after the other, as the workspace's worker does for one sound.
// Against the lame command on the same files at the same bitrate (an encoding without any
// measurement), and against a plain decode of the results with libmpg123 (the least work of
// reading a sound once). Every result must land within 0.5 LU of the target or at the peak
// ceiling. The goal is judged on the full run only.
//
//   tonarion_convert_bench            50 sounds
//   tonarion_convert_bench --quick    4 sounds, so that CI keeps this working

#include "sound/SoundConverter.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <mpg123.h>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace tonarion;
namespace fs = std::filesystem;

constexpr int Rate = 44100;
constexpr int Seconds = 5;
constexpr double Target = -18;

double secondsOf(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string littleEndian(std::uint32_t value, int bytes) {
    std::string text;
    for (int i = 0; i < bytes; ++i) {
        text += static_cast<char>((value >> (8 * i)) & 0xff);
    }
    return text;
}

// A stereo 16-bit WAV file: the odd ones white noise, the even ones a tone, at levels from
// −40 to −3 dBFS.
void writeSound(const fs::path& path, int number) {
    std::mt19937 random(static_cast<unsigned>(number));
    const double peak =
        std::pow(10.0, std::uniform_real_distribution<double>(-40, -3)(random) / 20);
    std::uniform_real_distribution<double> noise(-1, 1);
    std::string data;
    for (int i = 0; i < Rate * Seconds; ++i) {
        const double value = number % 2
                                 ? noise(random)
                                 : std::sin(2 * std::numbers::pi * (200 + 37 * number) * i / Rate);
        const auto sample = static_cast<std::int16_t>(std::lround(peak * value * 32767));
        data += littleEndian(static_cast<std::uint16_t>(sample), 2) +
                littleEndian(static_cast<std::uint16_t>(sample), 2);
    }
    std::ofstream(path, std::ios::binary)
        << "RIFF" << littleEndian(static_cast<std::uint32_t>(36 + data.size()), 4) << "WAVEfmt "
        << littleEndian(16, 4) << littleEndian(1, 2) << littleEndian(2, 2) << littleEndian(Rate, 4)
        << littleEndian(Rate * 4, 4) << littleEndian(4, 2) << littleEndian(16, 2) << "data"
        << littleEndian(static_cast<std::uint32_t>(data.size()), 4) << data;
}

SoundBytes readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Decodes a file to its end; false when libmpg123 cannot.
bool decode(const fs::path& path) {
    mpg123_handle* handle = mpg123_new(nullptr, nullptr);
    bool decoded = mpg123_open(handle, path.c_str()) == MPG123_OK;
    std::vector<unsigned char> buffer(65536);
    std::size_t done = 0;
    int result = MPG123_OK;
    while (decoded && (result == MPG123_OK || result == MPG123_NEW_FORMAT)) {
        result = mpg123_read(handle, buffer.data(), buffer.size(), &done);
    }
    decoded = decoded && result == MPG123_DONE;
    mpg123_close(handle);
    mpg123_delete(handle);
    return decoded;
}

} // namespace

int main(int argc, char** argv) {
    const bool quick = argc > 1 && std::string(argv[1]) == "--quick";
    const int count = quick ? 4 : 50;
    std::string folder = (fs::temp_directory_path() / "tonarion-convert-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path work = folder;
    std::vector<fs::path> sounds;
    for (int i = 0; i < count; ++i) {
        sounds.push_back(work / ("sound-" + std::to_string(i) + ".wav"));
        writeSound(sounds.back(), i);
    }

    const std::unique_ptr<SoundConverter> converter = makeSoundConverter();
    int levelled = 0;
    bool failed = false;
    std::vector<SoundBytes> results;
    const double ours = secondsOf([&] {
        for (const fs::path& sound : sounds) {
            const SoundBytes bytes = readBytes(sound);
            const std::optional<Loudness> measured = converter->measure(bytes);
            const double gain = measured ? levellingGain(*measured, Target) : 0;
            const ConversionResult result = converter->encodeForModule(bytes, gain, {});
            if (result.outcome != ConversionResult::Outcome::Done) {
                std::fprintf(stderr, "%s: %s\n", sound.c_str(), result.failure.c_str());
                failed = true;
            }
            std::ofstream(fs::path(sound).replace_extension(".mp3"), std::ios::binary)
                .write(reinterpret_cast<const char*>(result.bytes.data()),
                       static_cast<std::streamsize>(result.bytes.size()));
            const std::optional<Loudness> after = converter->measure(result.bytes);
            levelled +=
                after && after->truePeak <= PeakCeiling &&
                (std::abs(after->lufs - Target) <= 0.5 || after->truePeak >= PeakCeiling - 0.5);
        }
    });
    const double lame = secondsOf([&] {
        for (const fs::path& sound : sounds) {
            const std::string command = "lame --quiet --cbr -b 128 -t '" + sound.string() + "' '" +
                                        fs::path(sound).replace_extension(".lame.mp3").string() +
                                        "'";
            if (std::system(command.c_str()) != 0) {
                std::fprintf(stderr, "%s failed\n", command.c_str());
                failed = true;
            }
        }
    });
    const double plain = secondsOf([&] {
        for (const fs::path& sound : sounds) {
            if (!decode(fs::path(sound).replace_extension(".mp3"))) {
                std::fprintf(stderr, "%s: libmpg123 cannot decode the result\n", sound.c_str());
                failed = true;
            }
        }
    });
    fs::remove_all(work);
    if (failed) {
        return 1;
    }

    // Each sound is read three times (measured, encoded, its result checked, each measurement
    // oversampling four times for the true peak) where lame reads it once; noise is encoded and
    // checked twice, as the encoder's lowpass costs it about a decibel. Three times lame's
    // time on average is what that work is worth; the goal leaves a third for a busy machine.
    const double goal = 4.0;
    const double ratio = ours / lame;
    const bool met = ratio <= goal;
    std::printf("%d sounds of %d s, levelled to %.0f LUFS: %d of %d within 0.5 LU or at the "
                "peak ceiling\n",
                count, Seconds, Target, levelled, count);
    std::printf("%-34s %8.3f s\n", "measure, level, encode, check", ours);
    std::printf("%-34s %8.3f s   ratio %5.2f   goal <= %.2f   %s\n", "lame --cbr -b 128", lame,
                ratio, goal,
                quick ? ""
                : met ? "met"
                      : "MISSED");
    std::printf("%-34s %8.3f s   ratio %5.2f\n", "decode of the results (libmpg123)", plain,
                ours / plain);
    if (levelled != count) {
        return 1;
    }
    return met || quick ? 0 : 3;
}
