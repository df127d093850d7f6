// The player of builds that have libmpg123: decoded by libmpg123, heard through libout123,
// which speaks to ALSA or PulseAudio here and to the Windows sound system there.
#include "sound/SoundPlayer.h"

#include <mpg123.h>
#include <out123.h>
#include <vector>

#ifdef _WIN32
#include <filesystem>
#include <windows.h>
#endif

namespace tonarion {
namespace {

inline constexpr const char* CannotPlay = "Der Sound kann nicht abgespielt werden: ";

struct DecoderCloser {
    void operator()(mpg123_handle* handle) const {
        mpg123_close(handle);
        mpg123_delete(handle);
    }
};
struct OutputCloser {
    void operator()(out123_handle* handle) const { out123_del(handle); }
};

// The outputs tried when none is named, in this order: the system's own sound servers and
// drivers. libout123's own list goes on to OpenAL, which takes a sound on a machine without
// a sound device as if it played it and then never comes back from stopping it, and to NAS,
// which keeps the start waiting for seconds. Without a device the user is told instead.
#ifdef _WIN32
inline constexpr const char* SystemOutputs = "win32_wasapi,win32";
#else
inline constexpr const char* SystemOutputs = "pulse,alsa,oss";
#endif

#ifdef _WIN32
// libout123 loads its Windows outputs from ..\lib\mpg123, seen from the program's folder, as
// the installer lays them out; it needs to be told where the program is.
std::string programFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::u8string folder = std::filesystem::path(path).parent_path().u8string();
    return {folder.begin(), folder.end()};
}
#endif

class Out123SoundPlayer final : public SoundPlayer {
public:
    Out123SoundPlayer(std::string driver, std::string device)
        : m_driver(std::move(driver))
        , m_device(std::move(device)) {}

    std::string play(const std::string& path, const std::atomic<bool>& stop) override {
        std::unique_ptr<mpg123_handle, DecoderCloser> decoder(mpg123_new(nullptr, nullptr));
        if (!decoder) {
            return std::string(CannotPlay) + "kein Decoder";
        }
        mpg123_param(decoder.get(), MPG123_ADD_FLAGS, MPG123_QUIET, 0);
        // UTF-8, which libmpg123 turns into the wide name on Windows.
        if (mpg123_open(decoder.get(), path.c_str()) != MPG123_OK) {
            return std::string(CannotPlay) + "die Datei lässt sich nicht öffnen.";
        }
        long rate = 0;
        int channels = 0;
        int encoding = 0;
        if (mpg123_getformat(decoder.get(), &rate, &channels, &encoding) != MPG123_OK) {
            return std::string(CannotPlay) + "die Datei ist keine MP3-Datei.";
        }
        std::unique_ptr<out123_handle, OutputCloser> output(out123_new());
        if (!output) {
            return std::string(CannotPlay) + "keine Tonausgabe";
        }
        out123_param_int(output.get(), OUT123_ADD_FLAGS, OUT123_QUIET);
#ifdef _WIN32
        out123_param_string(output.get(), OUT123_BINDIR, programFolder().c_str());
#endif
        if (out123_open(output.get(), m_driver.empty() ? SystemOutputs : m_driver.c_str(),
                        m_device.empty() ? nullptr : m_device.c_str()) != OUT123_OK ||
            out123_start(output.get(), rate, channels, encoding) != OUT123_OK) {
            return std::string(CannotPlay) + "keine Tonausgabe (" + out123_strerror(output.get()) +
                   ").";
        }
        std::vector<unsigned char> buffer(mpg123_outblock(decoder.get()));
        while (!stop) {
            std::size_t decoded = 0;
            const int result = mpg123_read(decoder.get(), buffer.data(), buffer.size(), &decoded);
            if (decoded > 0 && out123_play(output.get(), buffer.data(), decoded) < decoded) {
                return std::string(CannotPlay) + out123_strerror(output.get());
            }
            if (result == MPG123_DONE) {
                out123_drain(output.get());
                break;
            }
            if (result != MPG123_OK && result != MPG123_NEW_FORMAT) {
                // What was decoded has been heard; a damaged end is no reason for a message.
                break;
            }
        }
        // The file is let go first: the stick it may stand on is about to be ejected.
        decoder.reset();
        if (stop) {
            out123_drop(output.get());
        }
        out123_stop(output.get());
        return {};
    }

private:
    std::string m_driver;
    std::string m_device;
};

} // namespace

std::unique_ptr<SoundPlayer> makeSoundPlayer(const std::string& driver, const std::string& device) {
    return std::make_unique<Out123SoundPlayer>(driver, device);
}

} // namespace tonarion
