#include <gtest/gtest.h>

#include "main/UAnsi.h"

namespace tervanix {
namespace {

TEST(Ansi, UnitsAndEuroKeepTheirWindowsBytes) {
    EXPECT_EQ(ToAnsi(QStringLiteral("µmol/L")), std::string("\xB5mol/L"));
    EXPECT_EQ(FromAnsi("\xB5mol/L"), QStringLiteral("µmol/L"));
    EXPECT_EQ(ToAnsi(QStringLiteral("€")), std::string("\x80"));
    EXPECT_EQ(FromAnsi("\x80"), QStringLiteral("€"));
    EXPECT_EQ(FromAnsi("\x9F\x8A"), QStringLiteral("ŸŠ"));
}

TEST(Ansi, EveryByteSurvivesTheRoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    const QString text = FromAnsi(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(ToAnsi(text), all);
    // Undefined bytes become the control character of the same number.
    EXPECT_EQ(text[0x81].unicode(), 0x81);
    EXPECT_EQ(text[0x9D].unicode(), 0x9D);
}

TEST(Ansi, CharactersWithoutCodeBecomeOneQuestionMarkEach) {
    EXPECT_EQ(ToAnsi(QStringLiteral("Ω-x")), "?-x");
    EXPECT_EQ(ToAnsi(QString::fromUcs4(U"a\U0001F600b")), "a?b"); // outside the basic plane
    EXPECT_EQ(ToAnsi(QString(QChar(0x80))), "?");                // a C1 control whose byte is taken
    EXPECT_EQ(ToAnsi(QString(QChar(0xD800)) + QStringLiteral("x")), "?x"); // a lone surrogate
    EXPECT_FALSE(HasAnsiCode(0xD800));
    EXPECT_TRUE(HasAnsiCode(U'?'));
    EXPECT_TRUE(HasAnsiCode(0));
    EXPECT_FALSE(HasAnsiCode(U'Ω'));
    EXPECT_TRUE(HasAnsiCode(U'Ÿ'));
}

} // namespace
} // namespace tervanix
