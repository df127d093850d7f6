#include "cli/JsonWriter.h"

#include <cstdio>
#include <string>

namespace tonarion {
namespace {

// The length of the UTF-8 sequence at the start of text, or 0 when it is not one.
std::size_t utf8SequenceLength(std::string_view text) {
    const auto byte = [&text](std::size_t i) {
        return static_cast<unsigned char>(text[i]);
    };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned int lowestSecond = 0x80;
    unsigned int highestSecond = 0xBF;
    if (lead < 0x80) {
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        lowestSecond = lead == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
        highestSecond = lead == 0xED ? 0x9F : 0xBF; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        lowestSecond = lead == 0xF0 ? 0x90 : 0x80;
        highestSecond = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < lowestSecond || byte(1) > highestSecond) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF) {
            return 0;
        }
    }
    return length;
}

} // namespace

std::string jsonString(std::string_view text) {
    std::string quoted = "\"";
    while (!text.empty()) {
        const char c = text[0];
        const std::size_t length = utf8SequenceLength(text);
        if (length == 0) {
            quoted += "\uFFFD";
            text.remove_prefix(1);
            continue;
        }
        switch (c) {
        case '"':
            quoted += "\\\"";
            break;
        case '\\':
            quoted += "\\\\";
            break;
        case '\n':
            quoted += "\\n";
            break;
        case '\r':
            quoted += "\\r";
            break;
        case '\t':
            quoted += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                quoted += escaped;
            } else {
                quoted += text.substr(0, length);
            }
        }
        text.remove_prefix(length);
    }
    return quoted + "\"";
}

JsonWriter::JsonWriter(std::ostream& out)
    : m_out(out) {}

void JsonWriter::beforeValue() {
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (!m_hasContent.empty()) {
        if (m_hasContent.back()) {
            m_out << ',';
        }
        m_hasContent.back() = true;
    }
}

JsonWriter& JsonWriter::open(char bracket) {
    beforeValue();
    m_out << bracket;
    m_hasContent.push_back(false);
    return *this;
}

JsonWriter& JsonWriter::close(char bracket) {
    m_hasContent.pop_back();
    m_out << bracket;
    return *this;
}

JsonWriter& JsonWriter::key(std::string_view name) {
    beforeValue();
    m_out << jsonString(name) << ':';
    m_afterKey = true;
    return *this;
}

JsonWriter& JsonWriter::value(std::string_view text) {
    beforeValue();
    m_out << jsonString(text);
    return *this;
}

JsonWriter& JsonWriter::value(long long number) {
    beforeValue();
    m_out << number;
    return *this;
}

JsonWriter& JsonWriter::value(bool truth) {
    beforeValue();
    m_out << (truth ? "true" : "false");
    return *this;
}

JsonWriter& JsonWriter::null() {
    beforeValue();
    m_out << "null";
    return *this;
}

} // namespace tonarion
