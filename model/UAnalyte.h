// One analyte: its definition, its date-ordered QC series and its limits; and the analyte list.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/ULists.h"
#include "model/UTypes.h"

namespace tervanix {

using TLevelTriple = std::array<TLevelResult, MaxLevels>;

class TAnalyte {
public:
    TAnalyte(std::string_view name, std::string_view unitName, int decimals, int levelCount, bool commonCV);
    TAnalyte(const TAnalyte&) = delete;
    TAnalyte& operator=(const TAnalyte&) = delete;
    // A deep copy for the dialogs that edit a copy and change the model only on OK.
    std::unique_ptr<TAnalyte> Clone() const;

    // Definition.
    ShortString<15> Name;
    ShortString<6> UnitName;
    std::int32_t Decimals = 2;
    std::int32_t LevelCount = 3;
    std::array<std::int32_t, MaxLevels> MaterialId{-1, -1, -1};
    std::array<std::uint8_t, MaxLevels> LimitsMode{lmMobile, lmMobile, lmMobile};
    std::array<std::int32_t, MaxLevels> LockFirst{-1, -1, -1};
    std::array<std::int32_t, MaxLevels> LockLast{-1, -1, -1};
    std::array<std::uint8_t, 4> Reserved{};
    TAnalyteOptions Options = aoWestgard | aoDefault;
    std::int32_t Reserved10 = 10;
    std::array<TLevelStats, MaxLevels> Current{};
    std::array<TLevelStats, MaxLevels> AllPoints{};
    std::vector<std::int32_t> Archives;
    TListIDString Comments;

    // The series. Points keep their address while they are stored, which is their identity.
    int Count() const { return static_cast<int>(points_.size()); }
    TQCPoint& Point(int index) { return *points_[static_cast<std::size_t>(index)]; }
    const TQCPoint& Point(int index) const { return *points_[static_cast<std::size_t>(index)]; }
    int IndexOf(const TQCPoint* point) const;
    // Appends a point read from a file, in file order.
    void AppendStored(const TQCPoint& point);
    // Makes room for n more points in one allocation (a whole series read from a file).
    void Reserve(int n);

    int FindInsertPos(TDateTime dt) const;
    int AddPoint(const TResu& entry);
    void DeletePoint(int index);
    bool IsPointEmpty(int index) const;
    bool DeleteIfEmpty(int index);
    std::string CommentText(std::int32_t commentId) const { return Comments.TextOf(commentId); }

    // Statistics and limits.
    // Fills s from the points first..last; fields it cannot compute (the CV) keep their contents.
    void ComputeStats(int level, int first, int last, TLevelStats& s) const;
    void RecomputeLevel(int level);
    void RecomputeAll();
    void ApplyCommonCV();
    void ClassifyPoint(TQCPoint& point) const;
    void ClassifyAll();
    bool HasOption(TAnalyteOptions bit) const { return (Options & bit) != 0; }
    // A level holds data while one current point has a value on it, used or discarded.
    bool LevelHoldsData(int level) const {
        const TLevelStats& s = AllPoints[static_cast<std::size_t>(level)];
        return s.N + s.DiscardedCount > 0;
    }

    // Random series (demonstration data, random generator). Returns the index of the last run stored.
    int GenerateRandomPoints(int count, const TLevelTriple& means, const TLevelTriple& cvs, TDateTime start);
    TResu MakeRandomEntry(const TLevelTriple& means, const TLevelTriple& cvs, TDateTime dt) const;

    // The erase half of archiving: level `level` becomes empty, empty runs are removed,
    // the level returns to mobile limits. Writing the archive file comes first (archive unit).
    void EraseLevel(int level);
    // First and last index of the points with a value or a discarded value on the level; -1 when none.
    int FirstPointWithLevel(int level) const;
    int LastPointWithLevel(int level) const;

    // The whole series as tab-separated text, one CR LF line per point.
    std::string CopyToText() const;

    // Changes the number of levels; added levels get fresh statistics first.
    void SetLevelCount(int levelCount);

private:
    TResu RandomRun(const TLevelTriple& means, const TLevelTriple& cvs, TDateTime dt) const;
    void SetMobileChartRange(int level);
    void ComputeWholeSeriesStats(int levels);
    void SetCurrentLimits(int level);

    TQCPoint* NewPoint(const TQCPoint& value);
    void FreePoint(TQCPoint* point);

    // Points live in blocks owned by the analyte, so a long series costs a few allocations
    // and a point keeps its address until it is deleted; freed slots are reused.
    struct TPointBlock {
        std::unique_ptr<std::byte[]> Storage;
        std::size_t Capacity = 0;
        std::size_t Used = 0;
    };
    std::vector<TQCPoint*> points_;
    std::vector<TPointBlock> blocks_;
    std::vector<TQCPoint*> freeSlots_;
};

// The CV of statistics as the tables show it: blank when there are too few values, "not
// computable" when the values overflow the statistics.
std::string CVText(const TLevelStats& s, int precision);

// All analytes, in the user's order; owns them.
class TListAnalytes {
public:
    TAnalyte* FindByName(std::string_view name) const;
    void CollectUsingMaterial(std::int32_t materialId, std::vector<TAnalyte*>& target) const;
    void FreeAll() { items_.clear(); }

    int Count() const { return static_cast<int>(items_.size()); }
    TAnalyte& operator[](int i) const { return *items_[static_cast<std::size_t>(i)]; }
    int IndexOf(const TAnalyte* analyte) const;
    TAnalyte& Add(std::unique_ptr<TAnalyte> analyte);
    void Insert(int index, std::unique_ptr<TAnalyte> analyte);
    std::unique_ptr<TAnalyte> Extract(int index);
    void Move(int from, int to);

private:
    std::vector<std::unique_ptr<TAnalyte>> items_;
};

} // namespace tervanix
