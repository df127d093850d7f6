#include "event/EventForm.h"

#include "cli/CliArguments.h"

#include <gtest/gtest.h>

namespace tonarion {
namespace {

// tonarion-cli bind --row on the form the dialog opens for a row that has an event.
EventSelection rebound(const std::string& rowName, std::vector<std::string> words) {
    words.insert(words.begin(), {"bind", "/stick", "--row", "1"});
    EventForm form(rowName, true);
    form.setLayoutfrmAktion();
    chooseFromOptions(CliArguments::parse(words), form);
    return form.selection();
}

TEST(EventFormTest, OptionsOnARowReplaceOnlyTheirOwnChoiceAndAnotherKindStartsAfresh) {
    const std::string contacts = "KSM4-0002-00007.mp3";
    // A first contact given anew starts the contact choice afresh; a last one alone keeps
    // the row's first contact, and must then be one of the list's.
    EXPECT_EQ(rebound(contacts, {"--contact-from", "3"}).selKontaktBis, "");
    const EventSelection last = rebound(contacts, {"--contact-to", "9"});
    EXPECT_EQ(last.selKontaktVon, "2");
    EXPECT_EQ(last.selKontaktBis, "9");
    EXPECT_THROW(rebound(contacts, {"--contact-to", "11"}), UsageError);

    const EventSelection category = rebound("L1M3-0012-00042.mp3", {"--category", "2"});
    EXPECT_EQ(category.selAdresse->codeText, "20002");
    EXPECT_EQ(category.selAdr1, "12");
    EXPECT_EQ(category.selWert->text, "3");

    const EventSelection other = rebound("MGM2-0012-00015.mp3", {"--event", "R", "--prio", "1"});
    EXPECT_EQ(other.selEreignis, 1);
    EXPECT_FALSE(other.selStatus || other.selModus || other.selAdr1 || other.selAdr2);
    EXPECT_THROW(rebound("", {"--status", "G"}), UsageError); // a row without an event
}

} // namespace
} // namespace tonarion
