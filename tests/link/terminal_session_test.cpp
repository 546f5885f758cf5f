#include "link/terminal_session.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "link/tether_codes.h"
#include "recording_tether.h"
#include "support/temp_dir.h"

namespace bayhaul {
namespace {

using Calls = std::vector<std::string>;

const Calls kOpen7 = {"Create", "SetupEx 7 3 8 1 N", "Connect 7"};
const Calls kClose7 = {"Disconnect 7", "Destroy 7"};
const std::string kLocalPath = "/home/user/Desktop/FORM.DAT";

Calls Join(std::initializer_list<Calls> parts) {
    Calls all;
    for (const Calls& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

class TerminalSessionTest : public testing::Test {
protected:
    // A session whose scripted terminal connects at once on handle 7.
    TerminalSession& Connected() {
        tether.handles = {7};
        tether.connects = {1};
        session.emplace(Table());
        EXPECT_EQ(session->Connect(3).status, OpenStatus::Connected);
        return *session;
    }

    // The recording library's functions, as the loader gives them.
    const TetherFunctions& Table() {
        LoadError none;
        return *tether.Functions(none);
    }

    // Ends the session as the download's scope would, and returns every call.
    Calls Ended() {
        session.reset();
        return tether.calls;
    }

    RecordingTether tether;
    std::string lastStamp = "20231208105603";
    std::optional<TerminalSession> session;
};

TEST_F(TerminalSessionTest, FirstOpenUsesSettingEightAndStoresTheHandle) {
    Connected();
    EXPECT_EQ(session->CurrentLink(), 7);
    session->CloseLink();
    EXPECT_EQ(session->CurrentLink(), 7) << "closing keeps the released value";
    EXPECT_EQ(Ended(), Join({kOpen7, kClose7}));
}

TEST_F(TerminalSessionTest, FailedConnectIsReopenedWithSettingNine) {
    tether.handles = {7, 9};
    tether.connects = {0, 1};
    session.emplace(Table());

    EXPECT_EQ(session->Connect(3).status, OpenStatus::Connected);
    EXPECT_EQ(session->CurrentLink(), 9);
    EXPECT_EQ(Ended(),
              Join({kOpen7, kClose7, {"Create", "SetupEx 9 3 9 1 N", "Connect 9", "Disconnect 9", "Destroy 9"}}));
}

TEST_F(TerminalSessionTest, TerminalThatNeverConnectsIsClosedAfterTheReopen) {
    tether.handles = {7, 9};
    session.emplace(Table());

    EXPECT_EQ(session->Connect(3).status, OpenStatus::NotConnected);
    EXPECT_EQ(Ended(),
              Join({kOpen7, kClose7, {"Create", "SetupEx 9 3 9 1 N", "Connect 9", "Disconnect 9", "Destroy 9"}}));
}

TEST_F(TerminalSessionTest, APortOurLibraryCannotUseIsNotTriedAgainAtNine) {
    tether.features = tether::feature::kOurCodes;
    for (const std::int16_t code : {tether::result::kPortBusy, tether::result::kPortNoPermission,
                                    tether::result::kNoSuchPort}) {
        SCOPED_TRACE(code);
        tether.calls.clear();
        tether.handles = {7};
        tether.connects = {code};
        session.emplace(Table());
        const OpenResult opened = session->Connect(3);
        EXPECT_EQ(opened.status, code == tether::result::kPortBusy ? OpenStatus::PortBusy : OpenStatus::PortFailed);
        EXPECT_EQ(opened.code, code);
        EXPECT_EQ(Ended(), Join({{"Create", "SetupEx 7 3 8 1 N", "Connect 7"}, kClose7}));
    }
}

TEST_F(TerminalSessionTest, ANoisyLineIsTriedAtNineAndStaysNoisyWhenNineHearsNothing) {
    tether.features = tether::feature::kOurCodes;
    struct Case {
        std::int16_t atNine;
        OpenStatus expected;
    };
    for (const Case& c : {Case{tether::result::kNobodyAnswered, OpenStatus::Noisy},
                          Case{tether::result::kOk, OpenStatus::Connected},
                          Case{tether::result::kLineNoisy, OpenStatus::Noisy}}) {
        SCOPED_TRACE(c.atNine);
        tether.calls.clear();
        tether.handles = {7, 9};
        tether.connects = {tether::result::kLineNoisy, c.atNine};
        session.emplace(Table());
        const OpenResult opened = session->Connect(3);
        EXPECT_EQ(opened.status, c.expected);
        if (c.expected == OpenStatus::Noisy) EXPECT_EQ(opened.code, tether::result::kLineNoisy);
        EXPECT_EQ(Ended(), Join({kOpen7, kClose7, {"Create", "SetupEx 9 3 9 1 N", "Connect 9", "Disconnect 9",
                                                   "Destroy 9"}}));
    }
}

TEST_F(TerminalSessionTest, TheMakersLibraryIsReopenedAtNineWhateverItsConnectGave) {
    tether.handles = {7, 9};
    tether.connects = {tether::result::kPortBusy, -3};
    session.emplace(Table());
    EXPECT_EQ(session->Connect(3).status, OpenStatus::NotConnected);
    EXPECT_EQ(Ended(),
              Join({kOpen7, kClose7, {"Create", "SetupEx 9 3 9 1 N", "Connect 9", "Disconnect 9", "Destroy 9"}}));
}

// Every operation a download may still attempt after an open went wrong.
void TryEverything(TerminalSession& session) {
    std::string stamp = "20231208105603";
    session.Reopen(3);
    session.QueryFile(kTerminalDataFile);
    session.Transfer(kLocalPath, kTerminalDataFile, nullptr);
    session.DeleteOnTerminal(kTerminalDataFile);
    session.SetTerminalClock(stamp);
    session.CloseLink();
}

TEST_F(TerminalSessionTest, ZeroHandleOnFirstOpenEndsTheSessionWithoutAnotherCall) {
    session.emplace(Table());

    EXPECT_EQ(session->Connect(3).status, OpenStatus::NoHandle);
    EXPECT_EQ(session->CurrentLink(), 0);
    TryEverything(*session);
    EXPECT_EQ(Ended(), Calls{"Create"});
}

TEST_F(TerminalSessionTest, ZeroHandleOnReopenEndsTheSessionWithoutAnotherCall) {
    tether.handles = {7, 0};
    session.emplace(Table());

    EXPECT_EQ(session->Connect(3).status, OpenStatus::NoHandle);
    EXPECT_EQ(session->CurrentLink(), 0);
    TryEverything(*session);
    EXPECT_EQ(Ended(), Join({kOpen7, kClose7, {"Create"}}));
}

TEST_F(TerminalSessionTest, ZeroHandleOnReopenAfterAFailedQueryStopsTheSecondQuery) {
    Connected();
    tether.handles = {0};
    EXPECT_EQ(session->QueryFile(kTerminalDataFile).answer, FileAnswer::Absent);
    EXPECT_EQ(session->Reopen(3).status, OpenStatus::NoHandle);
    session->SetTerminalClock(lastStamp);
    EXPECT_EQ(session->QueryFile(kTerminalDataFile).answer, FileAnswer::Failed);
    EXPECT_EQ(Ended(), Join({kOpen7, {"ESC_J 7 65 FORM.DAT 8"}, kClose7, {"Create"}}));
}

TEST_F(TerminalSessionTest, QueryResetsNameAndLengthAndAcceptsOnlyEightOrSix) {
    Connected();
    tether.queryScribble = "XYZ";  // the library changes both buffer and length
    tether.queries = {8, 6, 7, 0, -8};
    const std::vector<FileAnswer> expected = {FileAnswer::Ready, FileAnswer::Ready, FileAnswer::Absent,
                                              FileAnswer::Absent, FileAnswer::Absent};
    for (const FileAnswer answer : expected) EXPECT_EQ(session->QueryFile(kTerminalDataFile).answer, answer);
    EXPECT_EQ(Ended(), Join({kOpen7, Calls(5, "ESC_J 7 65 FORM.DAT 8"), kClose7}));
}

TEST_F(TerminalSessionTest, OurLibraryTellsAnAbsentFileFromAQuestionThatDidNotGetThrough) {
    tether.features = tether::feature::kOurCodes;
    Connected();
    tether.queries = {0, tether::result::kNoAnswer, tether::result::kRefused, 8};
    const std::vector<FileAnswer> expected = {FileAnswer::Absent, FileAnswer::Failed, FileAnswer::Failed,
                                              FileAnswer::Ready};
    for (const FileAnswer answer : expected) {
        const FileQuery query = session->QueryFile(kTerminalDataFile);
        EXPECT_EQ(query.answer, answer) << query.code;
    }
    session->CloseLink();
    EXPECT_EQ(session->QueryFile(kTerminalDataFile).code, tether::result::kNotConnected);
}

TEST_F(TerminalSessionTest, OurLibraryTellsWhyATransferDidNotStartAndHowDeleteAndClockWent) {
    tether.features = tether::feature::kOurCodes;
    Connected();
    tether.uploads = {0};
    tether.polls = {tether::transfer::kReadOnlyFolder};  // the reason the closing call gives
    tether.deletes = {tether::result::kFileChanged};
    tether.clocks = {tether::result::kNoAnswer};
    const TransferEnd end = session->Transfer(kLocalPath, kTerminalDataFile, nullptr);
    EXPECT_FALSE(end.finished);
    EXPECT_EQ(session->DeleteOnTerminal(kTerminalDataFile), tether::result::kFileChanged);
    EXPECT_EQ(session->SetTerminalClock(lastStamp), tether::result::kNoAnswer);
    EXPECT_EQ(Ended(), Join({kOpen7,
                             {"UpLoad 7 65 " + kLocalPath + " FORM.DAT 0 3", "StLoad 7 1", "ESC_E 7 65 FORM.DAT 8",
                              "ESC_M 7 65 20231208105603"},
                             kClose7}));
}

TEST_F(TerminalSessionTest, TransferOfNothingMakesNoStatusCall) {
    Connected();
    int polls = 0;
    EXPECT_FALSE(session
                     ->Transfer(kLocalPath, kTerminalDataFile,
                                [&](std::int16_t s, const TransferProgress&) { return ++polls, s; })
                     .finished);
    EXPECT_EQ(polls, 0);
    EXPECT_EQ(Ended(), Join({kOpen7, {"UpLoad 7 65 " + kLocalPath + " FORM.DAT 0 3"}, kClose7}));
}

TEST_F(TerminalSessionTest, NegativeTransferResultCountsWithoutPolling) {
    Connected();
    tether.uploads = {-1};
    int polls = 0;
    EXPECT_TRUE(session
                    ->Transfer(kLocalPath, kTerminalDataFile,
                               [&](std::int16_t s, const TransferProgress&) { return ++polls, s; })
                    .finished);
    EXPECT_EQ(polls, 0);
    EXPECT_EQ(Ended(), Join({kOpen7, {"UpLoad 7 65 " + kLocalPath + " FORM.DAT 0 3", "StLoad 7 1"}, kClose7}));
}

TEST_F(TerminalSessionTest, RunningTransferIsPolledUntilAnyStatusOfTwoOrMore) {
    for (const std::int16_t last : {2, 3, 10, 32767}) {
        SCOPED_TRACE(last);
        tether.calls.clear();
        Connected();
        tether.uploads = {1};
        tether.polls = {0, 1, -5, last};
        int polls = 0;
        EXPECT_TRUE(session
                        ->Transfer(kLocalPath, kTerminalDataFile,
                                   [&](std::int16_t s, const TransferProgress&) { return ++polls, s; })
                        .finished);
        EXPECT_EQ(polls, 4);
        EXPECT_EQ(Ended(), Join({kOpen7,
                                 {"UpLoad 7 65 " + kLocalPath + " FORM.DAT 0 3"},
                                 Calls(4, "StLoad 7 0"),
                                 {"StLoad 7 1"},
                                 kClose7}));
    }
}

TEST_F(TerminalSessionTest, PollStepCanEndTheWaitByReplacingTheStatus) {
    Connected();
    tether.uploads = {5};
    tether.polls = {0, 0, 0, 0, 0};
    int polls = 0;
    // As when the tick counter passes its limit on the second poll.
    const auto step = [&](std::int16_t status, const TransferProgress&) {
        return ++polls == 2 ? std::int16_t{10} : status;
    };
    const TransferEnd end = session->Transfer(kLocalPath, kTerminalDataFile, step);
    EXPECT_TRUE(end.finished);
    EXPECT_EQ(end.status, 0) << "the closing call's own status, not the replaced one";
    EXPECT_EQ(Ended(), Join({kOpen7,
                             {"UpLoad 7 65 " + kLocalPath + " FORM.DAT 0 3", "StLoad 7 0", "StLoad 7 0", "StLoad 7 1"},
                             kClose7}));
}

TEST_F(TerminalSessionTest, PollOutputsReachTheStepAndStartAtZeroForEveryTransfer) {
    Connected();
    TempDir folder;
    const std::string part = folder / "FORM.DAT.part";
    tether.uploads = {1, 1};
    tether.files = {"12345"};
    tether.announced = 9;
    std::vector<std::int32_t> seen;
    const auto step = [&](std::int16_t s, const TransferProgress& p) {
        seen.insert(seen.end(), {p.bytesReceived, p.bytesTotal});
        return s;
    };
    TransferEnd end = session->Transfer(part, kTerminalDataFile, step);
    EXPECT_EQ(seen, (std::vector<std::int32_t>{5, 9}));
    EXPECT_EQ(end.progress.bytesTotal, 9);

    tether.announced.reset();  // a library that leaves the outputs alone
    end = session->Transfer(part, kTerminalDataFile, step);
    EXPECT_EQ(end.progress.bytesReceived, 0);
    EXPECT_EQ(end.progress.bytesTotal, 0);
}

TEST_F(TerminalSessionTest, LinkClosedDuringAPollEndsTheWaitWithoutCountingTheFile) {
    Connected();
    tether.uploads = {1};
    tether.polls = {0, 0, 0};
    EXPECT_FALSE(session
                     ->Transfer(kLocalPath, kTerminalDataFile,
                                [&](std::int16_t s, const TransferProgress&) {
                                    session->CloseLink();
                                    return s;
                                })
                     .finished);
    EXPECT_EQ(Ended(), Join({kOpen7, {"UpLoad 7 65 " + kLocalPath + " FORM.DAT 0 3", "StLoad 7 0"}, kClose7}));
}

TEST_F(TerminalSessionTest, CommandRunDuringAPollCannotRedirectTheSession) {
    Connected();
    tether.uploads = {1};
    tether.polls = {0, 2};
    // A command handled during the poll opens and closes a session of its own.
    const auto nested = [&](std::int16_t status, const TransferProgress&) {
        if (tether.calls.size() == kOpen7.size() + 2) {
            tether.handles = {9};
            TerminalSession other(Table());
            other.OpenLink(4, LinkSetting::Eight);
        }
        return status;
    };
    EXPECT_TRUE(session->Transfer(kLocalPath, kTerminalDataFile, nested).finished);
    session->DeleteOnTerminal(kTerminalDataFile);
    EXPECT_EQ(Ended(), Join({kOpen7,
                             {"UpLoad 7 65 " + kLocalPath + " FORM.DAT 0 3", "StLoad 7 0"},
                             {"Create", "SetupEx 9 4 8 1 N", "Connect 9", "Disconnect 9", "Destroy 9"},
                             {"StLoad 7 0", "StLoad 7 1", "ESC_E 7 65 FORM.DAT 8"},
                             kClose7}));
}

TEST_F(TerminalSessionTest, ClockIsSetFromTheStampAndTheBufferWrittenBack) {
    Connected();
    tether.clockReply = "20240101000000";
    session->SetTerminalClock(lastStamp);
    EXPECT_EQ(lastStamp, "20240101000000");

    tether.clockReply = "2024";  // a shorter text, terminated by the library
    session->SetTerminalClock(lastStamp);
    EXPECT_EQ(lastStamp, "2024");
    EXPECT_EQ(Ended(), Join({kOpen7, {"ESC_M 7 65 20231208105603", "ESC_M 7 65 20240101000000"}, kClose7}));
}

TEST_F(TerminalSessionTest, ClockReplyWithoutTerminatorIsReadOnlyToTheBufferEnd) {
    Connected();
    tether.clockReply = "123456789012345678";  // overwrites the terminator too
    session->SetTerminalClock(lastStamp);
    EXPECT_EQ(lastStamp, "123456789012345");
}

TEST_F(TerminalSessionTest, DownloadWithDeleteAndClockClosesOnceAtTheEnd) {
    Connected();
    tether.queries = {6};
    tether.uploads = {1};
    tether.polls = {1, 2};
    ASSERT_EQ(session->QueryFile(kTerminalDataFile).answer, FileAnswer::Ready);
    ASSERT_TRUE(session->Transfer(kLocalPath, kTerminalDataFile, nullptr).finished);
    session->DeleteOnTerminal(kTerminalDataFile);
    session->SetTerminalClock(lastStamp);
    session->CloseLink();
    EXPECT_FALSE(session->HasLink());
    EXPECT_EQ(Ended(), Join({kOpen7,
                             {"ESC_J 7 65 FORM.DAT 8", "UpLoad 7 65 " + kLocalPath + " FORM.DAT 0 3", "StLoad 7 0",
                              "StLoad 7 0", "StLoad 7 1", "ESC_E 7 65 FORM.DAT 8", "ESC_M 7 65 20231208105603"},
                             kClose7}));
}

}  // namespace
}  // namespace bayhaul
