#include "link/tether_library.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "link/terminal_session.h"

namespace fs = std::filesystem;

namespace bayhaul {
namespace {

const fs::path kComplete = STUB_COMPLETE_DIR;
const fs::path kLacking = STUB_LACKING_DIR;

// A fresh empty folder for one test, removed afterwards.
class ScratchFolder {
public:
    ScratchFolder() : path_(fs::path(testing::TempDir()) / ("bayhaul_link_" + UniqueName())) {
        fs::create_directories(path_);
    }
    ~ScratchFolder() { fs::remove_all(path_); }
    const fs::path& path() const { return path_; }

private:
    static std::string UniqueName() {
        const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
        return std::string(test->name()) + "_" + std::to_string(::getpid());
    }
    fs::path path_;
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
}

TEST(TetherLibraryTest, MissingLibraryIsReportedWithItsPathAndTheSystemReason) {
    ScratchFolder empty;
    TetherLibrary library(empty.path());
    LoadError error;
    EXPECT_EQ(library.Functions(error), nullptr);
    EXPECT_EQ(error.path, (empty.path() / "TetherDll.so").string());
    EXPECT_NE(error.reason.find("No such file"), std::string::npos) << error.reason;
}

TEST(TetherLibraryTest, LibraryLackingAFunctionIsRefusedAndTheFunctionNamed) {
    TetherLibrary library(kLacking);
    LoadError error;
    EXPECT_EQ(library.Functions(error), nullptr);
    EXPECT_EQ(error.path, (kLacking / "TetherDll.so").string());
    EXPECT_EQ(error.reason, "the library lacks Tether_ESC_M");
}

TEST(TetherLibraryTest, LibraryPutInPlaceAfterAFailedLoadIsPickedUp) {
    ScratchFolder folder;
    TetherLibrary library(folder.path());
    LoadError error;
    ASSERT_EQ(library.Functions(error), nullptr);
    fs::copy_file(kComplete / "TetherDll.so", folder.path() / "TetherDll.so");
    const TetherFunctions* functions = library.Functions(error);
    ASSERT_NE(functions, nullptr) << error.Message();
    EXPECT_EQ(functions->Tether_Create(), 4242);
}

TEST(TetherLibraryTest, ProgramFolderIsTheExecutablesFolder) {
    std::string reason;
    const fs::path folder = ExecutableFolder(reason);
    ASSERT_FALSE(folder.empty()) << reason;
    EXPECT_TRUE(fs::equivalent(folder, TEST_BINARY_DIR));
}

TEST(TetherLibraryTest, LibraryInTheCurrentDirectoryIsNeverLoaded) {
    InsideFolder planted(kComplete);  // holds a loadable TetherDll.so

    TetherLibrary fromProgramFolder;
    LoadError error;
    EXPECT_EQ(fromProgramFolder.Functions(error), nullptr);
    EXPECT_EQ(fs::path(error.path).parent_path(), fs::path(TEST_BINARY_DIR));

    TetherLibrary fromRelativeFolder(".");
    EXPECT_EQ(fromRelativeFolder.Functions(error), nullptr);
    EXPECT_EQ(error.reason, "the library folder is not an absolute path");
}

TEST(TetherLibraryTest, SessionOverALoadedLibraryTalksToIt) {
    TetherLibrary library(kComplete);
    LinkHandle currentLink = 0;
    std::string lastStamp = "20231208105603";
    TerminalSession session(library, currentLink, lastStamp);
    EXPECT_EQ(session.Connect(3).status, OpenStatus::Connected);
    EXPECT_EQ(currentLink, 4242);
    EXPECT_TRUE(session.QueryFile(kTerminalDataFile));
}

TEST(TetherLibraryTest, SessionOverAMissingLibraryReturnsTheLoadError) {
    ScratchFolder empty;
    TetherLibrary library(empty.path());
    LinkHandle currentLink = 0;
    std::string lastStamp;
    TerminalSession session(library, currentLink, lastStamp);
    const OpenResult result = session.Connect(3);
    EXPECT_EQ(result.status, OpenStatus::NoLibrary);
    EXPECT_EQ(result.loadError.path, (empty.path() / "TetherDll.so").string());
    EXPECT_EQ(result.loadError.Message().rfind("Cannot load " + result.loadError.path + ": ", 0), 0u);
}

}  // namespace
}  // namespace bayhaul
