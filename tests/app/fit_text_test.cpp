// Fitting the status line and the problem line into their boxes, measured
// by a fake font in which every character is one unit wide.
#include "app/fit_text.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

namespace bayhaul {
namespace {

int Chars(const std::string& text) {
    return static_cast<int>(text.size());
}

std::vector<std::string> Tokens(const std::string& text) {
    std::vector<std::string> tokens;
    std::istringstream in(text);
    for (std::string token; in >> token;) tokens.push_back(token);
    return tokens;
}

PortReport NotSaved(std::int16_t port, const std::string& why) {
    return {port, PortOutcome::NotSaved, "COM" + std::to_string(port) + ": not saved: " + why, why};
}

TEST(FitText, TextsThatFitAreShownWholeAndWrapAtSpaces) {
    EXPECT_TRUE(FitsIn("Searching...", {12, 1}, Chars));
    EXPECT_FALSE(FitsIn("Searching...", {11, 1}, Chars));
    // "Downloading FORM.DAT" / "from COM9": two lines of 20.
    EXPECT_TRUE(FitsIn("Downloading FORM.DAT from COM9", {20, 2}, Chars));
    EXPECT_FALSE(FitsIn("Downloading FORM.DAT from COM9", {20, 1}, Chars));
    EXPECT_FALSE(FitsIn("a /very/long/path/that/fits/no/line", {20, 5}, Chars)) << "a word wider than a line";
    EXPECT_FALSE(FitsIn("one\ntwo\nthree", {10, 2}, Chars)) << "its own line breaks count";
    EXPECT_EQ(ShortenAtWord("Finished download 2 file(s)", {30, 1}, Chars), "Finished download 2 file(s)");
}

TEST(FitText, ALongStatusEndsWithAnEllipsisAfterAWholeWord) {
    const std::string folder = "The folder /home/ann/NoSuchFolder was not found. Choose a folder in Settings.";
    EXPECT_EQ(ShortenAtWord(folder, {24, 2}, Chars), "The folder...");
    EXPECT_EQ(ShortenAtWord(folder, {30, 2}, Chars), "The folder /home/ann/NoSuchFolder was...");
    const std::string busy = "Another press is running (bayhaul --download, process 24289, since 2026-12-09 "
                             "18:02:11). Try again when it has finished.";
    for (int width = 12; width <= 80; ++width) {
        SCOPED_TRACE(width);
        const std::string shown = ShortenAtWord(busy, {width, 2}, Chars);
        if (shown == busy) break;
        ASSERT_TRUE(FitsIn(shown, {width, 2}, Chars)) << shown;
        ASSERT_EQ(shown.substr(shown.size() - 3), kEllipsis);
        // Whole words of the text, in its order: never one cut in two.
        const std::string kept = shown.substr(0, shown.size() - 3);
        EXPECT_EQ(busy.compare(0, kept.size(), kept), 0) << shown;
        EXPECT_EQ(busy[kept.size()], ' ') << shown;
    }
    EXPECT_EQ(ShortenAtWord("Unbreakable", {6, 1}, Chars), "Unb...") << "only a first word too wide is cut";
    EXPECT_EQ(ShortenAtWord("", {6, 1}, Chars), "");
}

TEST(FitText, TheProblemLineNamesAsManyPortsAsFitThenHowManyMore) {
    const std::vector<PortReport> five = {
        NotSaved(3, "the terminal hung up after 19,456 of 100,000 bytes"),
        NotSaved(7, "in use by another program"),
        NotSaved(9, "the disk is full"),
        NotSaved(10, "the terminal did not answer"),
        NotSaved(11, "too many errors on the line"),
    };
    const std::string whole = NotSavedLine(five);
    EXPECT_EQ(whole.rfind("5 terminals not saved: COM3 (the terminal hung up after 19,456 of 100,000 bytes), COM7 (", 0),
              0u);
    EXPECT_EQ(FitNotSavedLine(five, {1000, 1}, Chars), whole);
    EXPECT_EQ(FitNotSavedLine(five, {90, 1}, Chars),
              "5 terminals not saved: COM3, COM7, COM9, COM10 and COM11: click for the list");
    EXPECT_EQ(FitNotSavedLine(five, {64, 1}, Chars), "5 terminals not saved: COM3, COM7 and 3 more: click for the list");
    EXPECT_EQ(FitNotSavedLine(five, {45, 1}, Chars), "5 terminals not saved: click for the list");
    EXPECT_EQ(FitNotSavedLine(five, {31, 1}, Chars), "5 terminals not saved: click...");
    EXPECT_EQ(FitNotSavedLine(five, {30, 1}, Chars), "5 terminals not saved:...");

    // At every width, nothing is cut mid-word: each word is one of the whole
    // line's, or of the count that stands for the rest.
    std::set<std::string> words;
    for (const std::string& word : Tokens(whole + " and 1 2 3 4 more: click for the list")) {
        words.insert(word);
        words.insert(word.substr(0, word.size() - 1));  // "COM7," and "COM7", "list" and "list:"
        words.insert(word + ":");
        words.insert(word + ",");
    }
    for (int width = 20; width <= 250; ++width) {
        SCOPED_TRACE(width);
        const std::string shown = FitNotSavedLine(five, {width, 1}, Chars);
        EXPECT_TRUE(FitsIn(shown, {width, 1}, Chars)) << shown;
        std::vector<std::string> tokens = Tokens(shown);
        if (shown.size() > 3 && shown.substr(shown.size() - 3) == kEllipsis) tokens.back().resize(tokens.back().size() - 3);
        for (const std::string& token : tokens) EXPECT_EQ(words.count(token), 1u) << token << " in " << shown;
    }
}

TEST(FitText, ASingleTerminalNotSavedIsCalledByItsPort) {
    const std::vector<PortReport> one = {NotSaved(7, "the terminal hung up after 19,456 of 88,534 bytes")};
    EXPECT_EQ(FitNotSavedLine(one, {60, 1}, Chars), "1 terminal not saved: COM7: click for the reason");
    EXPECT_EQ(FitNotSavedLine(one, {60, 2}, Chars),
              "1 terminal not saved: COM7 (the terminal hung up after 19,456 of 88,534 bytes)");
}

TEST(FitText, AProblemOfItsOwnIsShortenedAndTheTipHoldsTheWholeText) {
    const std::vector<PortReport> old = {NotSaved(3, "the terminal hung up after 19,456 of 88,534 bytes")};
    EXPECT_EQ(FitProblemLine("Settings not saved: the disk is full", old, {25, 1}, Chars), "Settings not saved:...")
        << "ports of an earlier press are not this line's";
    EXPECT_EQ(FitProblemLine(NotSavedLine(old), old, {48, 1}, Chars), "1 terminal not saved: COM3: click for the reason");

    EXPECT_EQ(WholeTextTip("Searching...", "Searching...", "COM3: saved"), "COM3: saved");
    EXPECT_EQ(WholeTextTip("The folder /x was not found.", "The folder...", "COM3: saved"),
              "The folder /x was not found.\n\nCOM3: saved");
    EXPECT_EQ(WholeTextTip("The folder /x was not found.", "The folder...", ""), "The folder /x was not found.");
}

}  // namespace
}  // namespace bayhaul
