// Which library the workers will load, told from its file without loading it.
#include "link/library_file.h"
#include "link/tether_library.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace bayhaul {
namespace {

namespace fs = std::filesystem;

TEST(LibraryFile, OursAnotherAndAMissingOneAreToldApart) {
    const std::string ours = (fs::path(REAL_LIBRARY_DIR) / kTetherLibraryFile).string();
    const std::string another = (fs::path(STUB_COMPLETE_DIR) / kTetherLibraryFile).string();
    const std::string missing = (fs::path(TEST_BINARY_DIR) / "no-such-folder" / kTetherLibraryFile).string();

    EXPECT_EQ(FindLibraryFile(ours).kind, LibraryKind::Ours);
    EXPECT_EQ(FindLibraryFile(another).kind, LibraryKind::Another) << "a library without Tether_Features";
    EXPECT_EQ(FindLibraryFile(missing).kind, LibraryKind::Missing);
    EXPECT_EQ(LibraryFileText(FindLibraryFile(ours)), ours + " (Bayhaul's own)");
    EXPECT_EQ(LibraryFileText(FindLibraryFile(missing)), missing + " (missing)");
    EXPECT_EQ(fs::path(FindLibraryFile("").path).lexically_normal(),
              (fs::path(TEST_BINARY_DIR) / kTetherLibraryFile).lexically_normal())
        << "beside the running program, as the workers take it";
}

}  // namespace
}  // namespace bayhaul
