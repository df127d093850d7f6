// The inspector of builds that have libmpg123 and TagLib: a full decode, because only that
// finds a cut-off end or a run of garbage after the first good frame.
#include "sound/SoundInspector.h"

#ifdef TONARION_SOUND_LOUDNESS
#include "sound/LoudnessMeter.h"
#endif

#include <filesystem>
#include <memory>
#include <mpg123.h>
#include <set>
#include <system_error>
#include <taglib/apefooter.h>
#include <taglib/apetag.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/mpegproperties.h>
#include <taglib/tfilestream.h>

namespace tonarion {
namespace {

struct HandleCloser {
    void operator()(mpg123_handle* handle) const {
        mpg123_close(handle);
        mpg123_delete(handle);
    }
};
using Mpg123Handle = std::unique_ptr<mpg123_handle, HandleCloser>;

// What TagLib finds around the audio: the ID3v2 tag before it, ID3v1 and APE tags after it.
struct Tags {
    std::uint64_t id3v2Size = 0;
    std::uint64_t trailingSize = 0;
    bool embedsPictures = false;
};

// The program's paths are UTF-8. On Windows, TagLib and the standard library take a narrow
// name in the ANSI code page, which spells an umlaut in a folder's name differently; the
// wide name is the file itself.
std::filesystem::path fileSystemPath(const std::string& path) {
    return std::u8string(path.begin(), path.end());
}

#ifdef _WIN32
using TagLibName = std::wstring;
TagLibName tagLibName(const std::string& path) {
    return fileSystemPath(path).wstring();
}
#else
using TagLibName = std::string;
TagLibName tagLibName(const std::string& path) {
    return path;
}
#endif

// TagLib opens a file for writing unless told otherwise; a sound is only ever read.
struct ReadOnlyMpegFile {
    explicit ReadOnlyMpegFile(const std::string& path, bool readProperties)
        : name(tagLibName(path))
        , stream(name.c_str(), true)
        , file(&stream, TagLib::ID3v2::FrameFactory::instance(), readProperties,
               TagLib::AudioProperties::Fast) {}
    TagLibName name;
    TagLib::FileStream stream;
    TagLib::MPEG::File file;
};

Tags readTags(const std::string& path) {
    Tags tags;
    ReadOnlyMpegFile opened(path, false);
    TagLib::MPEG::File& file = opened.file;
    if (!file.isOpen()) {
        return tags;
    }
    if (file.hasID3v2Tag()) {
        TagLib::ID3v2::Tag* tag = file.ID3v2Tag();
        tags.id3v2Size = tag->header()->completeTagSize();
        tags.embedsPictures = !tag->frameList("APIC").isEmpty();
    }
    if (file.hasID3v1Tag()) {
        tags.trailingSize += 128;
    }
    if (file.hasAPETag()) {
        tags.trailingSize += file.APETag()->footer()->completeTagSize();
    }
    return tags;
}

class DecodingSoundInspector final : public SoundInspector {
public:
    SoundFindings inspect(const std::string& path) override;
    std::optional<SoundFindings> glance(const std::string& path) override;
};

std::optional<SoundFindings> DecodingSoundInspector::glance(const std::string& path) {
    ReadOnlyMpegFile opened(path, true);
    TagLib::MPEG::File& file = opened.file;
    const TagLib::MPEG::Properties* properties = file.audioProperties();
    if (!file.isValid() || !properties || properties->sampleRate() <= 0) {
        return std::nullopt;
    }
    SoundFindings findings;
    findings.readable = findings.mpegAudio = true;
    findings.version = properties->version() == TagLib::MPEG::Header::Version1 ? MpegVersion::Mpeg1
                       : properties->version() == TagLib::MPEG::Header::Version2
                           ? MpegVersion::Mpeg2
                           : MpegVersion::Mpeg25;
    findings.layer = properties->layer();
    findings.sampleRate = properties->sampleRate();
    findings.bitrate = properties->bitrate();
    findings.channels = properties->channels();
    findings.seconds = properties->lengthInMilliseconds() / 1000.0;
    return findings;
}

SoundFindings DecodingSoundInspector::inspect(const std::string& path) {
    SoundFindings findings;
    findings.checked = true;
    std::error_code error;
    const std::uint64_t fileSize = std::filesystem::file_size(fileSystemPath(path), error);
    if (error) {
        return findings;
    }
    Mpg123Handle handle(mpg123_new(nullptr, nullptr));
    if (!handle) {
        return findings;
    }
    mpg123_param(handle.get(), MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    // One fixed output encoding, so that the decoded bytes count the samples.
    mpg123_format_none(handle.get());
    const long* rates = nullptr;
    std::size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (std::size_t i = 0; i < rateCount; ++i) {
        mpg123_format(handle.get(), rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    }
    if (mpg123_open(handle.get(), path.c_str()) != MPG123_OK) {
        return findings;
    }
    findings.readable = true;
    const Tags tags = readTags(path);
    findings.id3v2Size = tags.id3v2Size;
    findings.embedsPictures = tags.embedsPictures;

    long frames = 0;
    std::uint64_t frameBytes = 0;
    std::uint64_t samples = 0;
    off_t expectedPosition = -1;
    bool contiguous = true;
    bool failed = false;
    std::set<int> bitrates;
#ifdef TONARION_SOUND_LOUDNESS
    // The loudness is measured on the samples of this decode; a sound whose channels or rate
    // change on the way has none.
    std::optional<LoudnessMeter> meter;
    bool meterFits = true;
#endif
    for (;;) {
        off_t frameNumber = 0;
        unsigned char* audio = nullptr;
        std::size_t bytes = 0;
        const int result = mpg123_decode_frame(handle.get(), &frameNumber, &audio, &bytes);
        if (result == MPG123_DONE) {
            break;
        }
        if (result != MPG123_OK && result != MPG123_NEW_FORMAT) {
            failed = true;
            break;
        }
#ifdef TONARION_SOUND_LOUDNESS
        if (result == MPG123_NEW_FORMAT && frames > 0) {
            meterFits = false;
        }
#endif
        if (bytes == 0 && result == MPG123_NEW_FORMAT) {
            continue;
        }
        mpg123_frameinfo info{};
        mpg123_info(handle.get(), &info);
        const off_t position = mpg123_framepos(handle.get());
        if (expectedPosition >= 0 && position != expectedPosition) {
            contiguous = false;
        }
        expectedPosition = position + info.framesize;
        if (frames == 0) {
            findings.version = info.version == MPG123_1_0   ? MpegVersion::Mpeg1
                               : info.version == MPG123_2_0 ? MpegVersion::Mpeg2
                                                            : MpegVersion::Mpeg25;
            findings.layer = info.layer;
            findings.sampleRate = info.rate;
            findings.channels = info.mode == MPG123_M_MONO ? 1 : 2;
#ifdef TONARION_SOUND_LOUDNESS
            meter.emplace(findings.channels, findings.sampleRate);
#endif
        }
#ifdef TONARION_SOUND_LOUDNESS
        if (meterFits) {
            meter->add(reinterpret_cast<const std::int16_t*>(audio),
                       bytes / (2 * static_cast<std::size_t>(findings.channels)));
        }
#endif
        ++frames;
        frameBytes += static_cast<std::uint64_t>(info.framesize);
        bitrates.insert(info.bitrate);
        samples += bytes / (2 * static_cast<std::size_t>(findings.channels));
    }
    if (frames == 0) {
        return findings;
    }
    const std::uint64_t audioBytes = fileSize > tags.id3v2Size + tags.trailingSize
                                         ? fileSize - tags.id3v2Size - tags.trailingSize
                                         : 0;
    findings.mpegAudio = 2 * frameBytes >= audioBytes;
    findings.decodedToEnd =
        !failed && contiguous &&
        static_cast<std::uint64_t>(expectedPosition) == fileSize - tags.trailingSize;
    findings.seconds = findings.sampleRate > 0
                           ? static_cast<double>(samples) / static_cast<double>(findings.sampleRate)
                           : 0;
    findings.variableBitrate = bitrates.size() > 1;
#ifdef TONARION_SOUND_LOUDNESS
    if (findings.mpegAudio && meterFits) {
        findings.loudness = meter->result();
    }
#endif
    findings.bitrate =
        !findings.variableBitrate || findings.seconds <= 0
            ? *bitrates.begin()
            : static_cast<int>(static_cast<double>(frameBytes) * 8 / 1000 / findings.seconds + 0.5);
    return findings;
}

} // namespace

std::unique_ptr<SoundInspector> makeSoundInspector() {
    return std::make_unique<DecodingSoundInspector>();
}

} // namespace tonarion
