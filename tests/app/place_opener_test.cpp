// Opening the history and the folder of received files: a file no program
// opens falls back to its folder, and what cannot be opened is named.
#include "app/place_opener.h"

#include <gtest/gtest.h>

#include <set>

namespace bayhaul {
namespace {

class PlaceOpenerTest : public ::testing::Test {
protected:
    std::set<std::string> openable;  // what the desktop has a program for
    std::vector<std::string> tried;
    std::string note = "an old note";
    PlaceOpener opener{[this](const std::string& path, std::function<void(bool)> done) {
                           tried.push_back(path);
                           done(openable.count(path) > 0);
                       },
                       [this](const std::string& said) { note = said; }};
};

TEST_F(PlaceOpenerTest, TheHistoryOpensAsItIsWhenAProgramOpensIt) {
    openable = {"/home/ann/.local/state/bayhaul/history.csv"};
    opener.OpenHistory("/home/ann/.local/state/bayhaul/history.csv");
    EXPECT_EQ(tried, (std::vector<std::string>{"/home/ann/.local/state/bayhaul/history.csv"}));
    EXPECT_EQ(note, "") << "an earlier note goes";
}

TEST_F(PlaceOpenerTest, WithoutAProgramForTheHistoryItsFolderOpensAndTheNoteSaysWhere) {
    openable = {"/home/ann/.local/state/bayhaul"};
    opener.OpenHistory("/home/ann/.local/state/bayhaul/history.csv");
    EXPECT_EQ(tried, (std::vector<std::string>{"/home/ann/.local/state/bayhaul/history.csv",
                                               "/home/ann/.local/state/bayhaul"}));
    EXPECT_EQ(note, "No program here opens history.csv, so its folder is open: /home/ann/.local/state/bayhaul.");

    openable.clear();
    opener.OpenHistory("/home/ann/.local/state/bayhaul/history.csv");
    EXPECT_EQ(note, "No program here opens history.csv or its folder. It is "
                    "/home/ann/.local/state/bayhaul/history.csv.");
}

TEST_F(PlaceOpenerTest, TheFolderOfReceivedFilesOpensOrIsNamed) {
    openable = {"/home/ann/Desktop"};
    opener.OpenReceivedFolder("/home/ann/Desktop", "");
    EXPECT_EQ(note, "");
    openable.clear();
    opener.OpenReceivedFolder("/home/ann/Desktop", "");
    EXPECT_EQ(note, "No program here opens folders. The received files are in /home/ann/Desktop.");
    tried.clear();
    opener.OpenReceivedFolder("", "The desktop folder was not found. Choose a folder in Settings.");
    EXPECT_TRUE(tried.empty()) << "nothing to open";
    EXPECT_EQ(note, "The desktop folder was not found. Choose a folder in Settings.");
}

}  // namespace
}  // namespace bayhaul
