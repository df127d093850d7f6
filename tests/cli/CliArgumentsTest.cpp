#include "cli/CliArguments.h"

#include <gtest/gtest.h>

namespace tonarion {
namespace {

EventSelection selectionFor(std::vector<std::string> words) {
    words.insert(words.begin(), {"bind", "/stick", "--row", "1"});
    return selectionFromOptions(CliArguments::parse(words));
}

// Most choices show in the names that tonarion-cli bind prints; these do not.
TEST(CliArgumentsTest, OptionsBecomeTheDialogsChoices) {
    const EventSelection r = selectionFor({"--event", "R", "--prio", "2", "--adr1", "12"});
    EXPECT_EQ(r.selWert->position, 1);
    EXPECT_EQ(r.selAdr2, "-"); // the untouched bis box

    const EventSelection l = selectionFor(
        {"--event", "L", "--status", "1", "--adr1", "7", "--category", "loco", "--loco", "42"});
    EXPECT_EQ(l.selStatus, "1S1 nach S2");
    EXPECT_EQ(l.selAdresse->index, 5);
    EXPECT_EQ(l.selAdr1, "7");
    EXPECT_EQ(l.selAdr2, "42");

    // A last contact chosen without a first one records nothing.
    EXPECT_FALSE(selectionFor({"--event", "K", "--contact-to", "10"}).selKontaktBis);
    const EventSelection k = selectionFor({"--event", "K", "--contact-from", "3"});
    EXPECT_EQ(k.selKontaktVon, "3");
    EXPECT_EQ(k.selKontaktBis, "");
}

TEST(CliArgumentsTest, ChoicesTheKindDoesNotOfferAreUsageErrors) {
    const std::vector<std::vector<std::string>> refused = {
        {"--event", "Z", "--status", "U"},   {"--event", "E", "--mode", "M"},
        {"--event", "M", "--status", "B"},   {"--event", "M", "--loco", "12"},
        {"--event", "L", "--adr2", "12"},    {"--event", "K", "--contact-from", "11"},
        {"--event", "U", "--time", "07:10"}, {"--event", "E", "--position", "128"},
        {"--event", "M", "--prio", "5"},     {"--event", "X"},
        {"--event", "R", "--mode", "S"},     {"--event", "L", "--category", "5"},
    };
    for (const auto& words : refused) {
        EXPECT_THROW(selectionFor(words), UsageError) << words[1] << " " << words.back();
    }
}

} // namespace
} // namespace tonarion
