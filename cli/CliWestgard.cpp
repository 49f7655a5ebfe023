// westgard: judges one run against an analyte's stored series, as the validation dialog does.
#include <cfloat>
#include <charconv>
#include <cmath>
#include <iostream>

#include "cli/CliCommands.h"
#include "cli/CliJson.h"
#include "model/UDateTime.h"
#include "model/UFormat.h"
#include "model/UWestgard.h"

namespace tervanix::cli {
namespace {

struct TRunRequest {
    std::vector<std::string> Positionals;
    std::optional<TDateTime> DateTime;
    std::vector<TLevelResult> Values;
    std::vector<std::string> Rejects;
    std::optional<bool> Multirules;
    std::optional<std::string> Settings;
};

bool ParseDigits(std::string_view text, int& value) {
    if (text.empty()) return false;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    return r.ec == std::errc() && r.ptr == text.data() + text.size();
}

// "2026-12-08T14:30", "2026-12-08T14:30:00" or "2026-12-08" (local time of the laboratory).
bool ParseIsoDateTime(const std::string& text, TDateTime& dt) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    const bool hasTime = text.size() > 10;
    if (text.size() < 10 || text[4] != '-' || text[7] != '-') return false;
    if (!ParseDigits(std::string_view(text).substr(0, 4), year) || !ParseDigits(std::string_view(text).substr(5, 2), month) ||
        !ParseDigits(std::string_view(text).substr(8, 2), day))
        return false;
    if (hasTime) {
        const std::string_view time = std::string_view(text).substr(11);
        if (text[10] != 'T' || (time.size() != 5 && time.size() != 8) || time[2] != ':') return false;
        if (!ParseDigits(time.substr(0, 2), hour) || !ParseDigits(time.substr(3, 2), minute)) return false;
        if (time.size() == 8 && (time[5] != ':' || !ParseDigits(time.substr(6, 2), second))) return false;
    }
    if (!IsValidDate(year, month, day) || hour > 23 || minute > 59 || second > 59) return false;
    dt = EncodeDate(year, month, day) + EncodeTime(hour, minute, second, 0);
    return true;
}

TDateTime ParseDateTime(const std::string& text) {
    TDateTime dt = 0;
    if (ParseIsoDateTime(text, dt)) return dt;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), dt);
    if (!text.empty() && r.ec == std::errc() && r.ptr == text.data() + text.size() && std::isfinite(dt)) return dt;
    throw EUsage("--date-time takes a day number or a local time like 2026-12-08T14:30: " + text);
}

// A level result; an empty text means no value. Results are stored as singles, so a number that
// does not fit one is refused like any unreadable number.
TLevelResult ParseValue(const std::string& text) {
    if (text.empty()) return {0, qsNoValue, {}};
    long double value = 0;
    if (!TryReadNumber(NormaliseDecimalSeparator(text), value)) throw EUsage("Not a valid result: " + text);
    if (!IsStorableResult(value))
        throw EUsage("Not a valid result: " + text + " (results go up to 1e20 in size; beyond, the statistics cannot be computed)");
    return {static_cast<float>(value), qsInControl, {}};
}

bool ParseOnOff(const std::string& text) {
    if (text == "on") return true;
    if (text == "off") return false;
    throw EUsage("--multirules takes on or off, not: " + text);
}

TRunRequest ParseRequest(const TArgs& args) {
    TRunRequest q;
    TArgCursor cursor(args);
    while (!cursor.Done()) {
        const std::string& arg = cursor.Next();
        if (arg == "--date-time") {
            q.DateTime = ParseDateTime(cursor.ValueOf(arg));
        } else if (arg == "--values") {
            // One to three values; a negative value is a value, only "--" starts an option.
            if (!q.Values.empty()) throw EUsage("--values is given twice");
            while (!cursor.Done() && !IsOption(cursor.Peek()) && q.Values.size() < MaxLevels)
                q.Values.push_back(ParseValue(cursor.Next()));
            if (q.Values.empty()) throw EUsage("--values needs one to three values");
        } else if (arg == "--reject") {
            q.Rejects.push_back(cursor.ValueOf(arg));
        } else if (arg == "--multirules") {
            q.Multirules = ParseOnOff(cursor.ValueOf(arg));
        } else if (arg == "--settings") {
            q.Settings = cursor.ValueOf(arg);
        } else if (IsOption(arg)) {
            throw EUsage("Unknown option: " + arg);
        } else {
            q.Positionals.push_back(arg);
        }
    }
    ExpectPositionals(q.Positionals, 2);
    if (!q.DateTime) throw EUsage("--date-time is required");
    if (q.Values.empty()) throw EUsage("--values is required");
    return q;
}

std::array<bool, MaxLevels> ParseRejects(const std::vector<std::string>& rejects, const TAnalyte& analyte, const TResu& run) {
    std::array<bool, MaxLevels> rejected{};
    for (const std::string& text : rejects) {
        int level = 0;
        if (!ParseDigits(text, level) || level < 1 || level > analyte.LevelCount)
            throw EUsage("--reject takes a level from 1 to " + std::to_string(analyte.LevelCount) + ": " + text);
        // As in the dialog, a level without a value cannot be rejected.
        if (run.Levels[static_cast<std::size_t>(level - 1)].Status == qsNoValue)
            throw EUsage("Level " + text + " has no value and cannot be rejected");
        rejected[static_cast<std::size_t>(level - 1)] = true;
    }
    return rejected;
}

TResu MakeRun(const TRunRequest& q, const TAnalyte& analyte) {
    TResu run;
    run.DateTime = *q.DateTime;
    run.AnalyteName = analyte.Name.str();
    for (std::size_t l = 0; l < q.Values.size(); ++l) run.Levels[l] = q.Values[l];
    ClassifyRun(analyte, run);
    // The levels the analyte does not have carry no value, as the dialog sets them.
    for (std::size_t l = static_cast<std::size_t>(analyte.LevelCount); l < MaxLevels; ++l) run.Levels[l] = {0, qsNoValue, {}};
    return run;
}

void WriteResult(TJsonWriter& j, const TWestgardResult& r, const TAnalyte& analyte, const std::array<bool, MaxLevels>& rejected) {
    j.BeginObject();
    j.Key("previous_point").Int(r.PreviousPoint);
    j.Key("participating").BeginArray();
    for (bool p : r.Participating) j.Bool(p);
    j.EndArray();
    j.Key("participating_count").Int(r.ParticipatingCount);
    j.Key("alarm").Text(r.Alarm == TRuleState::Reject ? "red" : "yellow");
    j.Key("levels").BeginArray();
    for (std::size_t l = 0; l < static_cast<std::size_t>(analyte.LevelCount); ++l) {
        j.BeginObject();
        j.Key("status").Int(r.Status[l]);
        j.Key("rejected").Bool(rejected[l]);
        j.Key("rules").BeginObject();
        for (int rule = 0; rule < LevelRuleCount; ++rule)
            j.Key(LevelRuleNames[static_cast<std::size_t>(rule)]).Text(RuleStateName(r.Rules[l][static_cast<std::size_t>(rule)]));
        j.EndObject();
        j.EndObject();
    }
    j.EndArray();
    j.Key("across").BeginObject();
    for (int rule = 0; rule < AcrossRuleCount; ++rule)
        j.Key(AcrossRuleName(rule, r.ParticipatingCount)).Text(RuleStateName(r.Across[static_cast<std::size_t>(rule)]));
    j.EndObject();
    j.EndObject();
}

} // namespace

int RunWestgard(const TArgs& args) {
    const TRunRequest q = ParseRequest(args);
    UseSettingsFor(q.Positionals[0], q.Settings);
    TDataSet data;
    ReadDataSet(q.Positionals[0], data);
    const TAnalyte& analyte = FindAnalyte(data, q.Positionals[1], q.Positionals[0]);
    const TResu run = MakeRun(q, analyte);
    const auto rejected = ParseRejects(q.Rejects, analyte, run);
    const bool multirules = q.Multirules.value_or(analyte.HasOption(aoWestgard));
    TJsonWriter j;
    WriteResult(j, EvaluateRun(analyte, run, rejected, multirules), analyte, rejected);
    std::cout << j.str() << '\n';
    return 0;
}

} // namespace tervanix::cli
