// Our YMODEM against the standard lrzsz programs over a pseudo-terminal.
#include <gtest/gtest.h>
#include <unistd.h>

#include "sim/child_process.h"
#include "pty_pair.h"
#include "support/temp_dir.h"
#include "tether/core/ymodem.h"
#include "tether/core/ymodem_receiver.h"
#include "tether/core/ymodem_sender.h"
#include "ymodem_support.h"

namespace bayhaul::tether {
namespace {

using namespace testing;
using sim::ChildProcess;
using namespace ymodem;

constexpr const char* kSz = "/usr/bin/sz";
constexpr const char* kRz = "/usr/bin/rz";

class LrzszInterop : public ::testing::Test {
protected:
    void SetUp() override {
        if (access(kSz, X_OK) != 0 || access(kRz, X_OK) != 0) GTEST_SKIP() << "lrzsz is not installed";
    }
};

TEST_F(LrzszInterop, OurReceiverTakesFilesFromSzInBothModes) {
    for (std::uint8_t mode : {kCrcMode, kStreamMode}) {
        for (std::size_t size : {0, 1, 1023, 1024, 1025, 100000}) {
            TempDir dir;
            const auto data = RandomBytes(size, static_cast<unsigned>(size + mode));
            WriteFileBytes(dir / "FORM.DAT", data);
            PtyPair pty;
            auto sz = ChildProcess::Start({{kSz, "--ymodem", "--1k", "FORM.DAT"}, dir.Path(), {}, pty.slaveFd});
            ASSERT_TRUE(sz);
            LineReader reader(*pty.master);
            MemorySink sink;
            ReceiveOptions options;
            options.startChar = mode;
            const ReceiveResult result = ReceiveFile(reader, sink, options);
            EXPECT_EQ(result.outcome, ReceiveOutcome::Complete) << "mode " << mode << " size " << size;
            EXPECT_EQ(result.header.name, "FORM.DAT");
            EXPECT_EQ(sink.announced, size);
            EXPECT_EQ(sink.bytes, data) << "mode " << mode << " size " << size;
            EXPECT_EQ(sz->Wait(std::chrono::seconds(10)), 0)
                << "sz did not end cleanly; mode " << mode << " size " << size;
        }
    }
}

// rz pauses about a second at the end of each file, so fewer sizes here;
// the block-size edges are covered by our own receiver above.
TEST_F(LrzszInterop, RzTakesFilesFromOurSender) {
    for (std::size_t size : {0, 1025, 100000}) {
        TempDir dir;
        const auto data = RandomBytes(size, static_cast<unsigned>(size));
        MemorySource source(data);
        PtyPair pty;
        auto rz = ChildProcess::Start({{kRz, "--ymodem"}, dir.Path(), {}, pty.slaveFd});
        ASSERT_TRUE(rz);
        LineReader reader(*pty.master);
        const std::uint8_t start = AwaitStart(reader, SteadyClock::now() + std::chrono::seconds(10));
        ASSERT_EQ(start, kCrcMode);
        const SendResult sent = SendFile(reader, start, "FORM.DAT", source);
        EXPECT_EQ(sent.outcome, SendOutcome::Sent) << "size " << size;
        EXPECT_EQ(rz->Wait(std::chrono::seconds(10)), 0) << "rz did not end cleanly; size " << size;
        EXPECT_EQ(ReadFileBytes(dir / "FORM.DAT"), data) << "size " << size;
    }
}

}  // namespace
}  // namespace bayhaul::tether
