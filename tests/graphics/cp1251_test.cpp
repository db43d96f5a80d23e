#include "graphics/cp1251.h"

#include <gtest/gtest.h>

namespace pictorand {
namespace {

TEST(Cp1251, CyrillicAndSpecialLettersRoundTrip) {
    const std::string text = "Привет Ёё №1 abc";
    const std::string encoded = Utf8ToCp1251(text);
    EXPECT_EQ(encoded.size(), Utf8Length(text));
    EXPECT_EQ(static_cast<unsigned char>(encoded[0]), 0xCF);  // П
    EXPECT_EQ(static_cast<unsigned char>(encoded[7]), 0xA8);  // Ё
    EXPECT_EQ(static_cast<unsigned char>(encoded[8]), 0xB8);  // ё
    EXPECT_EQ(Cp1251ToUtf8(encoded), text);
}

TEST(Cp1251, UnrepresentableAndMalformedBecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToCp1251("a\xE2\x98\x83" "b"), "a?b");  // snowman
    EXPECT_EQ(Utf8ToCp1251("\xFF"), "?");
    EXPECT_EQ(Utf8ToCp1251("\xD0"), "?") << "cut sequence";
}

TEST(Cp1251, PrefixCountsCharactersNotBytes) {
    EXPECT_EQ(Utf8Prefix("абвгд", 3), "абв");
    EXPECT_EQ(Utf8Prefix("ab", 5), "ab");
}

}  // namespace
}  // namespace pictorand
