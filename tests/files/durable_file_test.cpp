#include "files/durable_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace bayhaul {
namespace {

namespace fs = std::filesystem;

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

// Sets the umask for one test.
class Umask {
public:
    explicit Umask(mode_t mask) : old_(::umask(mask)) {}
    ~Umask() { ::umask(old_); }

private:
    mode_t old_;
};

class DurableFileTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string target = dir / "FORM.DAT";

    std::size_t Entries() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir.Path()), {}));
    }
};

TEST_F(DurableFileTest, NewFilesFollowTheUmaskAndReplacedFilesKeepTheirBits) {
    const Umask privateFiles(077);
    ASSERT_TRUE(ReplaceFileContent(target, "first").ok);
    EXPECT_EQ(ModeOf(target), 0600u);

    ::chmod(target.c_str(), 0640);
    ASSERT_TRUE(ReplaceFileContent(target, "second").ok);
    EXPECT_EQ(ModeOf(target), 0640u);
    EXPECT_EQ(ReadWholeFile(target), "second");

    WriteWholeFile(dir / "received", "third");
    ::chmod((dir / "received").c_str(), 0644);
    ASSERT_TRUE(MoveFileOver(dir / "received", target).ok);
    EXPECT_EQ(ModeOf(target), 0640u);
    EXPECT_EQ(ReadWholeFile(target), "third");
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(DurableFileTest, TheTargetIsUntouchedUntilCommitAndAnUncommittedFileIsRemoved) {
    WriteWholeFile(target, "old");
    {
        FileResult result;
        auto file = DurableFile::Create(target, result);
        ASSERT_TRUE(file) << result.error;
        ASSERT_TRUE(file->Append("partial", 7));
        EXPECT_EQ(ReadWholeFile(target), "old");
        EXPECT_EQ(Entries(), 2u);
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
    ::chmod((dir / "locked").c_str(), 0444);
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

TEST_F(DurableFileTest, LinksAreFollowedToTheirEnd) {
    fs::create_directories(dir / "a/b");
    WriteWholeFile(dir / "a/b/settings.ini", "x");
    fs::create_symlink("b/settings.ini", dir / "a/second");
    fs::create_symlink(dir / "a/second", dir / "first");
    EXPECT_EQ(fs::path(FinalPath(dir / "first")), fs::path(dir / "a/b/settings.ini"));
    EXPECT_EQ(FinalPath(dir / "a/b/settings.ini"), dir / "a/b/settings.ini");
    EXPECT_EQ(FinalPath("not-there"), "not-there");
}

TEST_F(DurableFileTest, OnlyTheStartOfARegularFileIsRead) {
    WriteWholeFile(target, std::string(100, 'a'));
    EXPECT_EQ(ReadRegularFile(target, 10), std::string(10, 'a'));
    EXPECT_EQ(ReadRegularFile(dir.Path(), 10), std::nullopt);
    EXPECT_EQ(ReadRegularFile("/dev/zero", 10), std::nullopt);
    EXPECT_EQ(ReadRegularFile(dir / "missing", 10), std::nullopt);
}

}  // namespace
}  // namespace bayhaul
