// What only POSIX shows: permission bits, the umask, symbolic links and devices.
#include "files/durable_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "durable_file_fixture.h"

namespace bayhaul {
namespace {

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

TEST_F(DurableFileTest, LinksAreFollowedToTheirEnd) {
    fs::create_directories(dir / "a/b");
    WriteWholeFile(dir / "a/b/settings.ini", "x");
    fs::create_symlink("b/settings.ini", dir / "a/second");
    fs::create_symlink(dir / "a/second", dir / "first");
    EXPECT_EQ(fs::path(FinalPath(dir / "first")), fs::path(dir / "a/b/settings.ini"));
    EXPECT_EQ(FinalPath(dir / "a/b/settings.ini"), dir / "a/b/settings.ini");
    EXPECT_EQ(FinalPath("not-there"), "not-there");
}

TEST_F(DurableFileTest, ADeviceIsNotRead) {
    EXPECT_EQ(ReadRegularFile("/dev/zero", 10), std::nullopt);
}

}  // namespace
}  // namespace bayhaul
