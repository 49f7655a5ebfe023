#include "model/UDataLoadSave.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <optional>

#include "model/UClock.h"
#include "model/UCodec.h"
#include "model/UFileStore.h"
#include "model/UGlobals.h"
#include "model/URandom.h"

namespace tervanix {
namespace {

constexpr std::size_t DefinitionSize = 133;
constexpr std::size_t OldDefinitionSize = 75; // format "30": no options, no level-1 image
constexpr std::size_t Level1ImageSize = 49;
constexpr std::size_t CommentEntryMinSize = 8; // id and text length
constexpr const char* OldFormatVersion = "30";

// The smallest analyte section: no points, archives or comments.
constexpr std::size_t MinAnalyteSize(std::size_t definitionSize) {
    return 4 + definitionSize + MaxLevels * LevelBlockSize + FormatTagSize + 4 + FormatTagSize + 4 + FormatTagSize;
}

void ExpectTag(ByteReader& r) {
    if (!HasFormatMagic(ReadFormatTag(r))) throw EDataFileError("Wrong format tag at byte " + std::to_string(r.position() - FormatTagSize));
}

// One past the largest id, refusing the id that has no successor.
std::int32_t Successor(std::int64_t id) {
    if (id >= std::numeric_limits<std::int32_t>::max()) throw EDataFileError("Identifier out of range");
    return static_cast<std::int32_t>(id + 1);
}

// ---- writing ----

void WriteMaterials(ByteWriter& w, const TListSerum& materials) {
    w.I32(materials.Count());
    for (const TMaterial& m : materials.Items()) WriteMaterial(w, m);
}

void WriteDefinition(ByteWriter& w, const TAnalyte& a) {
    w.Short(a.Name);
    w.Short(a.UnitName);
    w.Zeros(1);
    w.I32(a.Decimals);
    w.I32(a.LevelCount);
    for (std::int32_t id : a.MaterialId) w.I32(id);
    for (std::uint8_t mode : a.LimitsMode) w.U8(mode);
    w.Zeros(1);
    for (std::int32_t first : a.LockFirst) w.I32(first);
    for (std::int32_t last : a.LockLast) w.I32(last);
    w.Bytes(a.Reserved);
    w.U8(a.Options);
    w.Zeros(3);
    w.I32(a.Reserved10);
    WriteStatsImage(w, a.Current[0], Level1ImageSize);
}

void WriteComments(ByteWriter& w, const TListIDString& comments) {
    w.I32(comments.Count());
    for (const TIDString& c : comments.Items()) {
        w.I32(c.Id);
        w.Counted(c.Text);
    }
}

void WriteAnalyte(ByteWriter& w, const TAnalyte& a) {
    w.I32(a.Count());
    for (int i = 0; i < a.Count(); ++i) WriteQCPoint(w, a.Point(i));
    WriteDefinition(w, a);
    for (const TLevelStats& s : a.Current) WriteLevelBlock(w, s);
    WriteFormatTag(w);
    w.I32(static_cast<std::int32_t>(a.Archives.size()));
    for (std::int32_t number : a.Archives) w.I32(number);
    WriteFormatTag(w);
    WriteComments(w, a.Comments);
    WriteFormatTag(w);
}

// ---- reading ----

TListSerum ReadMaterials(ByteReader& r) {
    TListSerum materials;
    const std::int32_t count = r.Count(MaterialSize);
    std::optional<std::int32_t> largestId;
    for (std::int32_t i = 0; i < count; ++i) {
        const TMaterial m = ReadMaterial(r);
        largestId = std::max(largestId.value_or(m.Id), m.Id);
        materials.AppendStored(m);
    }
    materials.NextId = largestId ? Successor(*largestId) : 0;
    return materials;
}

// Number of levels and decimals outside their ranges only come from a damaged file.
void CheckDefinition(const TAnalyte& a) {
    if (a.LevelCount < 1 || a.LevelCount > MaxLevels) throw EDataFileError("Number of levels out of range");
    if (a.Decimals < 0 || a.Decimals > 3) throw EDataFileError("Number of decimals out of range");
}

void ReadDefinition(ByteReader& r, TAnalyte& a, bool oldFormat) {
    a.Name = r.Short<15>();
    a.UnitName = r.Short<6>();
    r.Skip(1);
    a.Decimals = r.I32();
    a.LevelCount = r.I32();
    for (std::int32_t& id : a.MaterialId) id = r.I32();
    for (std::uint8_t& mode : a.LimitsMode) mode = r.U8();
    r.Skip(1);
    for (std::int32_t& first : a.LockFirst) first = r.I32();
    for (std::int32_t& last : a.LockLast) last = r.I32();
    if (oldFormat) {
        // The old block ends inside the reserved field; options and the reserved integer are implied.
        const auto part = r.Array<3>();
        std::copy(part.begin(), part.end(), a.Reserved.begin());
        a.Options = aoWestgard | aoCommonCV | aoDefault;
        a.Reserved10 = 10;
    } else {
        a.Reserved = r.Array<4>();
        a.Options = r.U8();
        r.Skip(3);
        a.Reserved10 = r.I32();
        ReadStatsImage(r, a.Current[0], Level1ImageSize);
    }
    CheckDefinition(a);
}

void ReadComments(ByteReader& r, TListIDString& comments) {
    const std::int32_t count = r.Count(CommentEntryMinSize);
    std::optional<std::int32_t> lastId;
    for (std::int32_t i = 0; i < count; ++i) {
        const std::int32_t id = r.I32();
        comments.AppendStored(id, r.Counted());
        lastId = id;
    }
    comments.NextId = lastId ? Successor(*lastId) : 0;
}

std::unique_ptr<TAnalyte> ReadAnalyte(ByteReader& r, bool oldFormat) {
    auto a = std::make_unique<TAnalyte>("", "", 0, 1, false);
    const std::int32_t pointCount = r.Count(QCPointSize);
    a->Reserve(pointCount);
    for (std::int32_t i = 0; i < pointCount; ++i) a->AppendStored(ReadQCPoint(r));
    ReadDefinition(r, *a, oldFormat);
    // Mean and half-widths of every level: for a fixed level they are the user's target and limits.
    for (TLevelStats& s : a->Current) ReadLevelBlock(r, s);
    ExpectTag(r);
    const std::int32_t archiveCount = r.Count(4);
    for (std::int32_t i = 0; i < archiveCount; ++i) a->Archives.push_back(r.I32());
    ExpectTag(r);
    a->RecomputeAll();
    ReadComments(r, a->Comments);
    ExpectTag(r);
    return a;
}

std::string FormatVersionOf(std::string_view bytes) {
    if (bytes.size() < FormatTagSize) throw EDataFileError("File too short");
    ByteReader tail(bytes.substr(bytes.size() - FormatTagSize));
    const auto tag = ReadFormatTag(tail);
    if (!HasFormatMagic(tag)) throw EDataFileError("Not a data file");
    return std::string{static_cast<char>(tag[1]), static_cast<char>(tag[2])};
}

std::string DecodeChecked(std::string_view bytes, TListSerum& materialsOut, TListAnalytes& analytesOut) {
    const std::string version = FormatVersionOf(bytes);
    const bool oldFormat = version == OldFormatVersion;
    ByteReader r(bytes);
    TListSerum materials = ReadMaterials(r);
    TListAnalytes analytes;
    const std::int32_t count = r.Count(MinAnalyteSize(oldFormat ? OldDefinitionSize : DefinitionSize));
    for (std::int32_t i = 0; i < count; ++i) analytes.Add(ReadAnalyte(r, oldFormat));
    ExpectTag(r);
    materialsOut = std::move(materials);
    analytesOut = std::move(analytes);
    return version;
}

TLevelTriple Triple(std::initializer_list<float> values) {
    TLevelTriple t{};
    auto it = values.begin();
    for (TLevelResult& r : t) r = it != values.end() ? TLevelResult{*it++, qsInControl, {}} : TLevelResult{0, qsNoValue, {}};
    return t;
}

TAnalyte& AddDemoAnalyte(std::string_view name, std::string_view unit, int decimals, int levels, bool commonCV,
                         int runs, const TLevelTriple& means, const TLevelTriple& cvs, TDateTime start) {
    auto a = std::make_unique<TAnalyte>(name, unit, decimals, levels, commonCV);
    a->MaterialId = {0, 1, 2};
    a->GenerateRandomPoints(runs, means, cvs, start);
    return Analytes.Add(std::move(a));
}

} // namespace

std::string EncodeDataFile(const TListSerum& materials, const TListAnalytes& analytes) {
    ByteWriter w;
    std::size_t estimate = 64 + MaterialSize * static_cast<std::size_t>(materials.Count());
    for (int i = 0; i < analytes.Count(); ++i) estimate += 512 + QCPointSize * static_cast<std::size_t>(analytes[i].Count());
    w.Reserve(estimate);
    WriteMaterials(w, materials);
    w.I32(analytes.Count());
    for (int i = 0; i < analytes.Count(); ++i) WriteAnalyte(w, analytes[i]);
    WriteFormatTag(w);
    return w.take();
}

std::string DecodeDataFile(std::string_view bytes, TListSerum& materials, TListAnalytes& analytes) {
    try {
        return DecodeChecked(bytes, materials, analytes);
    } catch (const EDataFileError&) {
        throw;
    } catch (const EQCError& e) {
        throw EDataFileError(e.what());
    }
}

void LoadDataFile(const std::string& path) {
    const auto bytes = ReadWholeFile(path);
    if (!bytes) throw EDataFileError("Cannot open " + path);
    TListSerum materials;
    TListAnalytes analytes;
    DecodeDataFile(*bytes, materials, analytes);
    Materials = std::move(materials);
    Analytes = std::move(analytes);
}

void SaveDataFile(const std::string& path) {
    WriteFileAtomic(path, EncodeDataFile(Materials, Analytes), "Cannot save data");
}

void CreateDefaultData() {
    for (const char* name : {"Lyphocheck 1", "Lyphocheck 2", "Lyphocheck 3"})
        Materials.AddMaterial(name, std::to_string(Random().NextInt(1000000)));
    const TDateTime today = Today();

    const TLevelTriple glucoseMeans = Triple({3, 5, 12}), glucoseCVs = Triple({3, 3, 3});
    TAnalyte& glucose = AddDemoAnalyte("Glucose", "mmol/L", 1, 3, true, 45, glucoseMeans, glucoseCVs, today - 44 + 0.5);
    glucose.LimitsMode.fill(lmLocked);
    glucose.LockFirst.fill(0);
    glucose.LockLast.fill(25);
    glucose.RecomputeAll();
    glucose.ClassifyAll();
    TQCPoint& wrong = glucose.Point(30);
    const float wrongValues[MaxLevels] = {0.6f, 1.0f, 3.5f};
    for (int level = 0; level < MaxLevels; ++level) wrong.Levels[level] = {wrongValues[level], qsDiscarded, {}};
    wrong.CommentId = glucose.Comments.Add("Wrong calibrator");
    glucose.RecomputeAll(); // N and the CV of the whole series leave the discarded run out
    glucose.Point(35).CommentId = glucose.Comments.Add("New reagent");
    for (int k = 1; k <= 5; ++k) Queue.Push(glucose.MakeRandomEntry(glucoseMeans, glucoseCVs, today + k + 0.375));

    AddDemoAnalyte("Calcium", "mmol/L", 2, 2, false, 25, Triple({2.4f, 2.6f}), Triple({4, 3.5f}), today - 24 + 10.0 / 24);

    TAnalyte& albumin = AddDemoAnalyte("Albumin", "g/L", 0, 1, true, 50, Triple({40}), Triple({4}), today - 49 + 2.0 / 3);
    albumin.LimitsMode[0] = lmFixed;
    albumin.Current[0].Mean = 42;
    albumin.Current[0].AlertHalfWidth = 2;
    albumin.Current[0].ActionHalfWidth = 3;
    albumin.RecomputeAll();
    albumin.ClassifyAll();
}

std::string CurrentFormatVersion() {
    const auto tag = CurrentFormatTag();
    return std::string{static_cast<char>(tag[1]), static_cast<char>(tag[2])};
}

} // namespace tervanix
