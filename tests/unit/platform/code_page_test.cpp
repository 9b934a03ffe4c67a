// How the game's code page 932 texts and its file names are decoded, the
// same on every platform: the texts the window and the message boxes show,
// one U+FFFD per bad byte, and the conversion of file names for the sound
// loader.
#include <gtest/gtest.h>

#include <string>

#include "platform/sjis.h"
#include "platform/window.h"

namespace {

// "ぽこ丸ジグゾー", the window title, in code page 932.
const char kTitle[] = "\x82\xDB\x82\xB1\x8A\xDB\x83\x57\x83\x4F\x83\x5D\x81\x5B";

TEST(CodePage932, DecodesTheGameTextsToUtf8AndUtf32) {
    EXPECT_EQ(cp932_to_utf8(kTitle), "ぽこ丸ジグゾー");
    EXPECT_EQ(cp932_to_utf32(kTitle), U"ぽこ丸ジグゾー");
    // "初期化失敗", the caption of every start-up failure, after ASCII.
    EXPECT_EQ(cp932_to_utf8("DirectX \x8F\x89\x8A\xFA\x89\xBB\x8E\xB8\x94\x73"), "DirectX 初期化失敗");
    // Full-width digits and the long vowel mark, as the clocks draw them;
    // a half-width katakana is a single byte.
    EXPECT_EQ(cp932_to_utf32("\x82\x4F\x82\x58\x81\x5B\xB1"), U"０９ーｱ");
    EXPECT_EQ(cp932_to_utf8(""), "");
    EXPECT_EQ(cp932_to_utf8(nullptr), "");
}

TEST(CodePage932, ACountTakesOnlyThatManyBytes) {
    EXPECT_EQ(cp932_to_utf8(kTitle, 4), "ぽこ");
    EXPECT_EQ(cp932_to_utf32(kTitle, 0), U"");
    // Stopping inside a character leaves its lead byte alone: it is bad.
    EXPECT_EQ(cp932_to_utf32(kTitle, 5), U"ぽこ\uFFFD");
}

TEST(CodePage932, EachBadByteBecomesOneReplacementAndDecodingGoesOn) {
    // A lead byte followed by a byte that cannot trail it: the lead byte is
    // replaced, the next one is read afresh.
    EXPECT_EQ(cp932_to_utf32("\x82 A"), U"\uFFFD A");
    // A lead byte at the very end.
    EXPECT_EQ(cp932_to_utf32("A\x82"), U"A\uFFFD");
    // Good text on both sides of a bad byte survives intact.
    EXPECT_EQ(cp932_to_utf8("\x82\xDB\x82\x7F\x8A\xDB"), "ぽ\xEF\xBF\xBD\x7F丸");
}

TEST(FileNames, ConvertToUtf16AsTheSoundLoaderTakesThem) {
    WCHAR wide[260];
    // Zero-terminated: the terminator is converted and counted too.
    ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, "game/wave00.wav", -1, wide, 260), 16);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(wide)), u"game/wave00.wav");
    // Asking with no buffer gives the size needed; too small a buffer gets
    // nothing.
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "game/wave00.wav", -1, nullptr, 0), 16);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "game/wave00.wav", -1, wide, 8), 0);
    // Code page 932 by number, as the window texts are decoded.
    ASSERT_EQ(MultiByteToWideChar(932, 0, kTitle, -1, wide, 260), 8);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(wide)), u"ぽこ丸ジグゾー");
}

}  // namespace
