// What only Windows shows: files held open by another program, the
// read-only attribute as Explorer sets it, and device names.
#include "files/durable_file.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "durable_file_fixture.h"

namespace bayhaul {
namespace {

// The target open in another program (a spreadsheet, say), which shares
// reading and writing but not deleting, so it cannot be renamed over.
class HeldOpen {
public:
    explicit HeldOpen(const std::string& path)
        : handle_(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~HeldOpen() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

TEST_F(DurableFileTest, AnOpenTargetFailsTheReplaceAndKeepsItsContent) {
    WriteWholeFile(target, "old");
    WriteWholeFile(dir / "received", "new");
    {
        HeldOpen open(target);
        ASSERT_TRUE(open.Valid());
        const FileResult replaced = ReplaceFileContent(target, "new");
        EXPECT_FALSE(replaced.ok);
        EXPECT_NE(replaced.error.find(target), std::string::npos) << replaced.error;
        const FileResult moved = MoveFileOver(dir / "received", target);
        EXPECT_FALSE(moved.ok);
        EXPECT_EQ(ReadWholeFile(dir / "received"), "new") << "what was to be moved stays";
    }
    EXPECT_EQ(ReadWholeFile(target), "old");
    EXPECT_EQ(Entries(), 2u) << "no half-made file is left beside the target";
    EXPECT_TRUE(MoveFileOver(dir / "received", target).ok) << "once closed, the target can be replaced";
    EXPECT_EQ(ReadWholeFile(target), "new");
}

TEST_F(DurableFileTest, TheReadOnlyAttributeRefusesEveryWrite) {
    WriteWholeFile(target, "keep");
    ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));
    const FileResult replaced = ReplaceFileContent(target, "new");
    EXPECT_FALSE(replaced.ok);
    EXPECT_EQ(replaced.error, target + " is read-only");
    EXPECT_FALSE(OverwriteInPlace(target, "new").ok);
    EXPECT_EQ(ReadWholeFile(target), "keep");
    EXPECT_EQ(Entries(), 1u);
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(DurableFileTest, ADeviceIsNotRead) {
    EXPECT_EQ(ReadRegularFile("NUL", 10), std::nullopt);
}

}  // namespace
}  // namespace bayhaul
