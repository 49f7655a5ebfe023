#include "intake/UFifoResult.h"

#include <iterator>
#include <utility>

#include "model/UCodec.h"
#include "model/UFileStore.h"

namespace tervanix {

namespace {

int LevelsWithValue(const TResu& entry) {
    int n = 0;
    for (const auto& level : entry.Levels)
        if (level.Status == qsInControl) ++n;
    return n;
}

// Moves the entry's values into the empty levels of `into`; true when every value of the entry moved.
bool Absorb(TResu& into, TResu& entry, int& filled) {
    bool absorbed = true;
    for (int j = 0; j < MaxLevels; ++j) {
        if (entry.Levels[j].Status == qsNoValue) continue;
        if (into.Levels[j].Status != qsNoValue) {
            absorbed = false;
            continue;
        }
        into.Levels[j] = entry.Levels[j];
        entry.Levels[j].Status = qsNoValue;
        ++filled;
    }
    return absorbed;
}

} // namespace

void TFifo::Push(TResu entry) { entries_.push_back(std::move(entry)); }

void TFifo::RemoveLast(int count) {
    for (; count > 0 && !entries_.empty(); --count) entries_.pop_back();
}

std::optional<TResu> TFifo::Pop() {
    if (entries_.empty()) return std::nullopt;
    TResu& first = entries_.front();
    if (first.StandaloneFlag == 0) Merge(first);
    TResu out = std::move(first);
    entries_.pop_front();
    out.StandaloneFlag = 1;
    return out;
}

// A run sent level by level is completed from the later entries of its analyte; the walk ends at
// the first complete entry, which belongs to another run.
void TFifo::Merge(TResu& first) {
    int filled = LevelsWithValue(first);
    auto it = std::next(entries_.begin());
    while (it != entries_.end() && it->StandaloneFlag == 0 && filled < MaxLevels) {
        if (it->AnalyteName == first.AnalyteName && Absorb(first, *it, filled))
            it = entries_.erase(it);
        else
            ++it;
    }
}

std::string TFifo::Encode() const {
    ByteWriter w;
    for (const auto& e : entries_) {
        WriteQueueHead(w, e);
        w.Counted(e.Comment);
        w.Counted(e.Operator);
        w.Counted(e.AnalyteName);
    }
    return w.take();
}

bool TFifo::Decode(std::string_view bytes) {
    entries_.clear();
    std::list<TResu> loaded;
    try {
        ByteReader r(bytes);
        while (!r.atEnd()) {
            TResu e;
            ReadQueueHead(r, e);
            e.Comment = r.Counted();
            e.Operator = r.Counted();
            e.AnalyteName = r.Counted();
            loaded.push_back(std::move(e));
        }
    } catch (const EReadError&) {
        return false;
    }
    entries_ = std::move(loaded);
    return true;
}

void TFifo::Load(const std::string& path) {
    const auto bytes = ReadWholeFile(path);
    if (!bytes || !Decode(*bytes)) Clear();
}

void TFifo::Save(const std::string& path) const { WriteFileAtomic(path, Encode(), "Unable to save fifo"); }

} // namespace tervanix
