#include "event/EventPrefill.h"

#include <gtest/gtest.h>

namespace tonarion {
namespace {

TEST(EventPrefillTest, ReadsTheChoicesOfEachKindInEitherLetterCase) {
    const std::pair<const char*, EventPrefill> cases[] = {
        {"uzm_-0005-00000.mp3", {.kindIndex = 5, .modeOption = 1, .timePosition = 4}},
        {"END_-0127-00000.mp3", {.kindIndex = 6, .playPosition = 126}},
        {"ZUO_-0003-00000.mp3", {.kindIndex = 4, .modeOption = 0}},
        {"L2O3-0012-20003.mp3",
         {.kindIndex = 2,
          .modeOption = 0,
          .priorityStep = true,
          .statusOption = 2,
          .priorityPosition = 2,
          .receiverText = "12",
          .addressOption = 3}},
        {"l1m1-0012-00042.mp3",
         {.kindIndex = 2,
          .modeOption = 1,
          .priorityStep = true,
          .statusOption = 1,
          .priorityPosition = 0,
          .receiverText = "12",
          .addressOption = 5,
          .locoText = "42"}},
        // The stop mode: kind, status and contacts, but no priority.
        {"KSS9-0001-00010.mp3",
         {.kindIndex = 3, .statusOption = 1, .firstContact = 0, .lastContact = 9}},
        {"MGO2-0012-00000.mp3",
         {.kindIndex = 0,
          .modeOption = 0,
          .priorityStep = true,
          .statusOption = 1,
          .priorityPosition = 1,
          .fromText = "12",
          .toText = "0"}},
    };
    for (const auto& [name, expected] : cases) {
        EXPECT_EQ(prefillFromEntryName(name), expected) << name;
    }
}

TEST(EventPrefillTest, NumbersBeyondAListAndUnknownLettersOrKindsLeaveItWithoutAChoice) {
    EXPECT_EQ(prefillFromEntryName("RFM1-0005-00008.mp3")->statusOption, 1);
    EXPECT_EQ(prefillFromEntryName("RQM1-0005-00008.mp3")->statusOption, std::nullopt);
    EXPECT_EQ(prefillFromEntryName("UZM_-0097-00000.mp3")->timePosition, std::nullopt);
    EXPECT_EQ(prefillFromEntryName("UZM_-0000-00000.mp3")->timePosition, std::nullopt);
    EXPECT_EQ(prefillFromEntryName("END_-0128-00000.mp3")->playPosition, std::nullopt);
    EXPECT_EQ(prefillFromEntryName("MGM5-0001-00000.mp3")->priorityPosition, std::nullopt);
    const auto contacts = prefillFromEntryName("KOM1-0011-00000.mp3");
    EXPECT_EQ(contacts->firstContact, std::nullopt);
    EXPECT_EQ(contacts->lastContact, std::nullopt);
    EXPECT_EQ(prefillFromEntryName("MGM2-00x2-0a000.mp3")->fromText, "0");
    // Unknown kinds and short names are prefilled with nothing.
    for (const char* name : {"", "X", "SET_-0001-00021.mp3", "-GM2-0012-00000.mp3"}) {
        EXPECT_EQ(prefillFromEntryName(name), std::nullopt) << name;
    }
    EXPECT_EQ(prefillFromEntryName("M")->fromText, "0");
}

} // namespace
} // namespace tonarion
