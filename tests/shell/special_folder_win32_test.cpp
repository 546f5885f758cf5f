// The shell's own documents and desktop folders, as Windows (here Wine)
// resolves them, and nothing for any other folder identifier.
#include "shell/special_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace bayhaul {
namespace {

TEST(SpecialFolderWin32, DocumentsAndDesktopAreExistingFoldersWithoutATrailingSeparator) {
    for (const int id : {5, 16}) {
        const std::string path = fGetSpecialFolder(id);
        SCOPED_TRACE(path);
        ASSERT_FALSE(path.empty()) << id;
        EXPECT_TRUE(std::filesystem::path(path).is_absolute()) << id;
        EXPECT_TRUE(std::filesystem::is_directory(path)) << id;
        EXPECT_NE(path.back(), '\\') << id;
        EXPECT_NE(path.back(), '/') << id;
    }
    EXPECT_NE(fGetSpecialFolder(5), fGetSpecialFolder(16));
}

TEST(SpecialFolderWin32, EveryOtherIdentifierGivesEmptyText) {
    // 0 the desktop's namespace root, 2 programs, 6 favourites, 17 the
    // computer, 0x1A application data, 0x25 system, 0x28 the profile:
    // folders the shell knows, which are still not ours to give.
    for (const int id : {-1, 0, 2, 6, 17, 0x1A, 0x25, 0x28, 0x8005, 0x8010, 1000}) {
        EXPECT_EQ(fGetSpecialFolder(id), "") << id;
    }
}

}  // namespace
}  // namespace bayhaul
