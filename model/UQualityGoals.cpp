#include "model/UQualityGoals.h"

#include <charconv>
#include <cmath>
#include <cstdint>

#include "model/UAnsiText.h"
#include "model/UFileStore.h"
#include "model/UFormat.h"
#include "model/UJson.h"
#include "model/ULists.h"

namespace tervanix {

bool TAnalyteGoals::Empty() const {
    if (TeaPercent) return false;
    for (const auto& target : Targets)
        if (target) return false;
    return true;
}

const TAnalyteGoals* TQualityGoals::Find(std::string_view name) const {
    const auto found = entries_.find(UpperAscii(name));
    return found == entries_.end() ? nullptr : &found->second.Goals;
}

void TQualityGoals::Set(std::string_view name, const TAnalyteGoals& goals) {
    if (goals.Empty()) return Remove(name);
    entries_[UpperAscii(name)] = {std::string(name), goals};
}

void TQualityGoals::Remove(std::string_view name) { entries_.erase(UpperAscii(name)); }

void TQualityGoals::Carry(const std::vector<TRename>& renamed, const std::vector<std::string>& deleted) {
    // All renames at once, so that two analytes that swap names swap their goals.
    std::vector<std::pair<std::string, std::optional<TAnalyteGoals>>> moving;
    for (const TRename& r : renamed) {
        const TAnalyteGoals* goals = Find(r.From);
        moving.emplace_back(r.To, goals ? std::optional(*goals) : std::nullopt);
    }
    for (const TRename& r : renamed) Remove(r.From);
    for (const std::string& name : deleted) Remove(name);
    for (const auto& [to, goals] : moving)
        if (goals) Set(to, *goals);
}

std::vector<std::pair<std::string, TAnalyteGoals>> TQualityGoals::Entries() const {
    std::vector<std::pair<std::string, TAnalyteGoals>> list;
    for (const auto& [key, entry] : entries_) list.emplace_back(entry.Name, entry.Goals);
    return list;
}

// ---- The file ----

namespace {

void AppendNumber(std::string& out, const std::optional<double>& value) {
    if (!value) {
        out += "null";
        return;
    }
    char buffer[32];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, *value);
    out.append(buffer, written.ptr);
}

// The file is two objects deep and a list; anything far deeper is not a goals file.
constexpr int MaxGoalsNesting = 16;

[[noreturn]] void Refuse(const std::string& name, const std::string& what) {
    throw EQCError("goals of \"" + name + "\": " + what);
}

std::optional<double> OptionalNumber(const TJson* value, const std::string& name, const char* what) {
    if (!value || value->Kind == TJson::TKind::Null) return std::nullopt;
    if (value->Kind != TJson::TKind::Number) Refuse(name, std::string(what) + " is not a number");
    return value->Number;
}

TAnalyteGoals ReadAnalyteGoals(const std::string& name, const TJson& value) {
    if (value.Kind != TJson::TKind::Object) Refuse(name, "not an object");
    TAnalyteGoals goals;
    goals.TeaPercent = OptionalNumber(JsonMember(value, "tea_percent"), name, "tea_percent");
    if (goals.TeaPercent && !(*goals.TeaPercent > 0)) Refuse(name, "tea_percent is not above 0");
    const TJson* targets = JsonMember(value, "targets");
    if (!targets || targets->Kind == TJson::TKind::Null) return goals;
    if (targets->Kind != TJson::TKind::Array) Refuse(name, "targets is not a list");
    if (targets->Items.size() > MaxLevels) Refuse(name, "more than three targets");
    for (std::size_t level = 0; level < targets->Items.size(); ++level) {
        goals.Targets[level] = OptionalNumber(&targets->Items[level], name, "a target");
        if (goals.Targets[level] && !IsStorableResult(*goals.Targets[level])) Refuse(name, "a target is out of range");
    }
    return goals;
}

} // namespace

std::string EncodeGoalsFile(const TQualityGoals& goals) {
    std::string out = "{\"analytes\": {";
    bool first = true;
    for (const auto& [name, g] : goals.Entries()) {
        out += first ? "\n  " : ",\n  ";
        first = false;
        out += JsonQuoted(AnsiToUtf8(name));
        out += ": {\"tea_percent\": ";
        AppendNumber(out, g.TeaPercent);
        out += ", \"targets\": [";
        for (std::size_t level = 0; level < MaxLevels; ++level) {
            if (level > 0) out += ", ";
            AppendNumber(out, g.Targets[level]);
        }
        out += "]}";
    }
    out += first ? "}}\n" : "\n}}\n";
    return out;
}

TQualityGoals DecodeGoalsFile(std::string_view text) {
    TJson document;
    try {
        document = ReadJson(text, MaxGoalsNesting);
    } catch (const EQCError& e) {
        throw EQCError(std::string("not a goals file: ") + e.what());
    }
    if (document.Kind != TJson::TKind::Object) throw EQCError("not a goals file: no object");
    const TJson* analytes = JsonMember(document, "analytes");
    if (!analytes || analytes->Kind != TJson::TKind::Object) throw EQCError("not a goals file: no \"analytes\"");
    TQualityGoals goals;
    for (std::size_t i = 0; i < analytes->Names.size(); ++i) {
        const std::string& utf8Name = analytes->Names[i];
        const TJson& value = analytes->Items[i];
        const std::string name = Utf8ToAnsi(utf8Name);
        if (goals.Find(name)) Refuse(utf8Name, "the analyte is named twice");
        TAnalyteGoals read = ReadAnalyteGoals(utf8Name, value);
        // An entry without a single goal says nothing.
        if (read.Empty()) continue;
        goals.Set(name, read);
    }
    return goals;
}

std::string GoalsPathBeside(const std::string& dataPath) { return PathWithExtension(dataPath, ".goals"); }

} // namespace tervanix
