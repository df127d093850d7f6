#include "model/EntryName.h"

#include <algorithm>

namespace tonarion {
namespace {

std::string_view slice(std::string_view text, std::size_t from, std::size_t count) {
    return from < text.size() ? text.substr(from, count) : std::string_view{};
}

char charAt(std::string_view text, std::size_t index) {
    return index < text.size() ? text[index] : ' ';
}

} // namespace

std::string pad4(std::string_view text) {
    if (text.empty() || text.size() > 4) {
        return "0000";
    }
    return std::string(4 - text.size(), '0') + std::string(text);
}

std::string pad5(std::string_view text) {
    if (text.empty() || text.size() > 5) {
        return std::string(text);
    }
    return std::string(5 - text.size(), '0') + std::string(text);
}

std::string composeEntryName(const EntryNameParts& parts) {
    std::string name;
    name.reserve(EntryNameLength);
    name += parts.kind;
    name += parts.status;
    name += parts.mode;
    name += parts.prio;
    name += '-';
    name += parts.number1;
    name += '-';
    name += parts.number2;
    name += ".mp3";
    return name;
}

EntryNameParts parseEntryName(std::string_view name) {
    EntryNameParts parts;
    parts.kind = charAt(name, 0);
    parts.status = charAt(name, 1);
    parts.mode = charAt(name, 2);
    parts.prio = charAt(name, 3);
    parts.number1 = std::string(slice(name, 5, 4));
    parts.number2 = std::string(slice(name, 10, 5));
    return parts;
}

bool isSettingName(std::string_view name) {
    return name.starts_with("SET_");
}

bool looksLikeEntryName(std::string_view name) {
    if (name.size() != EntryNameLength || name[4] != '-' || name[9] != '-' ||
        std::string_view("MRLKZUE").find(name[0]) == std::string_view::npos) {
        return false;
    }
    const std::string_view extension = name.substr(15);
    return extension.size() == 4 && extension[0] == '.' && (extension[1] | 0x20) == 'm' &&
           (extension[2] | 0x20) == 'p' && extension[3] == '3';
}

char kindOf(std::string_view entryName) {
    return entryName.empty() ? '\0' : entryName.front();
}

long long leadingNumber(std::string_view digits) {
    long long value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            break;
        }
        value = std::min(value * 10 + (c - '0'), 1'000'000LL);
    }
    return value;
}

} // namespace tonarion
