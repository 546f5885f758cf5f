// Our TetherDll.dll, loaded the way Bayhaul.exe loads it: from the folder
// of the running program, by the functions' undecorated names. This test
// program is built into a folder of its own with a copy of the library.
#include "link/tether_library.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "link/tether_api.h"

namespace bayhaul {
namespace {

namespace fs = std::filesystem;

TEST(TetherDllWin32, TheLibraryBesideTheProgramIsLoadedWithAllTenFunctions) {
    std::string reason;
    const fs::path folder = ExecutableFolder(reason);
    ASSERT_TRUE(fs::exists(folder / kTetherLibraryFile)) << folder.string();

    TetherLibrary library;
    LoadError error;
    const TetherFunctions* functions = library.Functions(error);
    ASSERT_NE(functions, nullptr) << error.Message();

    // A session's life without a port: made and released; the library
    // answers 1 for success, negative values for errors.
    const LinkHandle handle = functions->Tether_Create();
    EXPECT_NE(handle, 0);
    EXPECT_EQ(functions->Tether_Destroy(handle), 1);
    EXPECT_LT(functions->Tether_Destroy(handle), 0) << "a released handle is refused";
    EXPECT_LT(functions->Tether_Connect(handle), 0);
}

TEST(TetherDllWin32, TheSameLibraryIsNotLoadedFromTheCurrentDirectoryWhenMissingBesideTheProgram) {
    // The same file under another folder name is still found only by full path.
    std::string reason;
    const fs::path folder = ExecutableFolder(reason);
    TetherLibrary elsewhere(folder / "no-such-folder");
    fs::current_path(folder);
    LoadError error;
    EXPECT_EQ(elsewhere.Functions(error), nullptr);
    EXPECT_EQ(error.path, (folder / "no-such-folder" / kTetherLibraryFile).u8string());
}

}  // namespace
}  // namespace bayhaul
