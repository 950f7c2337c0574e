// OEM code page conversion: GBK round trips of Chinese text, cutting at character
// boundaries, invalid bytes replaced without losing the rest, other code pages, threads.
#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>
#include <vector>

#include "platform/CodePage.h"

using platform::OemToUtf8;
using platform::Utf8ToOem;

namespace {

const std::string kCaptionUtf8 = "税控读入";
const std::string kCaptionGbk = "\xCB\xB0\xBF\xD8\xB6\xC1\xC8\xEB";

}  // namespace

TEST(CodePage, DefaultIsGbk) { EXPECT_EQ(platform::OemCodePage(), "CP936"); }

TEST(CodePage, ChineseTextRoundTripsThroughGbk) {
    EXPECT_EQ(Utf8ToOem(kCaptionUtf8), kCaptionGbk);
    EXPECT_EQ(OemToUtf8(kCaptionGbk), kCaptionUtf8);
    const std::string mixed = "卷烟 No.5 中华(硬) 45.00元";
    EXPECT_EQ(OemToUtf8(Utf8ToOem(mixed)), mixed);
    EXPECT_EQ(Utf8ToOem(mixed).size(), 14u + 6u * 2u);  // six Chinese characters of two bytes
}

TEST(CodePage, TrailBytesThatLookLikeAsciiLettersStayInTheirCharacter) {
    // As stored by another xBase program in the fixtures: 價格 and 發票.
    EXPECT_EQ(OemToUtf8("\x83\x72\xB8\xF1"), "價格");
    EXPECT_EQ(OemToUtf8("\xB0\x6C\xC6\xB1"), "發票");
    EXPECT_EQ(Utf8ToOem("價格"), "\x83\x72\xB8\xF1");
    EXPECT_EQ(Utf8ToOem("價格", "CP936", 3), "\x83\x72");
}

TEST(CodePage, AsciiPassesUnchanged) {
    const std::string ascii("FA_PIAO 12.50 \x01\x7f", 16);
    EXPECT_EQ(OemToUtf8(ascii), ascii);
    EXPECT_EQ(Utf8ToOem(ascii), ascii);
    EXPECT_EQ(OemToUtf8(""), "");
    EXPECT_EQ(Utf8ToOem(""), "");
    EXPECT_EQ(OemToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(CodePage, CutEndsOnAWholeCharacter) {
    EXPECT_EQ(Utf8ToOem(kCaptionUtf8, "CP936", 8), kCaptionGbk);
    EXPECT_EQ(Utf8ToOem(kCaptionUtf8, "CP936", 7), kCaptionGbk.substr(0, 6));
    EXPECT_EQ(Utf8ToOem(kCaptionUtf8, "CP936", 3), kCaptionGbk.substr(0, 2));
    EXPECT_EQ(Utf8ToOem(kCaptionUtf8, "CP936", 1), "");
    EXPECT_EQ(Utf8ToOem(kCaptionUtf8, "CP936", 0), "");
    EXPECT_EQ(Utf8ToOem("ab税", "CP936", 3), "ab");
    EXPECT_EQ(Utf8ToOem("ab税", "CP936", 4), "ab\xCB\xB0");
    EXPECT_EQ(Utf8ToOem("abcdef", "CP936", 4), "abcd");
    EXPECT_EQ(Utf8ToOem("a\xFF"
                        "bcd",
                        "CP936", 3),
              "a?b");
}

TEST(CodePage, InvalidOemBytesBecomeQuestionMarks) {
    EXPECT_EQ(OemToUtf8("ab\xFF"
                        "cd"),
              "ab?cd");
    // A lead byte cut off at the end of the value.
    EXPECT_EQ(OemToUtf8("ab\xCB"), "ab?");
    // A lead byte followed by no trail byte: the following character survives.
    EXPECT_EQ(OemToUtf8("\xCB"
                        " x"),
              "? x");
    // A double-byte code without a character is one replacement, not two.
    EXPECT_EQ(OemToUtf8("\xAA\xA1"
                        "A"),
              "?A");
}

TEST(CodePage, InvalidOrUnmappableUtf8BecomesOneQuestionMarkPerCharacter) {
    EXPECT_EQ(Utf8ToOem("a\xFF"
                        "b"),
              "a?b");
    EXPECT_EQ(Utf8ToOem("a\xE7\xA8"), "a?");  // cut-off sequence at the end
    EXPECT_EQ(Utf8ToOem("税\xF0\x9F\x98\x80控"), "\xCB\xB0?\xBF\xD8");  // emoji: no GBK code
    EXPECT_EQ(Utf8ToOem("\xC0\xAF"
                        "x"),
              "??x");  // overlong: bytes invalid
}

TEST(CodePage, OtherCodePagesByIconvName) {
    EXPECT_EQ(OemToUtf8("\xC4\xB3", "CP437"), "─│");
    EXPECT_EQ(Utf8ToOem("Müller", "CP850"), "M\x81ller");
    EXPECT_EQ(OemToUtf8("M\x81ller", "CP850"), "Müller");
    EXPECT_EQ(Utf8ToOem("税", "CP437"), "?");
}

TEST(CodePage, SettingChangesTheDefaultAndUnknownNamesAreRefused) {
    const std::string& before = platform::OemCodePage();
    platform::SetOemCodePage("CP850");
    EXPECT_EQ(platform::OemCodePage(), "CP850");
    EXPECT_EQ(before, "CP936");  // earlier references stay valid
    EXPECT_EQ(OemToUtf8("\x81"), "ü");
    EXPECT_THROW(platform::SetOemCodePage("NO-SUCH-CODE-PAGE"), std::invalid_argument);
    EXPECT_EQ(platform::OemCodePage(), "CP850");
    platform::SetOemCodePage("CP936");
    EXPECT_EQ(OemToUtf8(kCaptionGbk), kCaptionUtf8);
    EXPECT_THROW(OemToUtf8("\x81", "NO-SUCH-CODE-PAGE"), std::invalid_argument);
}

TEST(CodePage, RepeatedAndManyDifferentTextsConvertAlike) {
    // More different texts than conversions are remembered, each converted several times,
    // under two code pages that read the same bytes differently.
    std::vector<std::string> texts;
    for (int i = 0; i < 300; ++i) texts.push_back(kCaptionGbk + std::to_string(i));
    for (int round = 0; round < 3; ++round) {
        for (std::size_t i = 0; i < texts.size(); ++i) {
            ASSERT_EQ(OemToUtf8(texts[i]), kCaptionUtf8 + std::to_string(i));
        }
        EXPECT_EQ(OemToUtf8("\xC4\xB3", "CP437"), "─│");
        EXPECT_EQ(OemToUtf8("\xC4\xB3", "CP936"), "某");
    }
    std::string longUtf8;
    for (int i = 0; i < 2000; ++i) longUtf8 += "鞍";
    EXPECT_EQ(OemToUtf8(std::string(4000, '\xB0')), longUtf8);
}

TEST(CodePage, ConvertsOnSeveralThreadsAtOnce) {
    std::vector<std::thread> threads;
    std::vector<int> failures(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &failures] {
            for (int i = 0; i < 2000; ++i) {
                const std::string text = kCaptionUtf8 + std::to_string(i);
                if (OemToUtf8(Utf8ToOem(text)) != text) ++failures[t];
                if (OemToUtf8("\xC4", "CP437") != "─") ++failures[t];
            }
        });
    }
    for (auto& thread : threads) thread.join();
    for (int f : failures) EXPECT_EQ(f, 0);
}
