#include "model/UCodec.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

namespace tervanix {
namespace {

// Little-endian loads and stores, byte by byte: right on any CPU, a single move on x86-64.
std::uint32_t LoadU32(const std::uint8_t* b) {
    return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
           static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

std::uint64_t LoadU64(const std::uint8_t* b) { return LoadU32(b) | static_cast<std::uint64_t>(LoadU32(b + 4)) << 32; }

void StoreU32(std::uint8_t* b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void StoreU64(std::uint8_t* b, std::uint64_t v) {
    StoreU32(b, static_cast<std::uint32_t>(v));
    StoreU32(b + 4, static_cast<std::uint32_t>(v >> 32));
}

const std::uint8_t* Unsigned(std::string_view bytes) { return reinterpret_cast<const std::uint8_t*>(bytes.data()); }

// The fields of the records that a large data file holds a million of: points and their levels
// are decoded from one checked span instead of field by field.
TLevelResult LevelResultAt(const std::uint8_t* b) {
    return {std::bit_cast<float>(LoadU32(b)), b[4], {b[5], b[6], b[7]}};
}

void StoreLevelResult(std::uint8_t* b, const TLevelResult& r) {
    StoreU32(b, std::bit_cast<std::uint32_t>(r.Value));
    b[4] = r.Status;
    std::copy(r.Padding.begin(), r.Padding.end(), b + 5);
}

} // namespace

std::array<std::uint8_t, 10> EncodeExtended(long double value) {
    std::array<std::uint8_t, 10> out{};
    std::uint16_t signExp = std::signbit(value) ? 0x8000 : 0;
    std::uint64_t mantissa = 0;
    if (std::isnan(value)) {
        signExp |= 0x7FFF;
        mantissa = 0xC000000000000000ULL;
    } else if (std::isinf(value)) {
        signExp |= 0x7FFF;
        mantissa = 0x8000000000000000ULL;
    } else if (value != 0) {
        int exp = 0;
        const long double frac = std::frexp(std::fabs(value), &exp); // value = frac * 2^exp, frac in [0.5, 1)
        int biased = exp - 1 + 16383;
        long double scaled = std::ldexp(frac, 64); // 64 significant bits with the integer bit on top
        if (biased <= 0) {                        // denormal: integer bit clear, fixed exponent
            scaled = std::ldexp(scaled, biased - 1);
            biased = 0;
        }
        mantissa = static_cast<std::uint64_t>(scaled);
        signExp |= static_cast<std::uint16_t>(biased);
    }
    for (int i = 0; i < 8; ++i) out[i] = static_cast<std::uint8_t>(mantissa >> (8 * i));
    out[8] = static_cast<std::uint8_t>(signExp);
    out[9] = static_cast<std::uint8_t>(signExp >> 8);
    return out;
}

long double DecodeExtended(const std::uint8_t* b) {
    std::uint64_t mantissa = 0;
    for (int i = 7; i >= 0; --i) mantissa = (mantissa << 8) | b[i];
    const std::uint16_t signExp = static_cast<std::uint16_t>(b[8] | (b[9] << 8));
    const bool negative = signExp & 0x8000;
    const int exp = signExp & 0x7FFF;
    long double v;
    if (exp == 0x7FFF) {
        v = (mantissa << 1) == 0 ? std::numeric_limits<long double>::infinity()
                                 : std::numeric_limits<long double>::quiet_NaN();
    } else {
        // A denormal uses the exponent of the smallest normal value.
        v = std::ldexp(static_cast<long double>(mantissa), (exp == 0 ? 1 : exp) - 16383 - 63);
    }
    return negative ? -v : v;
}

void ByteWriter::I32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }

void ByteWriter::U32(std::uint32_t v) {
    const char b[4] = {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                       static_cast<char>(v >> 24)};
    bytes_.append(b, 4);
}

void ByteWriter::F32(float v) { U32(std::bit_cast<std::uint32_t>(v)); }

void ByteWriter::F64(double v) {
    const auto bits = std::bit_cast<std::uint64_t>(v);
    U32(static_cast<std::uint32_t>(bits));
    U32(static_cast<std::uint32_t>(bits >> 32));
}

void ByteWriter::Extended(long double v) { Bytes(EncodeExtended(v)); }

void ByteWriter::Short(const std::string& text, std::size_t capacity) {
    const std::size_t n = std::min(text.size(), capacity);
    U8(static_cast<std::uint8_t>(n));
    bytes_.append(text, 0, n);
    Zeros(capacity - n);
}

void ByteWriter::Counted(std::string_view text) {
    I32(static_cast<std::int32_t>(text.size()));
    Raw(text);
}

std::string_view ByteReader::Bytes(std::size_t n) {
    if (n > remaining()) throw EReadError();
    const auto out = data_.substr(pos_, n);
    pos_ += n;
    return out;
}

std::uint8_t ByteReader::U8() { return static_cast<std::uint8_t>(Bytes(1)[0]); }

std::uint32_t ByteReader::U32() { return LoadU32(Unsigned(Bytes(4))); }

std::int32_t ByteReader::I32() { return static_cast<std::int32_t>(U32()); }

float ByteReader::F32() { return std::bit_cast<float>(U32()); }

double ByteReader::F64() { return std::bit_cast<double>(LoadU64(Unsigned(Bytes(8)))); }

long double ByteReader::Extended() { return DecodeExtended(Unsigned(Bytes(10))); }

std::string ByteReader::Short(std::size_t capacity) {
    const std::size_t len = U8();
    const auto chars = Bytes(capacity);
    // A damaged length cannot reach past the fixed space of the field.
    return std::string(chars.substr(0, std::min(len, capacity)));
}

std::string ByteReader::Counted() {
    const std::int32_t len = I32();
    if (len < 0 || static_cast<std::size_t>(len) > remaining()) throw EReadError();
    return std::string(Bytes(static_cast<std::size_t>(len)));
}

std::int32_t ByteReader::Count(std::size_t recordSize) {
    const std::int32_t n = I32();
    if (n < 0 || (recordSize > 0 && static_cast<std::size_t>(n) > remaining() / recordSize)) throw EReadError();
    return n;
}

void WriteLevelResult(ByteWriter& w, const TLevelResult& r) {
    std::array<std::uint8_t, LevelResultSize> b;
    StoreLevelResult(b.data(), r);
    w.Bytes(b);
}

TLevelResult ReadLevelResult(ByteReader& r) { return LevelResultAt(Unsigned(r.Bytes(LevelResultSize))); }

// Offsets: date-time 0, levels 8, 16, 24, comment id 32, operator 36 (length byte and 4 characters,
// unused ones zero), padding 41.
void WriteQCPoint(ByteWriter& w, const TQCPoint& p) {
    std::array<std::uint8_t, QCPointSize> b{};
    StoreU64(b.data(), std::bit_cast<std::uint64_t>(p.DateTime));
    for (std::size_t i = 0; i < p.Levels.size(); ++i) StoreLevelResult(b.data() + 8 + i * LevelResultSize, p.Levels[i]);
    StoreU32(b.data() + 32, static_cast<std::uint32_t>(p.CommentId));
    const std::string_view op = p.Operator.view();
    b[36] = static_cast<std::uint8_t>(op.size());
    std::copy(op.begin(), op.end(), b.begin() + 37);
    std::copy(p.Padding.begin(), p.Padding.end(), b.begin() + 41);
    w.Bytes(b);
}

TQCPoint ReadQCPoint(ByteReader& r) {
    const std::uint8_t* b = Unsigned(r.Bytes(QCPointSize));
    TQCPoint p;
    p.DateTime = std::bit_cast<double>(LoadU64(b));
    for (std::size_t i = 0; i < p.Levels.size(); ++i) p.Levels[i] = LevelResultAt(b + 8 + i * LevelResultSize);
    p.CommentId = static_cast<std::int32_t>(LoadU32(b + 32));
    // A damaged length cannot reach past the field's four characters.
    p.Operator = std::string_view(reinterpret_cast<const char*>(b + 37), std::min<std::size_t>(b[36], 4));
    p.Padding = {b[41], b[42], b[43]};
    return p;
}

void WriteMaterial(ByteWriter& w, const TMaterial& m) {
    w.I32(m.Id);
    w.I32(m.ChangeFlag);
    w.Short(m.Name);
    w.Short(m.Lot);
    w.Zeros(1);
}

TMaterial ReadMaterial(ByteReader& r) {
    TMaterial m;
    m.Id = r.I32();
    m.ChangeFlag = r.I32();
    m.Name = r.Short<15>();
    m.Lot = r.Short<10>();
    r.Skip(1);
    return m;
}

void WriteSettings(ByteWriter& w, const TSettings& s) {
    w.U8(s.ShowAboutAtStart);
    w.U8(s.PrintInColour);
    w.Short(s.Password);
    w.U8(static_cast<std::uint8_t>(s.BackupDrive));
    w.Zeros(2);
    w.I32(s.BackupIntervalDays);
    w.F64(s.LastBackup);
    w.U8(s.AlertRisk);
    w.U8(s.ActionRisk);
    w.Bytes(s.FormatTag);
    w.Zeros(1);
}

TSettings ReadSettings(ByteReader& r) {
    TSettings s;
    s.ShowAboutAtStart = r.U8();
    s.PrintInColour = r.U8();
    s.Password = r.Short<10>();
    s.BackupDrive = static_cast<char>(r.U8());
    r.Skip(2);
    s.BackupIntervalDays = r.I32();
    s.LastBackup = r.F64();
    s.AlertRisk = r.U8();
    s.ActionRisk = r.U8();
    s.FormatTag = r.Array<9>();
    r.Skip(1);
    return s;
}

void WriteQueueHead(ByteWriter& w, const TResu& e) {
    w.U8(e.StandaloneFlag);
    w.Zeros(3);
    w.F64(e.DateTime);
    for (int i = 0; i < MaxLevels; ++i) {
        w.F32(e.Levels[i].Value);
        w.U8(e.Levels[i].Status);
        if (i < MaxLevels - 1) w.Bytes(e.Levels[i].Padding);
    }
}

void ReadQueueHead(ByteReader& r, TResu& e) {
    e.StandaloneFlag = r.U8();
    r.Skip(3);
    e.DateTime = r.F64();
    for (int i = 0; i < MaxLevels; ++i) {
        e.Levels[i].Value = r.F32();
        e.Levels[i].Status = r.U8();
        e.Levels[i].Padding = i < MaxLevels - 1 ? r.Array<3>() : std::array<std::uint8_t, 3>{};
    }
}

void WriteLevelBlock(ByteWriter& w, const TLevelStats& s) {
    w.Extended(s.Mean);
    w.Extended(s.AlertHalfWidth);
    w.Extended(s.ActionHalfWidth);
}

void ReadLevelBlock(ByteReader& r, TLevelStats& s) {
    s.Mean = r.Extended();
    s.AlertHalfWidth = r.Extended();
    s.ActionHalfWidth = r.Extended();
}

namespace {
constexpr std::size_t StatsImageSize = 89;

std::string StatsImage(const TLevelStats& s) {
    ByteWriter w;
    for (long double v : {s.Mean, s.AlertHalfWidth, s.ActionHalfWidth, s.Min, s.Max, s.ChartLow, s.ChartHigh})
        w.Extended(v);
    w.Zeros(2);
    w.I32(s.N);
    w.I32(s.DiscardedCount);
    w.I32(s.DegreesOfFreedom);
    w.F32(s.CV);
    w.U8(s.Status);
    return w.take();
}
} // namespace

void WriteStatsImage(ByteWriter& w, const TLevelStats& s, std::size_t count) {
    w.Raw(std::string_view(StatsImage(s)).substr(0, std::min(count, StatsImageSize)));
}

void ReadStatsImage(ByteReader& r, TLevelStats& s, std::size_t count) {
    count = std::min(count, StatsImageSize);
    std::string image = StatsImage(s);
    const auto stored = r.Bytes(count);
    std::memcpy(image.data(), stored.data(), count);
    ByteReader ir(image);
    for (long double* v : {&s.Mean, &s.AlertHalfWidth, &s.ActionHalfWidth, &s.Min, &s.Max, &s.ChartLow, &s.ChartHigh})
        *v = ir.Extended();
    ir.Skip(2);
    s.N = ir.I32();
    s.DiscardedCount = ir.I32();
    s.DegreesOfFreedom = ir.I32();
    s.CV = ir.F32();
    s.Status = ir.U8();
}

void WriteFormatTag(ByteWriter& w) { w.Bytes(CurrentFormatTag()); }

std::array<std::uint8_t, 9> ReadFormatTag(ByteReader& r) { return r.Array<9>(); }

} // namespace tervanix
