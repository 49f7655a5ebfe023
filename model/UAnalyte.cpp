#include "model/UAnalyte.h"

#include <algorithm>
#include <new>
#include <type_traits>

#include "model/UFormat.h"
#include "model/URandom.h"

namespace tervanix {

TAnalyte::TAnalyte(std::string_view name, std::string_view unitName, int decimals, int levelCount, bool commonCV)
    : Name(name), UnitName(unitName), Decimals(decimals), LevelCount(levelCount),
      Options(static_cast<TAnalyteOptions>(aoWestgard | aoDefault | (commonCV ? aoCommonCV : 0))) {
    for (int level = 0; level < MaxLevels; ++level) RecomputeLevel(level);
}

std::unique_ptr<TAnalyte> TAnalyte::Clone() const {
    auto copy = std::make_unique<TAnalyte>(Name.str(), UnitName.str(), Decimals, LevelCount, false);
    copy->MaterialId = MaterialId;
    copy->LimitsMode = LimitsMode;
    copy->LockFirst = LockFirst;
    copy->LockLast = LockLast;
    copy->Reserved = Reserved;
    copy->Options = Options;
    copy->Reserved10 = Reserved10;
    copy->Current = Current;
    copy->AllPoints = AllPoints;
    copy->Archives = Archives;
    copy->Comments = Comments;
    copy->Reserve(Count());
    for (const TQCPoint* p : points_) copy->AppendStored(*p);
    return copy;
}

int TAnalyte::IndexOf(const TQCPoint* point) const {
    const auto it = std::find(points_.begin(), points_.end(), point);
    return it == points_.end() ? -1 : static_cast<int>(it - points_.begin());
}

// Points are trivially destructible records: their storage is raw bytes, constructed on use.
static_assert(std::is_trivially_destructible_v<TQCPoint>);

void TAnalyte::Reserve(int n) {
    const std::size_t wanted = static_cast<std::size_t>(std::max(n, 0));
    points_.reserve(points_.size() + wanted);
    const std::size_t room = blocks_.empty() ? 0 : blocks_.back().Capacity - blocks_.back().Used;
    if (freeSlots_.size() + room >= wanted) return;
    const std::size_t capacity = std::max<std::size_t>(wanted, 64);
    blocks_.push_back({std::make_unique_for_overwrite<std::byte[]>(capacity * sizeof(TQCPoint)), capacity, 0});
}

TQCPoint* TAnalyte::NewPoint(const TQCPoint& value) {
    if (!freeSlots_.empty()) {
        TQCPoint* slot = freeSlots_.back();
        freeSlots_.pop_back();
        *slot = value;
        return slot;
    }
    if (blocks_.empty() || blocks_.back().Used == blocks_.back().Capacity) Reserve(std::max<int>(64, Count() / 4));
    TPointBlock& block = blocks_.back();
    void* place = block.Storage.get() + block.Used++ * sizeof(TQCPoint);
    return new (place) TQCPoint(value);
}

void TAnalyte::FreePoint(TQCPoint* point) { freeSlots_.push_back(point); }

void TAnalyte::AppendStored(const TQCPoint& point) { points_.push_back(NewPoint(point)); }

int TAnalyte::FindInsertPos(TDateTime dt) const {
    int pos = Count();
    while (pos > 0 && points_[static_cast<std::size_t>(pos - 1)]->DateTime > dt) --pos;
    return pos;
}

int TAnalyte::AddPoint(const TResu& entry) {
    TQCPoint point;
    point.DateTime = entry.DateTime;
    point.Levels = entry.Levels;
    point.Operator = entry.Operator;
    point.CommentId = entry.Comment.empty() ? -1 : Comments.Add(entry.Comment);
    const int pos = FindInsertPos(entry.DateTime);
    // Taken first: making room may move the list, and with it any position already computed.
    TQCPoint* stored = NewPoint(point);
    points_.insert(points_.begin() + pos, stored);
    // A locked interval keeps covering the same points; a run inserted inside it widens it.
    for (int level = 0; level < LevelCount && level < MaxLevels; ++level) {
        if (LimitsMode[level] != lmLocked) continue;
        if (LockFirst[level] >= pos) {
            ++LockFirst[level];
            ++LockLast[level];
        } else if (LockLast[level] >= pos) {
            ++LockLast[level];
        }
    }
    return pos;
}

void TAnalyte::DeletePoint(int index) {
    FreePoint(points_[static_cast<std::size_t>(index)]);
    points_.erase(points_.begin() + index);
    for (int level = 0; level < LevelCount && level < MaxLevels; ++level) {
        if (LimitsMode[level] != lmLocked) continue;
        if (index < LockFirst[level]) {
            --LockFirst[level];
            --LockLast[level];
        } else if (index <= LockLast[level]) {
            --LockLast[level];
        }
    }
}

bool TAnalyte::IsPointEmpty(int index) const {
    const TQCPoint& p = Point(index);
    for (int level = 0; level < LevelCount && level < MaxLevels; ++level)
        if (p.Levels[level].Status != qsNoValue) return false;
    return true;
}

bool TAnalyte::DeleteIfEmpty(int index) {
    if (!IsPointEmpty(index)) return false;
    DeletePoint(index);
    return true;
}

TResu TAnalyte::RandomRun(const TLevelTriple& means, const TLevelTriple& cvs, TDateTime dt) const {
    TResu run;
    run.StandaloneFlag = 1;
    run.DateTime = dt;
    for (int level = 0; level < MaxLevels; ++level) {
        TLevelResult& r = run.Levels[level];
        if (level >= LevelCount || means[level].Status == qsNoValue || cvs[level].Status == qsNoValue) {
            r = {0, qsNoValue, {}};
            continue;
        }
        const long double mean = means[level].Value;
        const long double sd = cvs[level].Value * mean / 100;
        r = {static_cast<float>(GaussRandom(sd, mean)), qsInControl, {}};
    }
    return run;
}

int TAnalyte::GenerateRandomPoints(int count, const TLevelTriple& means, const TLevelTriple& cvs, TDateTime start) {
    int last = -1;
    for (int i = 0; i < count; ++i) last = AddPoint(RandomRun(means, cvs, start + i));
    LimitsMode.fill(lmMobile);
    RecomputeAll();
    ClassifyAll();
    return last;
}

TResu TAnalyte::MakeRandomEntry(const TLevelTriple& means, const TLevelTriple& cvs, TDateTime dt) const {
    TResu run = RandomRun(means, cvs, dt);
    run.AnalyteName = Name.str();
    return run;
}

int TAnalyte::FirstPointWithLevel(int level) const {
    for (int i = 0; i < Count(); ++i)
        if (Point(i).Levels[level].Status != qsNoValue) return i;
    return -1;
}

int TAnalyte::LastPointWithLevel(int level) const {
    for (int i = Count() - 1; i >= 0; --i)
        if (Point(i).Levels[level].Status != qsNoValue) return i;
    return -1;
}

void TAnalyte::EraseLevel(int level) {
    for (TQCPoint* p : points_) p->Levels[level].Status = qsNoValue;
    for (int i = Count() - 1; i >= 0; --i) DeleteIfEmpty(i);
    LockFirst[level] = LockLast[level] = -1;
    LimitsMode[level] = lmMobile;
    RecomputeAll();
}

std::string TAnalyte::CopyToText() const {
    std::string text;
    for (const TQCPoint* p : points_) {
        text += FormatDate(p->DateTime) + '\t' + FormatTime(p->DateTime) + '\t';
        for (int level = 0; level < LevelCount && level < MaxLevels; ++level) {
            const TLevelResult& r = p->Levels[level];
            if (r.Status == qsDiscarded)
                text += "Discarded";
            else if (r.Status != qsNoValue)
                text += FormatFixed(r.Value, 8, Decimals);
            text += '\t';
        }
        text += p->Operator.str() + '\t' + CommentText(p->CommentId) + "\r\n";
    }
    return text;
}

void TAnalyte::SetLevelCount(int levelCount) {
    for (int level = LevelCount; level < levelCount && level < MaxLevels; ++level) RecomputeLevel(level);
    LevelCount = levelCount;
}

TAnalyte* TListAnalytes::FindByName(std::string_view name) const {
    const std::string wanted = UpperAscii(name);
    for (const auto& a : items_)
        if (UpperAscii(a->Name.str()) == wanted) return a.get();
    return nullptr;
}

void TListAnalytes::CollectUsingMaterial(std::int32_t materialId, std::vector<TAnalyte*>& target) const {
    for (const auto& a : items_) {
        for (int level = 0; level < a->LevelCount && level < MaxLevels; ++level) {
            if (a->MaterialId[level] == materialId) {
                target.push_back(a.get());
                break;
            }
        }
    }
}

int TListAnalytes::IndexOf(const TAnalyte* analyte) const {
    const auto it = std::find_if(items_.begin(), items_.end(), [analyte](const auto& a) { return a.get() == analyte; });
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

TAnalyte& TListAnalytes::Add(std::unique_ptr<TAnalyte> analyte) {
    items_.push_back(std::move(analyte));
    return *items_.back();
}

void TListAnalytes::Insert(int index, std::unique_ptr<TAnalyte> analyte) {
    items_.insert(items_.begin() + index, std::move(analyte));
}

std::unique_ptr<TAnalyte> TListAnalytes::Extract(int index) {
    auto out = std::move(items_[static_cast<std::size_t>(index)]);
    items_.erase(items_.begin() + index);
    return out;
}

void TListAnalytes::Move(int from, int to) {
    auto item = Extract(from);
    Insert(to, std::move(item));
}

} // namespace tervanix
