#include "files/sha256.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"

namespace bayhaul {
namespace {

std::string HashOf(const std::string& text, std::size_t piece) {
    Sha256 hash;
    for (std::size_t at = 0; at < text.size(); at += piece) hash.Add(text.data() + at, std::min(piece, text.size() - at));
    return HexOf(hash.Finish());
}

TEST(Sha256Test, KnownDigestsWhateverPiecesTheBytesComeIn) {
    const std::string twoBlocks = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    for (const std::size_t piece : {1u, 7u, 64u, 1000u}) {
        SCOPED_TRACE(piece);
        EXPECT_EQ(HashOf("", piece), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
        EXPECT_EQ(HashOf("abc", piece), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
        EXPECT_EQ(HashOf(twoBlocks, piece), "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
        EXPECT_EQ(HashOf(std::string(1000000, 'a'), piece * 97),
                  "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
    }
}

TEST(Sha256Test, AFileIsFingerprintedWholeAndAnythingElseNot) {
    TempDir dir;
    WriteWholeFile(dir / "FORM.DAT", std::string(200000, 'a') + "abc");
    const auto print = FingerprintOfFile(dir / "FORM.DAT");
    ASSERT_TRUE(print);
    EXPECT_EQ(print->size, 200003u);
    EXPECT_EQ(HexOf(print->digest), HashOf(std::string(200000, 'a') + "abc", 4096));
    EXPECT_FALSE(FingerprintOfFile(dir / "missing"));
    EXPECT_FALSE(FingerprintOfFile(dir.Path()));
}

}  // namespace
}  // namespace bayhaul
