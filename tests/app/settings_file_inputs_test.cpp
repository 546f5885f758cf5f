// A watch reads settings.ini before each collection, by the rules of a
// press, and says what was wrong with it.
#include "press/settings_file_inputs.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace bayhaul {
namespace {

TEST(SettingsFileInputsTest, EachReadIsOfNowAndWhatWasWrongIsSaid) {
    TempDir work;
    const std::string path = work / "settings.ini";
    const std::string shown = std::filesystem::absolute(path).string();
    SettingsFileInputs inputs(path);

    EXPECT_EQ(inputs.Reload(), shown + " was missing and was made with the default settings");
    EXPECT_EQ(ReadWholeFile(path), "1\r\n0\r\nDesktop\r\nFORM\r\nDAT\r\n");
    EXPECT_EQ(inputs.Reload(), "") << "read whole";

    WriteWholeFile(path, "0\r\n1\r\n/data\r\nDAY\r\nTXT\r\n");
    EXPECT_EQ(inputs.Reload(), "");
    EXPECT_TRUE(inputs.DeleteBox());
    EXPECT_FALSE(inputs.ClockBox());
    EXPECT_EQ(inputs.Settings().diradd, "/data");
    WriteWholeFile(path, "0\r\n0\r\n/data\r\nDAY\r\nTXT\r\n");
    EXPECT_TRUE(inputs.DeleteBox()) << "the read of the collection holds for all of it";
    inputs.Reload();
    EXPECT_FALSE(inputs.DeleteBox()) << "unticked since: the next collection deletes nothing";

    WriteWholeFile(path, "0\r\n1\r\n/data\r\n");
    EXPECT_EQ(inputs.Reload(), shown + " has 3 of its 5 lines, so the last 2 took their defaults");
    EXPECT_EQ(inputs.Settings().filename, "FORM");
    EXPECT_TRUE(inputs.DeleteBox());
    WriteWholeFile(path, "");
    EXPECT_EQ(inputs.Reload(), shown + " is empty, so the default settings were used");

    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    EXPECT_EQ(inputs.Reload(), shown + " is not a file, so the default settings were used");
    EXPECT_FALSE(inputs.DeleteBox());
    EXPECT_EQ(inputs.Settings().diradd, "Desktop");
}

}  // namespace
}  // namespace bayhaul
