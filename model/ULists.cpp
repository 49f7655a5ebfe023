#include "model/ULists.h"

#include <algorithm>

namespace tervanix {

std::int32_t TListIDString::Add(std::string text) {
    const std::int32_t id = NextId++;
    items_.push_back({id, std::move(text)});
    return id;
}

int TListIDString::IndexOfId(std::int32_t id) const {
    const auto it = std::lower_bound(items_.begin(), items_.end(), id,
                                     [](const TIDString& e, std::int32_t v) { return e.Id < v; });
    return it != items_.end() && it->Id == id ? static_cast<int>(it - items_.begin()) : -1;
}

std::string TListIDString::TextOf(std::int32_t id) const {
    if (id == -1) return {};
    const int i = IndexOfId(id);
    return i < 0 ? std::string() : items_[static_cast<std::size_t>(i)].Text;
}

const TMaterial& TListSerum::AddMaterial(std::string_view name, std::string_view lot) {
    TMaterial m;
    m.Id = NextId++;
    m.Name = name;
    m.Lot = lot;
    const std::string key = UpperAscii(m.Name.str() + m.Lot.str());
    const auto pos = std::find_if(items_.begin(), items_.end(), [&key](const TMaterial& e) {
        return UpperAscii(e.Name.str() + e.Lot.str()) > key;
    });
    return *items_.insert(pos, m);
}

void TListSerum::Resort() {
    std::stable_sort(items_.begin(), items_.end(), [](const TMaterial& a, const TMaterial& b) {
        return UpperAscii(a.Name.str() + a.Lot.str()) < UpperAscii(b.Name.str() + b.Lot.str());
    });
}

int TListSerum::IndexOfId(std::int32_t id) const {
    const auto it = std::find_if(items_.begin(), items_.end(), [id](const TMaterial& m) { return m.Id == id; });
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

const TMaterial& TListSerum::FindById(std::int32_t id) const {
    const int i = IndexOfId(id);
    return i < 0 ? UnknownMaterial() : items_[static_cast<std::size_t>(i)];
}

std::string UpperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

void SplitTabs(std::string_view text, std::vector<std::string>& fields) {
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = text.find('\t', start);
        if (tab == std::string_view::npos) {
            fields.emplace_back(text.substr(start));
            return;
        }
        fields.emplace_back(text.substr(start, tab - start));
        start = tab + 1;
    }
}

} // namespace tervanix
