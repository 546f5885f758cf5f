// YMODEM rules that need no line: the header block and the block-size choice.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tether/core/ymodem.h"
#include "tether/core/ymodem_sender.h"

namespace bayhaul::tether {
namespace {

using namespace ymodem;

std::vector<std::uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

TEST(YmodemHeader, ReadsNameAndSizeAsStandardSendersWriteThem) {
    auto withMtime = Bytes(std::string("FORM.DAT\0", 9) + "1234 14603215117 100644 0 1 1234");
    withMtime.resize(128, 0);
    const auto header = ParseHeaderBlock(withMtime);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->name, "FORM.DAT");
    EXPECT_EQ(header->size, 1234u);

    const auto endOfBatch = ParseHeaderBlock(std::vector<std::uint8_t>(128, 0));
    ASSERT_TRUE(endOfBatch);
    EXPECT_TRUE(endOfBatch->name.empty());

    for (const std::string& bad : {std::string("FORM.DAT\0", 9), std::string("FORM.DAT\0x12", 12),
                                   std::string("FORM.DAT\0"
                                               "12x",
                                               12),
                                   std::string("FORM.DAT\0"
                                               "99999999999999999999999",
                                               32)}) {
        auto block = Bytes(bad);
        block.resize(128, 0);
        EXPECT_FALSE(ParseHeaderBlock(block)) << bad.substr(9);
    }
}

TEST(BlockSizeRule, SmallBlocksWhileErrorsPersistThenLargeAfterACleanRun) {
    BlockSizeRule rule;
    EXPECT_EQ(rule.Size(), 1024u);
    // Scripted: e = a refused block, d = a block through; the size before each step.
    const std::string script = "e" + std::string(17, 'd') + "ed" + "e" + std::string(16, 'd');
    std::string sizes;
    for (const char step : script) {
        sizes += rule.Size() == 1024 ? 'L' : 's';
        step == 'e' ? rule.Error() : rule.Delivered();
    }
    EXPECT_EQ(sizes, "L" + std::string(16, 's') + "L" + "Ls" + "s" + std::string(16, 's'));
    EXPECT_EQ(rule.Size(), 128u) << "the large block failed right after the return: 32 clean ones needed now";

    EXPECT_EQ(BlockSizeRule(true).Size(), 128u) << "a phase that resumes after an error";

    // A large block that fails at once after the return doubles the next clean run.
    BlockSizeRule backing(true);
    const auto deliver = [&](int blocks) {
        for (int i = 0; i < blocks; ++i) backing.Delivered();
    };
    deliver(16);
    backing.Error();
    deliver(31);
    EXPECT_EQ(backing.Size(), 128u) << "now 32 clean blocks are needed";
    deliver(1);
    EXPECT_EQ(backing.Size(), 1024u);
    deliver(16);  // large blocks go through
    backing.Error();
    deliver(16);
    EXPECT_EQ(backing.Size(), 1024u) << "back to a run of 16";
    BlockSizeRule fixed(true, BlockSizeRule::Choice::Always1024);
    fixed.Error();
    EXPECT_EQ(fixed.Size(), 1024u);
}

}  // namespace
}  // namespace bayhaul::tether
