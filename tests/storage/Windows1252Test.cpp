#include "storage/Windows1252.h"

#include <gtest/gtest.h>

namespace tonarion {
namespace {

TEST(Windows1252Test, WhatTheCodePageLacksBecomesAQuestionMark) {
    const std::pair<std::string, std::string> cases[] = {
        {"ÄÖÜäöüß €", "\xC4\xD6\xDC\xE4\xF6\xFC\xDF \x80"},
        {"Łódź", "?\xF3"
                 "d?"},
        {"Ελλάδα", "??????"},
        {"🚂", "?"},
        {"a\xFF"
         "b",
         "a?b"},               // not UTF-8 at all
        {"\xC3", "?"},         // cut off
        {"\xC0\xAF", "?"},     // overlong "/"
        {"\xED\xA0\x80", "?"}, // surrogate
    };
    for (const auto& [utf8, bytes] : cases) {
        EXPECT_EQ(utf8ToWindows1252(utf8), bytes) << utf8;
    }
    EXPECT_EQ(windows1252ToUtf8(cases[0].second), cases[0].first);
}

TEST(Windows1252Test, EveryByteSurvivesTheRoundTrip) {
    std::string all;
    for (int byte = 0; byte < 256; ++byte) {
        all += static_cast<char>(byte);
    }
    EXPECT_EQ(utf8ToWindows1252(windows1252ToUtf8(all)), all);
}

} // namespace
} // namespace tonarion
