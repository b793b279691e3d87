#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "report/base64.h"
#include "report/md5.h"

namespace {

TEST(Md5, Rfc1321TestSuite) {
    struct Case {
        const char* text;
        const char* digest;
    };
    const Case cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"1234567890123456789012345678901234567890123456789012345678901234567890123456789"
         "0",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& c : cases) EXPECT_EQ(Md5HexOfText(c.text), c.digest) << '"' << c.text << '"';
}

TEST(Md5, FeedingInPiecesGivesTheSameDigest) {
    // Every byte value, three times: high bytes must count by their unsigned value.
    std::string bytes;
    for (int round = 0; round < 3; ++round) {
        for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
    }
    const std::string whole = "e6899eaaf06fd702f3ed3f988eb19362";
    ASSERT_EQ(Md5HexOfText(bytes), whole);
    for (size_t piece = 1; piece <= 130; ++piece) {
        CMD5 md5;
        for (size_t at = 0; at < bytes.size(); at += piece) {
            md5.Update(bytes.data() + at, std::min(piece, bytes.size() - at));
        }
        EXPECT_EQ(md5.FinalHex(), whole) << "pieces of " << piece;
    }
    // The RFC's million "a", fed in pieces that never line up with a block.
    CMD5 million;
    const std::string chunk(999, 'a');
    size_t fed = 0;
    while (fed + chunk.size() <= 1000000) {
        million.Update(chunk.data(), chunk.size());
        fed += chunk.size();
    }
    million.Update(chunk.data(), 1000000 - fed);
    EXPECT_EQ(million.FinalHex(), "7707d6ae4e027c70eea2a935c2296f21");
}

TEST(Base64, OwnAlphabetAndPadding) {
    struct Case {
        std::string bytes;
        const char* encoded;
    };
    const Case cases[] = {
        {"", ""},
        {"abc", "YWJj"},
        {"a", "YQ=="},
        {"ab", "YWI="},
        {"\xFB\xFF", "@!8="},
        {"\xFB\xEF\xBE", "@@@@"},
        {"\xFF\xFF\xFF", "!!!!"},
        {"\x80", "gA=="},
        {std::string("\0\0\0\0", 4), "AAAAAA=="},
        {"Man is distinguished", "TWFuIGlzIGRpc3Rpbmd1aXNoZWQ="},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Base64Encode(c.bytes.data(), c.bytes.size()), c.encoded) << c.encoded;
    }
}

}  // namespace
