#include "model/UCompatibilityMorvelle.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "model/UCodec.h"
#include "model/UDataLoadSave.h"
#include "model/UFileStore.h"
#include "model/UGlobals.h"

namespace tervanix {
namespace {

// Record sizes of the version-2 layout.
constexpr std::size_t V2MaterialSize = 27;
constexpr std::size_t V2PointSize = 36;
constexpr std::size_t V2DefinitionSize = 132;
constexpr std::size_t V2ExtraRecordSize = 68;
constexpr std::size_t V2CommentSize = 28;
constexpr std::size_t V2CommentCapacity = 23;
constexpr std::size_t V2UnitCapacity = 12;
// Point count, definition, extra-record count, comment next id and count.
constexpr std::size_t V2MinAnalyteSize = 4 + V2DefinitionSize + 4 + 4 + 4;
// Offsets inside the definition block.
constexpr std::size_t V2DecimalsOffset = 24;
constexpr std::size_t V2LockFirstOffset = 108;

// Version-2 level status codes.
constexpr std::uint8_t V2ValuePresent = 0;
constexpr std::uint8_t V2Discarded = 2;

constexpr int LargestDecimals = 3;


struct TV2Point {
    double Date = 0;
    std::array<float, MaxLevels> Values{};
    std::array<std::uint8_t, MaxLevels> Status{};
    std::int32_t CommentId = -1;
};

struct TV2Analyte {
    std::vector<TV2Point> Points;
    std::string Name;
    std::string Unit;
    std::int32_t Decimals = 0;
    std::array<std::int32_t, MaxLevels> LockFirst{};
    std::array<std::int32_t, MaxLevels> LockLast{};
    std::vector<TIDString> Comments; // ascending ids
};

TV2Point ReadPoint(ByteReader& r) {
    TV2Point p;
    p.Date = r.F64();
    // A date that is not a number cannot be placed in a series.
    if (!std::isfinite(p.Date)) throw EDataFileError("Run date out of range");
    for (int level = 0; level < MaxLevels; ++level) {
        p.Values[level] = r.F32();
        p.Status[level] = r.U8();
        r.Skip(3);
    }
    p.CommentId = r.I32();
    return p;
}

void ReadDefinition(ByteReader& r, TV2Analyte& a) {
    ByteReader block(r.Bytes(V2DefinitionSize));
    // The predecessor stored its texts as typed bytes: control characters are no text of ours.
    a.Name = WithoutControlCharacters(block.Short(10));
    a.Unit = WithoutControlCharacters(block.Short(V2UnitCapacity));
    a.Decimals = block.I32();
    block.Skip(V2LockFirstOffset - V2DecimalsOffset - 4);
    for (std::int32_t& first : a.LockFirst) first = block.I32();
    for (std::int32_t& last : a.LockLast) last = block.I32();
}

void ReadComments(ByteReader& r, TV2Analyte& a) {
    r.I32(); // the predecessor's next id: ids are kept only to find the texts
    const std::int32_t count = r.Count(V2CommentSize);
    a.Comments.reserve(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i) {
        const std::int32_t id = r.I32();
        a.Comments.push_back({id, WithoutControlCharacters(r.Short(V2CommentCapacity))});
    }
}

TV2Analyte ReadAnalyte(ByteReader& r) {
    TV2Analyte a;
    const std::int32_t pointCount = r.Count(V2PointSize);
    a.Points.reserve(static_cast<std::size_t>(pointCount));
    for (std::int32_t i = 0; i < pointCount; ++i) a.Points.push_back(ReadPoint(r));
    ReadDefinition(r, a);
    const std::int32_t extraCount = r.Count(V2ExtraRecordSize);
    r.Skip(static_cast<std::size_t>(extraCount) * V2ExtraRecordSize);
    ReadComments(r, a);
    return a;
}

std::string CommentOf(const TV2Analyte& a, std::int32_t id) {
    if (id == -1) return {};
    const auto it = std::lower_bound(a.Comments.begin(), a.Comments.end(), id,
                                     [](const TIDString& c, std::int32_t wanted) { return c.Id < wanted; });
    return it != a.Comments.end() && it->Id == id ? it->Text : std::string();
}

// A value that is not a number is no measurement: the level is taken as empty.
TLevelResult LevelOf(const TV2Point& p, int level) {
    const float value = p.Values[level];
    switch (p.Status[level]) {
    case V2ValuePresent:
        return {value, std::isfinite(value) ? qsInControl : qsNoValue, {}};
    case V2Discarded:
        return {value, qsDiscarded, {}};
    default: // "no value", and codes the predecessor never defined
        return {value, qsNoValue, {}};
    }
}

TResu RunOf(const TV2Analyte& a, const TV2Point& p) {
    TResu run;
    run.DateTime = p.Date + 0.5; // the predecessor kept dates only: runs are placed at noon
    for (int level = 0; level < MaxLevels; ++level) run.Levels[level] = LevelOf(p, level);
    run.Comment = CommentOf(a, p.CommentId);
    return run;
}

// A locked interval is kept on the points that exist; one that starts past the series is dropped.
void ApplyLocks(const TV2Analyte& v2, TAnalyte& a) {
    for (int level = 0; level < MaxLevels; ++level) {
        const std::int32_t first = v2.LockFirst[level];
        if (first < 0 || first >= a.Count()) continue;
        a.LimitsMode[level] = lmLocked;
        a.LockFirst[level] = first;
        a.LockLast[level] = std::min(v2.LockLast[level], a.Count() - 1);
    }
}

std::unique_ptr<TAnalyte> BuildAnalyte(const TV2Analyte& v2) {
    // Decimals beyond what the program shows would make the data file unreadable once saved.
    const int decimals = std::clamp<std::int32_t>(v2.Decimals, 0, LargestDecimals);
    auto a = std::make_unique<TAnalyte>(v2.Name, v2.Unit, decimals, MaxLevels, false);
    for (const TV2Point& p : v2.Points) a->AddPoint(RunOf(v2, p));
    ApplyLocks(v2, *a);
    a->RecomputeAll();
    a->ClassifyAll();
    return a;
}

void CheckTag(std::string_view bytes) {
    if (bytes.size() < FormatTagSize) throw EDataFileError("File too short");
    ByteReader tail(bytes.substr(bytes.size() - FormatTagSize));
    if (ReadFormatTag(tail) != FormatTagOf('2', '0')) throw EDataFileError("Not a version-2 data file");
}

void ImportChecked(std::string_view bytes, TListAnalytes& target) {
    CheckTag(bytes);
    ByteReader r(bytes.substr(0, bytes.size() - FormatTagSize));
    const std::int32_t materialCount = r.Count(V2MaterialSize);
    r.Skip(static_cast<std::size_t>(materialCount) * V2MaterialSize);
    const std::int32_t analyteCount = r.Count(V2MinAnalyteSize);
    for (std::int32_t i = 0; i < analyteCount; ++i) target.Add(BuildAnalyte(ReadAnalyte(r)));
}

} // namespace

void ImportVersion2(std::string_view bytes, TListAnalytes& target) {
    try {
        ImportChecked(bytes, target);
    } catch (const EDataFileError&) {
        throw;
    } catch (const EQCError& e) {
        throw EDataFileError(e.what());
    }
}

void ImportVersion2File(const std::string& path) {
    const auto bytes = ReadWholeFile(path);
    if (!bytes) throw EDataFileError("Cannot open " + path);
    ImportVersion2(*bytes, Analytes);
}

} // namespace tervanix
