// The id/text list of comments, the control materials list, and small list helpers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/UTypes.h"

namespace tervanix {

struct TIDString {
    std::int32_t Id = 0;
    std::string Text;
};

// Comments of an analyte: ascending ids, entries removed only all at once.
class TListIDString {
public:
    std::int32_t Add(std::string text);
    void Clear() { items_.clear(); } // NextId is kept
    int IndexOfId(std::int32_t id) const;
    std::string TextOf(std::int32_t id) const;

    int Count() const { return static_cast<int>(items_.size()); }
    const TIDString& operator[](int i) const { return items_[static_cast<std::size_t>(i)]; }
    const std::vector<TIDString>& Items() const { return items_; }
    std::int32_t NextId = 0;

    // Appends an entry read from a file (ids as stored); the reader sets NextId.
    void AppendStored(std::int32_t id, std::string text) { items_.push_back({id, std::move(text)}); }

private:
    std::vector<TIDString> items_;
};

// Control materials, sorted by the upper-cased Name+Lot.
class TListSerum {
public:
    const TMaterial& AddMaterial(std::string_view name, std::string_view lot);
    // The material, or the constant "Unknown" record when the id is not in the list.
    const TMaterial& FindById(std::int32_t id) const;
    int IndexOfId(std::int32_t id) const;

    int Count() const { return static_cast<int>(items_.size()); }
    const TMaterial& operator[](int i) const { return items_[static_cast<std::size_t>(i)]; }
    TMaterial& operator[](int i) { return items_[static_cast<std::size_t>(i)]; }
    const std::vector<TMaterial>& Items() const { return items_; }
    void Delete(int index) { items_.erase(items_.begin() + index); }
    // Puts the list back in the order of its keys after names or lots were changed in place
    // (equal keys keep their order).
    void Resort();
    void Clear() { items_.clear(); }
    // Appends a record read from a file in stored order; the reader sets NextId.
    void AppendStored(const TMaterial& m) { items_.push_back(m); }

    std::int32_t NextId = 0;

private:
    std::vector<TMaterial> items_;
};

// Upper-cases ASCII a-z only; other bytes are kept (names are compared by byte value).
std::string UpperAscii(std::string_view text);

// Appends the TAB-separated fields of a text: n TABs give n+1 fields.
void SplitTabs(std::string_view text, std::vector<std::string>& fields);

} // namespace tervanix
