#include "model/SoundFileDrop.h"

#include <algorithm>

namespace tonarion {

std::optional<std::string> FileExtension(std::string_view path) {
    const auto dot = path.rfind('.');
    if (dot == std::string_view::npos) {
        return std::nullopt;
    }
    std::string extension(path.substr(dot + 1));
    std::transform(extension.begin(), extension.end(), extension.begin(), [](char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - ('a' - 'A')) : c;
    });
    return extension;
}

bool hasControlCharacter(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

std::string fileNameOf(std::string_view path) {
    const auto separator = path.find_last_of("/\\");
    return std::string(separator == std::string_view::npos ? path : path.substr(separator + 1));
}

DropResult DropFiles(SoundTable& table, const std::optional<std::vector<std::string>>& fileList,
                     const std::function<bool(const std::string&)>& isSoundFile,
                     const std::function<bool(const std::string&)>& isConverted) {
    DropResult result;
    if (!fileList) {
        return result;
    }
    for (const auto& path : *fileList) {
        const bool mp3 = FileExtension(path) == "MP3" || (isConverted && isConverted(path));
        if (!mp3 || (isSoundFile && !isSoundFile(path))) {
            result.stoppedBy = DropResult::Stop::NotAnMp3;
            break;
        }
        if (hasControlCharacter(path)) {
            result.stoppedBy = DropResult::Stop::ControlCharacter;
            break;
        }
        table.appendEntry(SoundEntry{.sourcePath = path});
        ++result.added;
    }
    return result;
}

} // namespace tonarion
