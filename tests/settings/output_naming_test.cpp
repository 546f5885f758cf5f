#include "settings/output_naming.h"

#include <gtest/gtest.h>

namespace bayhaul {
namespace {

TEST(NameSuffixes, TableHoldsEmptyThenTwoDigitNumbersFromTwo) {
    EXPECT_EQ(NameSuffix(0), "");
    EXPECT_EQ(NameSuffix(1), "02");
    EXPECT_EQ(NameSuffix(8), "09");
    EXPECT_EQ(NameSuffix(9), "10");
    EXPECT_EQ(NameSuffix(18), "19");
}

TEST(NameSuffixes, TwentiethAndLaterFilesFollowTheSameRule) {
    EXPECT_EQ(NameSuffix(19), "20");
    EXPECT_EQ(NameSuffix(20), "21");
    EXPECT_EQ(NameSuffix(98), "99");
    EXPECT_EQ(NameSuffix(99), "100");
}

struct JoinCase {
    std::string folder, base, suffix, ext;
    char separator;
    std::string expected;
};

TEST(JoinSavePath, BuildsThePathWithThePlatformsSeparator) {
    const JoinCase cases[] = {
        {"C:\\Users\\me\\Desktop", "FORM", "", "DAT", '\\', "C:\\Users\\me\\Desktop\\FORM.DAT"},
        {"C:\\Users\\me\\Desktop", "FORM", "02", "DAT", '\\', "C:\\Users\\me\\Desktop\\FORM02.DAT"},
        {"C:\\Users\\me\\Desktop", "FORM", "19", "DAT", '\\', "C:\\Users\\me\\Desktop\\FORM19.DAT"},
        {"D:\\Data\\", "20231208090507", "", "TXT", '\\', "D:\\Data\\20231208090507.TXT"},
        {"D:\\Data", "20231208090512", "02", "TXT", '\\', "D:\\Data\\2023120809051202.TXT"},
        // Windows takes "/" as a separator too, so a folder typed with one needs no other.
        {"C:/data/", "FORM", "", "DAT", '\\', "C:/data/FORM.DAT"},
        {"/home/me/Desktop", "FORM", "", "DAT", '/', "/home/me/Desktop/FORM.DAT"},
        {"/home/me/Desktop", "FORM", "02", "DAT", '/', "/home/me/Desktop/FORM02.DAT"},
        {"/srv/data/", "20231208090507", "", "TXT", '/', "/srv/data/20231208090507.TXT"},
        {"/srv/data", "FORM", "", "", '/', "/srv/data/FORM."},
        // A folder ending in the other platform's separator still gets one.
        {"D:\\Data\\", "FORM", "", "DAT", '/', "D:\\Data\\/FORM.DAT"},
        {"", "FORM", "", "DAT", '/', "/FORM.DAT"},
    };
    for (const JoinCase& c : cases) EXPECT_EQ(JoinSavePath(c.folder, c.base, c.suffix, c.ext, c.separator), c.expected);
}

TEST(ResolveSaveFolder, OnlyTheExactKeywordsNameTheSpecialFolders) {
    std::vector<int> asked;
    const SpecialFolderLookup lookup = [&asked](int id) {
        asked.push_back(id);
        return id == kDocumentsFolderId ? std::string("/home/me/Documents") : std::string("/home/me/Desktop");
    };

    EXPECT_EQ(ResolveSaveFolder("My Docunments", lookup), "/home/me/Documents");
    EXPECT_EQ(ResolveSaveFolder("Desktop", lookup), "/home/me/Desktop");
    EXPECT_EQ(asked, (std::vector<int>{5, 16}));

    for (const char* path : {"My Documents", "desktop", "DESKTOP", "Desktop ", "/srv/data", ""})
        EXPECT_EQ(ResolveSaveFolder(path, lookup), path);
    EXPECT_EQ(asked.size(), 2u) << "a path that is no keyword asks for no special folder";
}

}  // namespace
}  // namespace bayhaul
