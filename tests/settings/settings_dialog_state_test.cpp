// The Settings dialog's rules: what the opening shows, what edits select,
// and what OK and Apply save.
#include "settings/settings_dialog_fixture.h"

namespace bayhaul {
namespace {

using SettingsDialogStateTest = SettingsDialogFixture;
using State = SettingsDialogState;

TEST_F(SettingsDialogStateTest, OpeningShowsTheStoredValuesAndSavingWritesThemBackUnchanged) {
    struct Case {
        std::string diradd, filename, fileext, text1, text2, selection;
    };
    const Case cases[] = {
        {"Desktop", "FORM", "DAT", "/home/me/Desktop", "FORM", "5 7 10"},
        {"My Docunments", "%T", "TXT", "/home/me/Documents", "20231208105603", "4 8 11"},
        {"My Documents", "form", "", "My Documents", "form", "6 9 12"},
        {"desktop", "%t", " .csv", "desktop", "%t", "6 9 12"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.diradd);
        WriteSettings(c.diradd, c.filename, c.fileext);
        const std::string file = ReadWholeFile(settingsPath);
        state.Load();
        EXPECT_EQ(state.Text1 + "|" + state.Text2 + "|" + state.Text3, c.text1 + "|" + c.text2 + "|" + c.fileext);
        EXPECT_EQ(Selection(), c.selection);
        ASSERT_TRUE(state.Save());
        EXPECT_EQ(ReadWholeFile(settingsPath), file);
        EXPECT_EQ(mainRecord.diradd + "|" + mainRecord.filename + "|" + mainRecord.fileext,
                  c.diradd + "|" + c.filename + "|" + c.fileext);
        EXPECT_EQ(mainRecord.sync + mainRecord.del, "10") << "the flags are the main window's own";
    }
}

TEST_F(SettingsDialogStateTest, EditsSelectCustomUnlessTheBoxShowsWhatAnOptionPuts) {
    struct Case {
        void (State::*choose)();
        void (State::*edit)(const std::string&);
        std::string text, selection;
    };
    const Case cases[] = {
        {&State::Option8Click, &State::Text2Change, "FORM", "5 8 10"},
        {&State::Option7Click, &State::Text2Change, "20231208105603", "5 7 10"},
        {&State::Option7Click, &State::Text2Change, "form", "5 9 10"},
        {&State::Option11Click, &State::Text3Change, "DAT", "5 7 11"},
        {&State::Option10Click, &State::Text3Change, "TXT", "5 7 10"},
        {&State::Option10Click, &State::Text3Change, "txt", "5 7 12"},
        {&State::Option4Click, &State::Text1Change, "/srv/data", "6 7 10"},
        {&State::Option6Click, &State::Text1Change, "/home/me/Desktop", "6 7 10"},
        {&State::Option4Click, &State::Text1Change, "/home/me/Desktop", "4 7 10"},
        {&State::Option5Click, &State::Text1Change, "/home/me/Documents", "5 7 10"},
    };
    state.Option8Click();  // a timestamp was shown, and is remembered across openings
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        state.Load();  // the defaults: Desktop, FORM, DAT
        (state.*c.choose)();
        (state.*c.edit)(c.text);
        EXPECT_EQ(Selection(), c.selection);
    }
}

TEST_F(SettingsDialogStateTest, KeywordsAreSavedOnlyForExactlyTheirFolderOrTheShownTimestampsDate) {
    struct Case {
        std::string stamp, text1, text2, line3, line4;
    };
    const Case cases[] = {
        {"20231208105603", "/home/me/Desktop", "20231208105603", "Desktop", "%T"},
        {"20231208105603", "/home/me/Documents", "20231208 night", "My Docunments", "%T"},
        {"20231208105603", "/home/me/Desktop/", "2023120", "/home/me/Desktop/", "2023120"},
        {"20231208105603", "/home/me/desktop", "20231209105603", "/home/me/desktop", "20231209105603"},
        {"20231208105603", "", "", "", ""},                    // once one was shown, it does not
        {"abcdEFGH105603", "/srv", "ABCDefgh", "/srv", "%T"},  // letters compare without regard to case
        {"abcdEFGH105603", "/srv", "ABCDefgX", "/srv", "ABCDefgX"},
    };
    state.Load();
    state.Text2Change("");
    ASSERT_TRUE(state.Save());
    EXPECT_EQ(FileLine(4), "%T") << "with no timestamp shown yet, an empty name matches";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text1 + "|" + c.text2);
        stamp = c.stamp;
        state.Load();
        state.Option8Click();
        state.Option6Click();  // whichever option is selected, the text decides
        state.Text1Change(c.text1);
        state.Text2Change(c.text2);
        ASSERT_TRUE(state.Save());
        EXPECT_EQ(FileLine(3) + "|" + FileLine(4), c.line3 + "|" + c.line4);
    }

    // The folders are looked up when saving, not at the opening.
    WriteSettings("Desktop", "FORM", "DAT");
    state.Load();
    desktop = "/home/me/Schreibtisch";
    ASSERT_TRUE(state.Save());
    EXPECT_EQ(FileLine(3), "/home/me/Desktop");
}

TEST_F(SettingsDialogStateTest, AKeywordWhoseFolderIsMissingIsKeptAsIt) {
    for (const char* keyword : {"Desktop", "My Docunments"}) {
        SCOPED_TRACE(keyword);
        documents = desktop = "";  // neither folder can be found
        WriteSettings(keyword, "FORM", "DAT");
        state.Load();
        EXPECT_EQ(state.Text1, "");
        ASSERT_TRUE(state.Save());
        EXPECT_EQ(FileLine(3), keyword);
    }
}

TEST_F(SettingsDialogStateTest, AnEmptyFolderBoxSavesWhatTheUserChoseNotWhatWasStored) {
    struct Case {
        void (State::*choose)();
        std::string saved;
    };
    const Case cases[] = {
        {&State::Option4Click, "My Docunments"},  // the other keyword, whose folder is missing too
        {&State::Option6Click, ""},               // a folder of one's own, left empty
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.saved);
        documents = desktop = "";
        WriteSettings("Desktop", "FORM", "DAT");
        state.Load();
        (state.*c.choose)();
        state.Text1Change("");
        ASSERT_TRUE(state.Save());
        EXPECT_EQ(FileLine(3), c.saved);
    }
}

// The main window's boxes may change while the dialog is open; OK and Apply
// write lines 1 and 2 as the boxes stand then, never as the dialog read them.
TEST_F(SettingsDialogStateTest, SavingWritesTheFlagsAsTheMainWindowHoldsThemNow) {
    mainRecord.sync = "1";
    mainRecord.del = "1";
    WriteSettings("Desktop", "FORM", "DAT");
    state.Load();
    mainRecord.del = "0";  // "Auto Delete" cleared in the main window
    ASSERT_TRUE(state.Save());
    EXPECT_EQ(FileLine(1) + FileLine(2), "10");
    mainRecord.sync = "0";  // and after an Apply, "Sync" too
    state.Text3Change("CSV");
    ASSERT_TRUE(state.Save());
    EXPECT_EQ(ReadWholeFile(settingsPath), "0\r\n0\r\nDesktop\r\nFORM\r\nCSV\r\n");
    EXPECT_EQ(mainRecord.sync + mainRecord.del, "00") << "the flags stay the main window's";
}

}  // namespace
}  // namespace bayhaul
