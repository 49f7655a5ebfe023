#include <gtest/gtest.h>

#include "model/UAnsiText.h"

using namespace tervanix;

TEST(AnsiText, EveryByteSurvivesTheRoundTripThroughUtf8) {
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(all)), all);
}

TEST(AnsiText, WindowsCharactersMapBothWays) {
    EXPECT_EQ(AnsiToUtf8("\xB5mol/L"), "\xC2\xB5mol/L");          // micro sign
    EXPECT_EQ(AnsiToUtf8("\x80"), "\xE2\x82\xAC");                 // euro sign
    EXPECT_EQ(AnsiToUtf8("\x81"), "\xC2\x81");                     // undefined byte keeps its C1 control
    EXPECT_EQ(Utf8ToAnsi("\xE2\x80\x9C" "x\xE2\x80\x9D"), "\x93x\x94"); // curly quotes
}

TEST(AnsiText, CharactersWithoutCodeAndMalformedInputBecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToAnsi("\xC5\x82" "a"), "?a");           // l with stroke: no Windows-1252 code
    EXPECT_EQ(Utf8ToAnsi("\xF0\x9F\x98\x80"), "?");         // one character outside the BMP
    EXPECT_EQ(Utf8ToAnsi("a\xC3"), "a?");                   // truncated sequence
    EXPECT_EQ(Utf8ToAnsi("\xC0\xAF"), "??");                // overlong encoding of '/'
    EXPECT_EQ(Utf8ToAnsi("\xED\xA0\x80"), "???");           // surrogate
}
