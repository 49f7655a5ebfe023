// The laboratory's quality goals: per analyte the allowable total error (TEa, in %) and per control
// level the target value of the control material. Kept in a file of their own beside the data file
// ("Tervanix.goals", JSON); the data file and its format know nothing of them.
#pragma once

#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/UTypes.h"

namespace tervanix {

struct TAnalyteGoals {
    std::optional<double> TeaPercent;                   // allowable total error, > 0
    std::array<std::optional<double>, MaxLevels> Targets; // assigned value of each level's material
    bool Empty() const;
    friend bool operator==(const TAnalyteGoals&, const TAnalyteGoals&) = default;
};

// A renamed analyte: its name before and after, as stored (8-bit).
struct TRename {
    std::string From, To;
};

// The goals of every analyte, looked up by name as the analyte list does (ASCII letters without
// case). Names are kept as stored (8-bit Windows-1252); entries of names the data file does not
// hold stay as they are.
class TQualityGoals {
public:
    const TAnalyteGoals* Find(std::string_view name) const;
    // Sets the goals of the analyte; empty goals remove its entry.
    void Set(std::string_view name, const TAnalyteGoals& goals);
    void Remove(std::string_view name);
    // The goals of renamed analytes go with them (a rename over another entry replaces it) and
    // those of deleted analytes go; every other entry stays untouched.
    void Carry(const std::vector<TRename>& renamed, const std::vector<std::string>& deleted);

    int Count() const { return static_cast<int>(entries_.size()); }
    // Name as stored and goals, in the order of the upper-cased names.
    std::vector<std::pair<std::string, TAnalyteGoals>> Entries() const;
    friend bool operator==(const TQualityGoals&, const TQualityGoals&) = default;

private:
    struct TEntry {
        std::string Name;
        TAnalyteGoals Goals;
        friend bool operator==(const TEntry&, const TEntry&) = default;
    };
    std::map<std::string, TEntry> entries_; // by upper-cased name
};

// The file's text: {"analytes": {"Glucose": {"tea_percent": 10, "targets": [3, 5, null]}}}, names
// in UTF-8, numbers in their shortest round-trip form.
std::string EncodeGoalsFile(const TQualityGoals& goals);
// Reads a goals file. Throws EQCError saying what is wrong for anything but that shape: not JSON,
// a TEa that is not a number above 0, a target that is not a number within the size of a result,
// more than three targets, the same analyte twice. Members it does not know are passed over.
TQualityGoals DecodeGoalsFile(std::string_view text);

// The goals file that belongs to a data file: "lab.qcf" -> "lab.goals".
std::string GoalsPathBeside(const std::string& dataPath);

} // namespace tervanix
