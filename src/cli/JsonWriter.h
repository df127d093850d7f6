#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace tonarion {

// Writes one JSON document in a single line, for scripts to read. Separators between the
// members and elements are the writer's business, so callers only say what comes next.
class JsonWriter {
public:
    explicit JsonWriter(std::ostream& out);

    JsonWriter& beginObject() { return open('{'); }
    JsonWriter& endObject() { return close('}'); }
    JsonWriter& beginArray() { return open('['); }
    JsonWriter& endArray() { return close(']'); }
    JsonWriter& key(std::string_view name);
    JsonWriter& value(std::string_view text);
    JsonWriter& value(const char* text) { return value(std::string_view(text)); }
    JsonWriter& value(long long number);
    JsonWriter& value(int number) { return value(static_cast<long long>(number)); }
    JsonWriter& value(bool truth);
    JsonWriter& null();

private:
    void beforeValue();
    // An object or an array begins or ends with this bracket.
    JsonWriter& open(char bracket);
    JsonWriter& close(char bracket);

    std::ostream& m_out;
    // For each open object or array: whether it has a member or element yet.
    std::vector<bool> m_hasContent;
    bool m_afterKey = false;
};

// The JSON string literal of a UTF-8 text; bytes that are not UTF-8 (a file name from a stick
// written elsewhere) become U+FFFD, so that the document always parses.
std::string jsonString(std::string_view text);

} // namespace tonarion
