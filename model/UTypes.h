// Records shared by the whole program: runs, levels, statistics, materials and settings.
// Stored records keep the field order and widths of the files; their codecs are in UCodec.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tervanix {

// Date-time: days since 1899-12-30, the fraction is the time of day.
using TDateTime = double;

// A failure carrying the message shown to the operator.
class EQCError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Text of at most N characters, stored as a length byte and N characters.
// Texts are 8-bit (Windows-1252) bytes; assigning a longer text keeps its first N characters.
template <std::size_t N> class ShortString {
public:
    static_assert(N < 256);
    static constexpr std::size_t Capacity = N;
    ShortString() = default;
    ShortString(std::string_view text) { Assign(text); }
    ShortString(const char* text) { Assign(text); }
    ShortString(const std::string& text) { Assign(text); }
    void Assign(std::string_view text) {
        length_ = static_cast<std::uint8_t>(std::min(text.size(), N));
        std::copy_n(text.data(), length_, chars_.data());
    }
    std::string str() const { return std::string(view()); }
    std::string_view view() const { return std::string_view(chars_.data(), length_); }
    operator std::string() const { return str(); }
    bool empty() const { return length_ == 0; }
    std::size_t size() const { return length_; }
    friend bool operator==(const ShortString& a, const ShortString& b) { return a.view() == b.view(); }

private:
    // Fixed storage, as in the files: a point stays a small, trivially copied record.
    std::array<char, N> chars_{};
    std::uint8_t length_ = 0;
};

enum TLevelStatus : std::uint8_t {
    qsInControl = 0,
    qsHighAlert = 1,
    qsHighAction = 2,
    qsLowAlert = 3,
    qsLowAction = 4,
    qsDiscarded = 5,
    qsNoValue = 6,
};

constexpr int MaxLevels = 3;

// Value and status of one level of a run (8 bytes stored).
struct TLevelResult {
    float Value = 0;
    std::uint8_t Status = qsNoValue;
    std::array<std::uint8_t, 3> Padding{};
    friend bool operator==(const TLevelResult& a, const TLevelResult& b) {
        return a.Value == b.Value && a.Status == b.Status;
    }
};
using TLevelResults = std::array<TLevelResult, MaxLevels>;

// One stored run of one analyte (44 bytes stored).
struct TQCPoint {
    TDateTime DateTime = 0;
    TLevelResults Levels{};
    std::int32_t CommentId = -1;
    ShortString<4> Operator;
    std::array<std::uint8_t, 3> Padding{};
};

// A run in transit: typed in, queued, sent by a client or imported.
struct TResu {
    std::uint8_t StandaloneFlag = 1; // 0: sent level by level, later entries may fill its empty levels
    TDateTime DateTime = 0;
    TLevelResults Levels{};
    std::string Comment;
    std::string Operator;
    std::string AnalyteName;
};

// Statistics and limits of one level. Only the first 30 bytes (mean and half-widths) are stored
// on their own; the definition block of the data file also carries the first 49 bytes of level 1.
struct TLevelStats {
    long double Mean = 0;
    long double AlertHalfWidth = 0;
    long double ActionHalfWidth = 0;
    long double Min = 0;
    long double Max = 0;
    long double ChartLow = 0;
    long double ChartHigh = 0;
    std::int32_t N = 0;
    std::int32_t DiscardedCount = 0;
    std::int32_t DegreesOfFreedom = 0;
    float CV = 0;
    std::uint8_t Status = qsNoValue; // 0 = limits valid, qsNoValue = not computable
    // Set when the values overflow the statistics (a CV or a half-width that is not finite), as
    // opposed to too few values: the charts and printouts say "not computable" then. Not stored.
    bool NotComputable = false;
};

constexpr const char* NotComputableText = "not computable";

enum TLimitsMode : std::uint8_t { lmMobile = 0, lmLocked = 1, lmFixed = 2 };
constexpr std::array<const char*, 3> LimitsModeText = {"Mobile limits", "Locked limits", "Fixed limits"};
const char* LimitsModeName(std::uint8_t mode);

// TAnalyteOptions bits.
using TAnalyteOptions = std::uint8_t;
constexpr TAnalyteOptions aoWestgard = 1 << 0;
constexpr TAnalyteOptions aoCommonCV = 1 << 1;
constexpr TAnalyteOptions aoDefault = 1 << 2;

// Index into the Student factor table: 5%, 2%, 1%, 0.5%, 0.2% two-sided risk.
using TRiskIndex = std::uint8_t;
constexpr int RiskCount = 5;

// One control material and lot (36 bytes stored).
struct TMaterial {
    std::int32_t Id = -1;
    std::int32_t ChangeFlag = 0;
    ShortString<15> Name;
    ShortString<10> Lot;
};
// Returned for any material id that is not in the list.
const TMaterial& UnknownMaterial();

// The settings record (40 bytes stored).
struct TSettings {
    std::uint8_t ShowAboutAtStart = 1;
    std::uint8_t PrintInColour = 0;
    ShortString<10> Password;
    char BackupDrive = 'A';
    std::int32_t BackupIntervalDays = 7;
    TDateTime LastBackup = 0;
    TRiskIndex AlertRisk = 0;
    TRiskIndex ActionRisk = 4;
    std::array<std::uint8_t, 9> FormatTag{};
};

// The 9-byte tag that closes every data file section: length 8, version "32", magic.
constexpr std::array<std::uint8_t, 6> FormatMagic = {0xB5, 0xFE, 0x70, 0x6F, 0x34, 0x35};
// The tag of a format version (two characters: "32" now, "30" before, "20" for version-2 files).
std::array<std::uint8_t, 9> FormatTagOf(char major, char minor);
std::array<std::uint8_t, 9> CurrentFormatTag();
bool HasFormatMagic(const std::array<std::uint8_t, 9>& tag);

// The largest size of a result the series takes. Beyond it the statistics of a level could stop
// being finite (a CV over a mean near zero overflows its single), so values enter only within
// +/- MaxResultMagnitude, wherever they come from (entry, automation, import, command line).
inline constexpr long double MaxResultMagnitude = 1e20L;
inline bool IsStorableResult(long double value) { return value == value && value <= MaxResultMagnitude && value >= -MaxResultMagnitude; }
// Texts of the laboratory (analyte, operator, comment) from outside the keyboard: without the
// control characters (below 0x20, and DEL) that a typed text cannot hold.
std::string WithoutControlCharacters(std::string_view text);

// Settings as a fresh installation has them; LastBackup is today.
TSettings DefaultSettings();

} // namespace tervanix
