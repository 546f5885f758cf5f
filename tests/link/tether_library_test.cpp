#include "link/tether_codes.h"
#include "link/tether_library.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "link/terminal_session.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace bayhaul {

// Whether `reason` is the system's own for a library file that is not
// there (one file per platform).
bool IsMissingFileReason(const std::string& reason);

namespace {

const fs::path kComplete = STUB_COMPLETE_DIR;
const fs::path kLacking = STUB_LACKING_DIR;

// A fresh empty folder for one test, removed afterwards.
class ScratchFolder {
public:
    fs::path path() const { return fs::path(dir_.Path()); }

private:
    TempDir dir_;
};

// Runs the rest of the test inside `folder`, then returns to where it was.
class InsideFolder {
public:
    explicit InsideFolder(const fs::path& folder) : previous_(fs::current_path()) { fs::current_path(folder); }
    ~InsideFolder() { fs::current_path(previous_); }

private:
    fs::path previous_;
};

TEST(TetherLibraryTest, ResolvesAllTenFunctionsOfTheLibraryInItsFolder) {
    TetherLibrary library(kComplete);
    LoadError error;
    const TetherFunctions* functions = library.Functions(error);
    ASSERT_NE(functions, nullptr) << error.Message();
    EXPECT_EQ(functions->Tether_Create(), 4242);
    EXPECT_EQ(functions->Tether_Connect(4242), 1);
    EXPECT_EQ(functions->Tether_UpLoad(4242, 65, nullptr, "FORM.DAT", 0, 3), -1);
    for (const auto* slot : {reinterpret_cast<const void*>(functions->Tether_SetupEx),
                             reinterpret_cast<const void*>(functions->Tether_ESC_J),
                             reinterpret_cast<const void*>(functions->Tether_StLoad),
                             reinterpret_cast<const void*>(functions->Tether_ESC_E),
                             reinterpret_cast<const void*>(functions->Tether_ESC_M),
                             reinterpret_cast<const void*>(functions->Tether_Disconnect),
                             reinterpret_cast<const void*>(functions->Tether_Destroy)}) {
        EXPECT_NE(slot, nullptr);
    }
    EXPECT_EQ(functions->Tether_Features, nullptr) << "a library without the optional export loads all the same";
}

TEST(TetherLibraryTest, OurLibraryDeclaresItsCodes) {
    TetherLibrary library{fs::path(REAL_LIBRARY_DIR)};
    LoadError error;
    const TetherFunctions* functions = library.Functions(error);
    ASSERT_NE(functions, nullptr) << error.Message();
    ASSERT_NE(functions->Tether_Features, nullptr);
    EXPECT_TRUE(functions->Tether_Features() & tether::feature::kOurCodes);
}

TEST(TetherLibraryTest, MissingLibraryIsReportedWithItsPathAndTheSystemReason) {
    ScratchFolder empty;
    TetherLibrary library(empty.path());
    LoadError error;
    EXPECT_EQ(library.Functions(error), nullptr);
    EXPECT_EQ(error.path, (empty.path() / kTetherLibraryFile).string());
    EXPECT_TRUE(IsMissingFileReason(error.reason)) << error.reason;
}

TEST(TetherLibraryTest, LibraryLackingAFunctionIsRefusedAndTheFunctionNamed) {
    TetherLibrary library(kLacking);
    LoadError error;
    EXPECT_EQ(library.Functions(error), nullptr);
    EXPECT_EQ(error.path, (kLacking / kTetherLibraryFile).string());
    EXPECT_EQ(error.reason, "the library lacks Tether_ESC_M");
}

TEST(TetherLibraryTest, LibraryPutInPlaceAfterAFailedLoadIsPickedUp) {
    ScratchFolder folder;
    TetherLibrary library(folder.path());
    LoadError error;
    ASSERT_EQ(library.Functions(error), nullptr);
    fs::copy_file(kComplete / kTetherLibraryFile, folder.path() / kTetherLibraryFile);
    const TetherFunctions* functions = library.Functions(error);
    ASSERT_NE(functions, nullptr) << error.Message();
    EXPECT_EQ(functions->Tether_Create(), 4242);
}

TEST(TetherLibraryTest, LibraryUnderAnotherNameLoadsAndTheFileHoldingItsCodeIsKnown) {
    ScratchFolder folder;
    const fs::path name = fs::path("Another").replace_extension(fs::path(kTetherLibraryFile).extension());
    fs::copy_file(kComplete / kTetherLibraryFile, folder.path() / name);
    TetherLibrary library(folder.path(), name);
    LoadError error;
    const TetherFunctions* functions = library.Functions(error);
    ASSERT_NE(functions, nullptr) << error.Message();
    EXPECT_EQ(functions->Tether_Create(), 4242);

    std::string reason;
    const fs::path holding = LoadedFileHolding(reinterpret_cast<const void*>(functions->Tether_Create), reason);
    EXPECT_TRUE(fs::equivalent(holding, folder.path() / name)) << holding << reason;
    static const int inTheProgram = 0;
    EXPECT_TRUE(fs::equivalent(LoadedFileHolding(&inTheProgram, reason).parent_path(), TEST_BINARY_DIR)) << reason;

    TetherLibrary missing(folder.path(), "Missing" + name.extension().string());
    EXPECT_EQ(missing.Functions(error), nullptr);
    EXPECT_EQ(error.path, (folder.path() / ("Missing" + name.extension().string())).string());
}

TEST(TetherLibraryTest, ProgramFolderIsTheExecutablesFolder) {
    std::string reason;
    const fs::path folder = ExecutableFolder(reason);
    ASSERT_FALSE(folder.empty()) << reason;
    EXPECT_TRUE(fs::equivalent(folder, TEST_BINARY_DIR));
}

TEST(TetherLibraryTest, LibraryInTheCurrentDirectoryIsNeverLoaded) {
    for (const fs::path& planted : {kComplete, fs::path(REAL_LIBRARY_DIR)}) {
        SCOPED_TRACE(planted.string());
        InsideFolder inside(planted);  // holds a loadable library

        TetherLibrary fromProgramFolder;
        LoadError error;
        EXPECT_EQ(fromProgramFolder.Functions(error), nullptr);
        EXPECT_TRUE(fs::equivalent(fs::path(error.path).parent_path(), TEST_BINARY_DIR)) << error.path;
        EXPECT_TRUE(IsMissingFileReason(error.reason)) << error.reason;
    }
    InsideFolder planted(kComplete);
    LoadError error;

    TetherLibrary fromRelativeFolder(".");
    EXPECT_EQ(fromRelativeFolder.Functions(error), nullptr);
    EXPECT_EQ(error.reason, "the library folder is not an absolute path");
}

TEST(TetherLibraryTest, SessionOverALoadedLibraryTalksToIt) {
    TetherLibrary library(kComplete);
    LoadError error;
    const TetherFunctions* functions = library.Functions(error);
    ASSERT_NE(functions, nullptr) << error.Message();
    TerminalSession session(*functions);
    EXPECT_EQ(session.Connect(3).status, OpenStatus::Connected);
    EXPECT_EQ(session.CurrentLink(), 4242);
    EXPECT_EQ(session.QueryFile(kTerminalDataFile).answer, FileAnswer::Ready);
}

}  // namespace
}  // namespace bayhaul
