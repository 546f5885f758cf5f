// What only POSIX shows: permission bits, the umask, symbolic links and devices.
#include "files/durable_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "durable_file_fixture.h"
#include "files/own_file.h"

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

TEST_F(DurableFileTest, AFileBeingWrittenHasNoNameSoAKilledWriterLeavesNothing) {
    {
        FileResult result;
        auto file = DurableFile::Create(target, result);
        ASSERT_TRUE(file) << result.error;
        ASSERT_TRUE(file->Append("partial", 7));
        EXPECT_EQ(Entries(), 0u) << "a file system without nameless files (O_TMPFILE) names it";
    }
    // A child that is killed in the middle of a write.
    const pid_t child = ::fork();
    if (child == 0) {
        FileResult result;
        auto file = DurableFile::Create(target, result);
        file->Append("partial", 7);
        ::raise(SIGKILL);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(Entries(), 0u);
}

TEST_F(DurableFileTest, NamedLeftoversOfThisComputersProcessesThatAreGoneAreRemoved) {
    // A process that has ended, and one that runs: this test's own parent.
    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const std::string ours = target + ".new-" + ThisHost() + "-";
    const std::string left = ours + std::to_string(gone) + "-17";
    const std::string running = ours + std::to_string(::getppid()) + "-17";
    const std::string other = dir / "OTHER.DAT.new-" + ThisHost() + "-" + std::to_string(gone) + "-17";
    // A shared folder: the same process number on another computer, and on
    // one whose name begins with ours.
    const std::string elsewhere = target + ".new-another-pc-" + std::to_string(gone) + "-17";
    const std::string longerName = ours + "2-" + std::to_string(gone) + "-17";
    const std::string unnamedHost = target + ".new-" + std::to_string(gone) + "-17";
    for (const std::string& path : {left, running, other, elsewhere, longerName, unnamedHost})
        WriteWholeFile(path, "x");

    ASSERT_TRUE(ReplaceFileContent(target, "new").ok);
    EXPECT_FALSE(fs::exists(left));
    EXPECT_TRUE(fs::exists(running));
    EXPECT_TRUE(fs::exists(other)) << "only the target's own leftovers go";
    EXPECT_TRUE(fs::exists(elsewhere)) << "another computer's file is never judged here";
    EXPECT_TRUE(fs::exists(longerName));
    EXPECT_TRUE(fs::exists(unnamedHost)) << "a name without its computer could be anyone's";
}

// The history and the records of a press: a link, a folder or a pipe at
// their names is refused in words, never written through, never waited on.
TEST_F(DurableFileTest, OurOwnFilesAreNeverReachedThroughALinkOrAPipe) {
    WriteWholeFile(dir / "users-file", "the user's own");
    fs::create_symlink(dir / "users-file", dir / "history.csv");
    FileResult result = AppendDurably(dir / "history.csv", "a record\r\n", "a header\r\n");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, dir / "history.csv" + " is a symbolic link, which Bayhaul does not follow: remove it");
    EXPECT_EQ(ReadWholeFile(dir / "users-file"), "the user's own");
    EXPECT_FALSE(OwnFileReader::Open(dir / "history.csv", result));
    EXPECT_NE(result.error.find("is a symbolic link"), std::string::npos) << result.error;

    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    fs::create_directory(dir / "folder");
    for (const std::string name : {"pipe", "folder"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(OwnFileReader::Open(dir / name, result));
        EXPECT_EQ(result.error, dir / name + " is not a file (a folder, a pipe or a device): remove it");
        EXPECT_FALSE(AppendDurably(dir / name, "a record\r\n").ok);
    }

    WriteWholeFile(target, "x");
    ::chmod(target.c_str(), 0);
    if (::geteuid() != 0) {
        EXPECT_FALSE(OwnFileReader::Open(target, result));
        EXPECT_EQ(result.error.rfind("cannot open " + target + ": ", 0), 0u) << result.error;
    }
}

TEST_F(DurableFileTest, FailuresNameTheirKind) {
    const std::string longName(300, 'x');
    FileResult result;
    EXPECT_FALSE(DurableFile::Create(dir / longName, result));
    EXPECT_EQ(result.problem, FileProblem::PathTooLong) << result.error;
    EXPECT_FALSE(DurableFile::Create(dir / "missing/FORM.DAT", result));
    EXPECT_EQ(result.problem, FileProblem::Other) << result.error;
    fs::create_directory(dir / "FORM.DAT.part");
    EXPECT_FALSE(DurableFile::Create(dir / "FORM.DAT.part", result));
    EXPECT_EQ(result.problem, FileProblem::InTheWay) << result.error;
}

TEST_F(DurableFileTest, ADeviceIsNotRead) {
    EXPECT_EQ(ReadRegularFile("/dev/zero", 10), std::nullopt);
}

}  // namespace
}  // namespace bayhaul
