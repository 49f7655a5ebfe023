// The queue of runs waiting for validation, and its file.
#pragma once

#include <cstdint>
#include <list>
#include <optional>
#include <string>

#include "model/UTypes.h"

namespace tervanix {

class TFifo {
public:
    // Appends at the tail; the queue owns the entry.
    void Push(TResu entry);
    // Takes the first entry, after filling its empty levels from later entries sent level by level.
    // The returned entry has StandaloneFlag 1. Empty queue: nothing.
    std::optional<TResu> Pop();
    void Clear() { entries_.clear(); }
    // Takes back the last `count` entries pushed (all of them when there are fewer).
    void RemoveLast(int count);
    std::int32_t Count() const { return static_cast<std::int32_t>(entries_.size()); }
    const std::list<TResu>& Entries() const { return entries_; }

    // Replaces the content with the queue file; a missing or damaged file gives an empty queue.
    void Load(const std::string& path);
    // Writes the queue file atomically; throws EQCError("Unable to save fifo") on failure,
    // leaving the previous file as it was.
    void Save(const std::string& path) const;

    // The queue file image, and its reader (false and an empty queue for a damaged image).
    std::string Encode() const;
    bool Decode(std::string_view bytes);

private:
    void Merge(TResu& first);
    std::list<TResu> entries_;
};

} // namespace tervanix
