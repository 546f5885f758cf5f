// Every result of our library has words and a cause, and every cause says
// what helps, so no failure reaches the user as a bare number or without
// an action.
#include "link/failure_advice.h"
#include "link/tether_codes.h"
#include "link/tether_result_text.h"

#include <gtest/gtest.h>

#include <cctype>

namespace bayhaul {
namespace {

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

TEST(FailureWords, EveryResultOfOurLibraryHasWordsAndAnAction) {
    // tether_codes.h: the failures of a request run from -1 to -12, those
    // of a transfer from 3 to 20.
    for (std::int16_t code = tether::result::kBadHandle; code >= tether::result::kLineNoisy; --code) {
        SCOPED_TRACE(code);
        const FailureWords failure = RequestFailure(code);
        EXPECT_EQ(failure.words.find("library result"), std::string::npos) << failure.words;
        EXPECT_NE(failure.cause, FailureCause::None);
    }
    for (std::int16_t status = tether::transfer::kBadHandle; status <= tether::transfer::kNotConfirmed; ++status) {
        SCOPED_TRACE(status);
        const FailureWords failure = TransferFailure(status, "");
        EXPECT_EQ(failure.words.find("library status"), std::string::npos) << failure.words;
        EXPECT_NE(failure.cause, FailureCause::None);
    }
}

TEST(FailureWords, AValueNotListedKeepsItsNumberAndStillSaysWhatToDo) {
    const FailureWords request = RequestFailure(-42);
    EXPECT_EQ(request.words, "library result -42");
    EXPECT_EQ(request.cause, FailureCause::Library);
    const FailureWords transfer = TransferFailure(99, "5 of 9 bytes");
    EXPECT_EQ(transfer.words, "library status 99 after 5 of 9 bytes");
    EXPECT_FALSE(AdviceFor(transfer.cause).empty());
}

TEST(FailureWords, FailuresOfTheLineTellHowFarTheFileCameAndOthersDoNot) {
    EXPECT_EQ(TransferFailure(tether::transfer::kLineLost, "19,456 of 88,534 bytes").words,
              "the terminal hung up after 19,456 of 88,534 bytes");
    EXPECT_EQ(TransferFailure(tether::transfer::kProtocolFailure, "1 of 2 bytes").words,
              "too many errors on the line after 1 of 2 bytes");
    EXPECT_EQ(TransferFailure(tether::transfer::kDiskFull, "1 of 2 bytes").words, "the disk is full");
}

TEST(FailureWords, EachCauseGetsTheActionThatHelps) {
    EXPECT_EQ(RequestFailure(tether::result::kNoAnswer).cause, FailureCause::Terminal);
    EXPECT_EQ(RequestFailure(tether::result::kPortBusy).cause, FailureCause::PortInUse);
    EXPECT_EQ(RequestFailure(tether::result::kLineNoisy).words,
              "a terminal may be there, but the line is too noisy to understand it");
    EXPECT_EQ(TransferFailure(tether::transfer::kDiskFull, "").cause, FailureCause::DiskFull);
    EXPECT_NE(AdviceFor(FailureCause::Terminal).find("switched on and seated in its cradle"), std::string::npos);
    EXPECT_NE(AdviceFor(FailureCause::DiskFull).find("Free some space"), std::string::npos);
    EXPECT_NE(AdviceFor(FailureCause::PortInUse).find("Close the other program"), std::string::npos);
    for (int cause = 1; cause <= kLastFailureCause; ++cause) {
        SCOPED_TRACE(cause);
        const std::string advice = AdviceFor(static_cast<FailureCause>(cause));
        ASSERT_FALSE(advice.empty());
        EXPECT_TRUE(std::isupper(static_cast<unsigned char>(advice.front())));
        EXPECT_TRUE(EndsWith(advice, "."));
    }
    EXPECT_EQ(AdviceFor(FailureCause::None), "");
}

TEST(FailureWords, TheAdviceEndsTheLineAsASentenceOfItsOwn) {
    EXPECT_EQ(WithAdvice("in use by another program", FailureCause::PortInUse),
              "in use by another program. Close the other program that uses the port, then press again.");
    EXPECT_EQ(WithAdvice("no terminal answered", FailureCause::None), "no terminal answered");
}

}  // namespace
}  // namespace bayhaul
