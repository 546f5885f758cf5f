#include "files/durable_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "durable_file_fixture.h"
#include "files/own_file.h"

namespace bayhaul {
namespace {

TEST_F(DurableFileTest, TheTargetIsUntouchedUntilCommitAndAnUncommittedFileIsRemoved) {
    WriteWholeFile(target, "old");
    {
        FileResult result;
        auto file = DurableFile::Create(target, result);
        ASSERT_TRUE(file) << result.error;
        ASSERT_TRUE(file->Append("partial", 7));
        EXPECT_EQ(ReadWholeFile(target), "old");
    }
    EXPECT_EQ(ReadWholeFile(target), "old");
    EXPECT_EQ(Entries(), 1u);

    FileResult result;
    auto file = DurableFile::Create(target, result);
    ASSERT_TRUE(file->Append("wrong", 5) && file->Restart() && file->Append("right", 5));
    EXPECT_TRUE(file->Commit().ok);
    EXPECT_EQ(ReadWholeFile(target), "right");
}

TEST_F(DurableFileTest, AFolderOrAReadOnlyFileIsNeverReplaced) {
    fs::create_directory(dir / "folder");
    WriteWholeFile(dir / "locked", "keep");
    MakeReadOnly(dir / "locked");
    WriteWholeFile(dir / "received", "data");
    for (const std::string name : {"folder", "locked"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(ReplaceFileContent(dir / name, "new").ok);
        const FileResult moved = MoveFileOver(dir / "received", dir / name);
        EXPECT_FALSE(moved.ok);
        EXPECT_NE(moved.error.find(dir / name), std::string::npos) << moved.error;
        EXPECT_EQ(ReadWholeFile(dir / "received"), "data") << "what was to be moved stays";
    }
    EXPECT_EQ(ReadWholeFile(dir / "locked"), "keep");
    EXPECT_EQ(Entries(), 3u);
}

TEST_F(DurableFileTest, OnlyTheStartOfARegularFileIsRead) {
    WriteWholeFile(target, std::string(100, 'a'));
    EXPECT_EQ(ReadRegularFile(target, 10), std::string(10, 'a'));
    EXPECT_EQ(ReadRegularFile(dir.Path(), 10), std::nullopt);
    EXPECT_EQ(ReadRegularFile(dir / "missing", 10), std::nullopt);
}
TEST_F(DurableFileTest, ALogGetsItsHeaderOnceAndALineCutShortIsEnded) {
    ASSERT_TRUE(AppendDurably(target, "one\r\n", "header\r\n").ok);
    ASSERT_TRUE(AppendDurably(target, "two\r\n", "header\r\n").ok);
    std::ofstream(target, std::ios::binary | std::ios::app) << "thr";
    ASSERT_TRUE(AppendDurably(target, "four\r\n", "header\r\n").ok);
    EXPECT_EQ(ReadWholeFile(target), "header\r\none\r\ntwo\r\nthr\r\nfour\r\n");

    FileResult result;
    const auto reader = OwnFileReader::Open(target, result);
    ASSERT_TRUE(reader) << result.error;
    EXPECT_EQ(reader->Size(), 29u);
    ASSERT_TRUE(AppendDurably(target, "five\r\n").ok);
    EXPECT_EQ(reader->Size(), 35u) << "as it is now";
    char piece[8] = {};
    EXPECT_EQ(reader->ReadAt(29, piece, sizeof piece), 6u) << "fewer at the end";
    EXPECT_EQ(std::string(piece, 6), "five\r\n");
    EXPECT_FALSE(OwnFileReader::Open(dir / "missing", result));
    EXPECT_FALSE(result.ok);
}

}  // namespace
}  // namespace bayhaul
