#include "platform/Encoding.h"

#include <gtest/gtest.h>

namespace {
const std::string kResultText = "フォーカス合成結果"; // nine double-byte characters
const std::string kHalfWidth = "ﾌｫｰｶｽ";               // five single-byte kana
} // namespace

TEST(Encoding, JapaneseTextRoundTripsWithTheCp932Bytes) {
    bool ok = false;
    std::string sjis = Utf8ToCp932(kResultText, &ok);
    EXPECT_TRUE(ok);
    ASSERT_EQ(sjis.size(), 18u);
    EXPECT_EQ(sjis.substr(0, 4), "\x83\x74\x83\x48"); // フ ォ
    EXPECT_EQ(Cp932ToUtf8(sjis, &ok), kResultText);
    EXPECT_TRUE(ok);

    std::string kana = Utf8ToCp932(kHalfWidth);
    EXPECT_EQ(kana, "\xCC\xAB\xB0\xB6\xBD");
    EXPECT_EQ(Cp932ToUtf8(kana), kHalfWidth);

    std::string mixed = "ABC " + kHalfWidth + " " + kResultText + ".bmp";
    EXPECT_EQ(Cp932ToUtf8(Utf8ToCp932(mixed)), mixed);
    EXPECT_EQ(Utf8ToCp932(""), "");
    // Characters of the code page that differ from plain Shift-JIS.
    EXPECT_EQ(Utf8ToCp932("～①"), "\x81\x60\x87\x40");
}

TEST(Encoding, UnconvertibleAndInvalidInputIsMarkedAndReplaced) {
    bool ok = true;
    EXPECT_EQ(Utf8ToCp932("a\xF0\x9F\x98\x80"
                          "b",
                          &ok),
              "a?b"); // an emoji has no CP932 form
    EXPECT_FALSE(ok);
    EXPECT_EQ(Utf8ToCp932("x\xC3", &ok), "x?"); // cut UTF-8 sequence
    EXPECT_FALSE(ok);
    ok = true;
    EXPECT_EQ(Cp932ToUtf8("a\x83", &ok), "a\xEF\xBF\xBD"); // lead byte without its second byte
    EXPECT_FALSE(ok);
    std::string afterBad = Cp932ToUtf8("\xFD"
                                       "A",
                                       &ok); // 0xFD is no CP932 character
    EXPECT_FALSE(ok);
    EXPECT_EQ(afterBad.back(), 'A');
}

TEST(Encoding, CutNeverSplitsADoubleByteCharacter) {
    std::string sjis = Utf8ToCp932(kResultText);
    EXPECT_EQ(Cp932FitLength(sjis, 18), 18u);
    EXPECT_EQ(Cp932FitLength(sjis, 17), 16u);
    EXPECT_EQ(Cp932FitLength(sjis, 1), 0u);
    EXPECT_EQ(Cp932ToUtf8(Cp932Cut(sjis, 5)), "フォ");

    std::string kana = Utf8ToCp932(kHalfWidth); // half-width kana are single bytes in the lead range gap
    EXPECT_EQ(Cp932FitLength(kana, 3), 3u);

    std::string mixed = Utf8ToCp932("Aﾌ合B"); // 1 + 1 + 2 + 1 bytes
    EXPECT_EQ(Cp932FitLength(mixed, 3), 2u);
    EXPECT_EQ(Cp932FitLength(mixed, 4), 4u);
    EXPECT_EQ(Cp932FitLength(std::string("ab\x83"), 10), 2u); // a lone lead byte at the end
    EXPECT_EQ(Utf8ToCp932Cut("合成結果", 7), Utf8ToCp932("合成結"));
}
