#include "cli/TerminalInteraction.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace mvx;
using namespace mvx::cli;

namespace {

const std::array<std::string, 4> kButtons = {"Yes", "Overwrite all", "No", "Stop"};

} // namespace

TEST(TerminalInteraction, AnswerOptions)
{
    std::istringstream in;
    std::ostringstream err;
    TerminalInteraction yes(AnswerPolicy::Yes, in, err, false);
    EXPECT_TRUE(yes.askYesNo("q", MsgIcon::Question, ""));
    EXPECT_EQ(yes.continueConfirm("Overwrite", "t", kButtons), 0);
    TerminalInteraction no(AnswerPolicy::No, in, err, false);
    EXPECT_FALSE(no.askYesNo("q", MsgIcon::Question, ""));
    EXPECT_FALSE(no.askOkCancel("q", MsgIcon::Question, ""));
    EXPECT_EQ(no.continueConfirm("Overwrite", "t", kButtons), 3);
    TerminalInteraction all(AnswerPolicy::OverwriteAll, in, err, false);
    EXPECT_EQ(all.continueConfirm("Overwrite", "t", kButtons), 1);
    EXPECT_TRUE(all.askYesNo("q", MsgIcon::Question, ""));
}

TEST(TerminalInteraction, WithoutTerminalTheSafeAnswerIsTakenAndSaid)
{
    std::istringstream in("1\n");
    std::ostringstream err;
    TerminalInteraction ask(AnswerPolicy::Ask, in, err, false);
    CMessageTable english;
    english.FillEnglish();
    ask.useTexts(english);
    EXPECT_FALSE(ask.askYesNo("Delete?", MsgIcon::Question, ""));
    EXPECT_EQ(ask.continueConfirm("Delete", "t", {"Yes", "Delete all", "No", "Stop"}), 3);
    EXPECT_NE(err.str().find("(no terminal: answering \"No\")"), std::string::npos) << err.str();
}

TEST(TerminalInteraction, PromptTakesNumberOrWord)
{
    std::istringstream in("maybe\n2\nOverwrite all\n");
    std::ostringstream err;
    TerminalInteraction ask(AnswerPolicy::Ask, in, err, true);
    EXPECT_FALSE(ask.askYesNo("Delete?", MsgIcon::Question, ""));  // "maybe" asked again, then 2 = No
    EXPECT_EQ(ask.continueConfirm("Overwrite", "t", kButtons), 1);
    // End of input gives the safe answer.
    EXPECT_EQ(ask.continueConfirm("Overwrite", "t", kButtons), 3);
}
