// The Settings dialog's state over a settings file in a fresh folder, with
// folders and timestamps the test sets, and the main window's record it
// stores into.
#pragma once

#include "settings/settings_dialog_state.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace bayhaul {

// Gives the folder a test sets, or cancels when none is set.
class FakeFolderChooser final : public FolderChooser {
public:
    std::optional<std::string> answer;
    int shown = 0;
    std::string start;  // where it was last opened
    std::optional<std::string> ChooseFolder(const std::string& startFolder) override {
        start = startFolder;
        return ++shown, answer;
    }
};

class SettingsDialogFixture : public ::testing::Test {
protected:
    TempDir dir;
    std::string settingsPath = dir / "settings.ini";
    std::string documents = "/home/me/Documents";  // what the lookups and SetDate give now
    std::string desktop = "/home/me/Desktop";
    std::string stamp = "20231208105603";
    AppSettings mainRecord;
    FakeFolderChooser chooser;
    SettingsDialogState state{{[this](int id) { return id == kDocumentsFolderId ? documents : desktop; },
                               [this] { return stamp; }, settingsPath, mainRecord}};

    // Lines 1 and 2 are the main window's flags, as it read them at its start.
    void WriteSettings(const std::string& diradd, const std::string& filename, const std::string& fileext) {
        WriteWholeFile(settingsPath, mainRecord.sync + "\r\n" + mainRecord.del + "\r\n" + diradd + "\r\n" + filename +
                                         "\r\n" + fileext + "\r\n");
    }

    // The numbers of the selected options, e.g. "5 7 10".
    std::string Selection() const {
        const bool* options[] = {&state.Option4, &state.Option5,  &state.Option6,  &state.Option7, &state.Option8,
                                 &state.Option9, &state.Option10, &state.Option11, &state.Option12};
        std::string numbers;
        for (int i = 0; i < 9; ++i) {
            if (*options[i]) numbers += (numbers.empty() ? "" : " ") + std::to_string(i + 4);
        }
        return numbers;
    }

    // Line n (1 to 5) of the file.
    std::string FileLine(int n) const {
        const std::string text = ReadWholeFile(settingsPath);
        std::size_t pos = 0;
        for (int i = 1; i < n; ++i) pos = text.find("\r\n", pos) + 2;
        return text.substr(pos, text.find("\r\n", pos) - pos);
    }
};

}  // namespace bayhaul
