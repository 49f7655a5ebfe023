// Field-by-field little-endian encoding of the stored records, and the 10-byte extended float.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "model/UTypes.h"

namespace tervanix {

// Raised by ByteReader when a record or count runs past the bytes that remain.
class EReadError : public EQCError {
public:
    EReadError() : EQCError("Unexpected end of file") {}
};

// 10-byte x87 extended precision: 8-byte mantissa with explicit integer bit, then sign and exponent.
std::array<std::uint8_t, 10> EncodeExtended(long double value);
long double DecodeExtended(const std::uint8_t* bytes);

class ByteWriter {
public:
    void U8(std::uint8_t v) { bytes_.push_back(static_cast<char>(v)); }
    void I32(std::int32_t v);
    void U32(std::uint32_t v);
    void F32(float v);
    void F64(double v);
    void Extended(long double v);
    void Bytes(std::span<const std::uint8_t> b) { bytes_.append(reinterpret_cast<const char*>(b.data()), b.size()); }
    void Zeros(std::size_t n) { bytes_.append(n, '\0'); }
    void Raw(std::string_view b) { bytes_.append(b); }
    // Length byte and a fixed space of capacity characters (unused characters written as zeros).
    void Short(const std::string& text, std::size_t capacity);
    template <std::size_t N> void Short(const ShortString<N>& s) { Short(s.str(), N); }
    // int32 length followed by the bytes.
    void Counted(std::string_view text);

    void Reserve(std::size_t n) { bytes_.reserve(n); }
    std::size_t size() const { return bytes_.size(); }
    const std::string& bytes() const { return bytes_; }
    std::string take() { return std::move(bytes_); }

private:
    std::string bytes_;
};

// Reads from a byte span; every read checks the bytes that remain and throws EReadError.
class ByteReader {
public:
    explicit ByteReader(std::string_view bytes) : data_(bytes) {}
    // The reader keeps a view: a temporary string would be gone before the first read.
    explicit ByteReader(std::string&&) = delete;
    std::uint8_t U8();
    std::int32_t I32();
    std::uint32_t U32();
    float F32();
    double F64();
    long double Extended();
    std::string_view Bytes(std::size_t n);
    template <std::size_t N> std::array<std::uint8_t, N> Array() {
        std::array<std::uint8_t, N> a{};
        const auto b = Bytes(N);
        for (std::size_t i = 0; i < N; ++i) a[i] = static_cast<std::uint8_t>(b[i]);
        return a;
    }
    void Skip(std::size_t n) { Bytes(n); }
    std::string Short(std::size_t capacity);
    template <std::size_t N> ShortString<N> Short() { return ShortString<N>(Short(N)); }
    std::string Counted();
    // A count of records of recordSize bytes each that must fit in what remains.
    std::int32_t Count(std::size_t recordSize);

    std::size_t remaining() const { return data_.size() - pos_; }
    std::size_t position() const { return pos_; }
    bool atEnd() const { return pos_ == data_.size(); }

private:
    std::string_view data_;
    std::size_t pos_ = 0;
};

// Record codecs, at the offsets and widths of the files.
constexpr std::size_t LevelResultSize = 8;
constexpr std::size_t QCPointSize = 44;
constexpr std::size_t MaterialSize = 36;
constexpr std::size_t SettingsSize = 40;
constexpr std::size_t QueueHeadSize = 33;
constexpr std::size_t LevelBlockSize = 30;
constexpr std::size_t FormatTagSize = 9;

void WriteLevelResult(ByteWriter& w, const TLevelResult& r);
TLevelResult ReadLevelResult(ByteReader& r);
void WriteQCPoint(ByteWriter& w, const TQCPoint& p);
TQCPoint ReadQCPoint(ByteReader& r);
void WriteMaterial(ByteWriter& w, const TMaterial& m);
TMaterial ReadMaterial(ByteReader& r);
void WriteSettings(ByteWriter& w, const TSettings& s);
TSettings ReadSettings(ByteReader& r);
// The 33 raw bytes of a queued run: flag, padding, date-time, three levels less the last padding.
void WriteQueueHead(ByteWriter& w, const TResu& e);
void ReadQueueHead(ByteReader& r, TResu& e);
// Mean, AlertHalfWidth and ActionHalfWidth as three extended values.
void WriteLevelBlock(ByteWriter& w, const TLevelStats& s);
void ReadLevelBlock(ByteReader& r, TLevelStats& s);
// The in-memory image of a TLevelStats record, first `count` bytes (at most 89).
void WriteStatsImage(ByteWriter& w, const TLevelStats& s, std::size_t count);
void ReadStatsImage(ByteReader& r, TLevelStats& s, std::size_t count);
void WriteFormatTag(ByteWriter& w);
std::array<std::uint8_t, 9> ReadFormatTag(ByteReader& r);

} // namespace tervanix
