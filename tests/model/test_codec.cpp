#include <gtest/gtest.h>

#include <cmath>

#include "model/UCodec.h"

using namespace tervanix;

namespace {
std::string Hex(const std::array<std::uint8_t, 10>& b) {
    std::string s;
    char buf[4];
    for (auto x : b) {
        std::snprintf(buf, sizeof buf, "%02X ", x);
        s += buf;
    }
    s.pop_back();
    return s;
}
} // namespace

TEST(ExtendedCodec, KnownBytePatterns) {
    EXPECT_EQ(Hex(EncodeExtended(1.5L)), "00 00 00 00 00 00 00 C0 FF 3F");
    EXPECT_EQ(Hex(EncodeExtended(0.0L)), "00 00 00 00 00 00 00 00 00 00");
    EXPECT_EQ(Hex(EncodeExtended(-1.5L)), "00 00 00 00 00 00 00 C0 FF BF");
    EXPECT_EQ(Hex(EncodeExtended(1.0L)), "00 00 00 00 00 00 00 80 FF 3F");
    // 1e10 = 0x2540BE400 = 1.00101010000001011111001000000000b x 2^33
    EXPECT_EQ(Hex(EncodeExtended(1e10L)), "00 00 00 00 00 F9 02 95 20 40");
    EXPECT_EQ(Hex(EncodeExtended(-1e10L)), "00 00 00 00 00 F9 02 95 20 C0");
}

TEST(ExtendedCodec, RoundTripsExactly) {
    for (long double v : {0.0L, 1.5L, -2.25L, 1e10L, -1e10L, 3.14159265358979323846L, 1e-4000L, 1e4000L,
                          -0.1L, 12.3f * 1.0L}) {
        const auto bytes = EncodeExtended(v);
        EXPECT_EQ(DecodeExtended(bytes.data()), v) << static_cast<double>(v);
    }
    const auto negZero = EncodeExtended(-0.0L);
    EXPECT_TRUE(std::signbit(DecodeExtended(negZero.data())));
    const auto inf = EncodeExtended(INFINITY);
    EXPECT_TRUE(std::isinf(DecodeExtended(inf.data())));
}

TEST(ByteReader, RefusesToReadPastTheEnd) {
    ByteWriter w;
    w.I32(5);
    w.Raw("abc");
    ByteReader r(w.bytes());
    EXPECT_THROW(r.Counted(), EReadError); // length 5 with 3 bytes left
    const std::string negative("\xFF\xFF\xFF\xFF", 4), tooMany("\x00\x00\x00\x10", 4);
    ByteReader neg(negative);
    EXPECT_THROW(neg.Counted(), EReadError);
    ByteReader huge(tooMany);
    EXPECT_THROW(huge.Count(44), EReadError);
}

TEST(RecordCodec, ShortStringsKeepAtMostTheirCapacity) {
    ShortString<15> name("ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(name.str(), "ABCDEFGHIJKLMNO");
    ByteWriter w;
    w.Short(name);
    ASSERT_EQ(w.size(), 16u);
    EXPECT_EQ(w.bytes()[0], 15);
    // A damaged length byte cannot reach past the field.
    std::string bytes = w.bytes();
    bytes[0] = static_cast<char>(200);
    ByteReader r(bytes);
    EXPECT_EQ(r.Short<15>().str(), "ABCDEFGHIJKLMNO");
    EXPECT_TRUE(r.atEnd());
}

TEST(RecordCodec, QCPointLayout) {
    TQCPoint p;
    p.DateTime = 1.5;
    p.Levels[0] = {2.0f, qsHighAlert, {}};
    p.Levels[1] = {0, qsNoValue, {}};
    p.Levels[2] = {-1.0f, qsDiscarded, {}};
    p.CommentId = 7;
    p.Operator = "ABCDE";
    ByteWriter w;
    WriteQCPoint(w, p);
    const std::string& b = w.bytes();
    ASSERT_EQ(b.size(), QCPointSize);
    EXPECT_EQ(static_cast<unsigned char>(b[7]), 0x3F); // 1.5 as a double: 3F F8 00..
    EXPECT_EQ(static_cast<unsigned char>(b[6]), 0xF8);
    EXPECT_EQ(static_cast<unsigned char>(b[11]), 0x40); // 2.0f = 00 00 00 40
    EXPECT_EQ(b[12], qsHighAlert);
    EXPECT_EQ(b[20], qsNoValue);
    EXPECT_EQ(b[28], qsDiscarded);
    EXPECT_EQ(b[32], 7);
    EXPECT_EQ(b[36], 4);
    EXPECT_EQ(b.substr(37, 4), "ABCD");
    ByteReader r(b);
    const TQCPoint back = ReadQCPoint(r);
    EXPECT_EQ(back.DateTime, 1.5);
    EXPECT_EQ(back.Levels, p.Levels);
    EXPECT_EQ(back.CommentId, 7);
    EXPECT_EQ(back.Operator.str(), "ABCD");
}

TEST(RecordCodec, SettingsAndMaterialWidths) {
    TSettings s = DefaultSettings();
    s.Password = "secret";
    s.LastBackup = 45000.25;
    ByteWriter w;
    WriteSettings(w, s);
    const std::string& b = w.bytes();
    ASSERT_EQ(b.size(), SettingsSize);
    EXPECT_EQ(b[0], 1);
    EXPECT_EQ(b[2], 6);
    EXPECT_EQ(b.substr(3, 6), "secret");
    EXPECT_EQ(b[13], 'A');
    EXPECT_EQ(b[16], 7);
    EXPECT_EQ(b[28], 0);
    EXPECT_EQ(b[29], 4);
    EXPECT_EQ(b.substr(30, 3), "\x08"
                               "32");
    EXPECT_EQ(static_cast<unsigned char>(b[33]), 0xB5);
    ByteReader r(b);
    const TSettings back = ReadSettings(r);
    EXPECT_EQ(back.Password.str(), "secret");
    EXPECT_EQ(back.LastBackup, 45000.25);
    EXPECT_TRUE(HasFormatMagic(back.FormatTag));

    TMaterial m{3, 1, "Lyphocheck 1", "123456"};
    ByteWriter mw;
    WriteMaterial(mw, m);
    ASSERT_EQ(mw.size(), MaterialSize);
    EXPECT_EQ(mw.bytes()[4], 1);
    EXPECT_EQ(mw.bytes()[8], 12);
    EXPECT_EQ(mw.bytes()[24], 6);
    ByteReader mr(mw.bytes());
    const TMaterial mb = ReadMaterial(mr);
    EXPECT_EQ(mb.Name.str(), "Lyphocheck 1");
    EXPECT_EQ(mb.Lot.str(), "123456");
}

TEST(RecordCodec, StatsImageKeepsTheBytesBeyondThePrefix) {
    TLevelStats s;
    s.Mean = 5;
    s.Max = 9;
    s.N = 12;
    ByteWriter w;
    WriteStatsImage(w, s, 49);
    ASSERT_EQ(w.size(), 49u);
    TLevelStats target;
    target.N = 3;
    ByteReader r(w.bytes());
    ReadStatsImage(r, target, 49);
    EXPECT_EQ(target.Mean, 5);
    EXPECT_EQ(target.N, 3); // beyond the stored prefix
}
