// dump, queue and settings: the program's files as JSON.
#include <iostream>

#include "cli/CliCommands.h"
#include "cli/CliJson.h"
#include "intake/UFifoResult.h"
#include "model/UGlobals.h"
#include "model/USettingsFile.h"

namespace tervanix::cli {
namespace {

template <class Array> void IntArray(TJsonWriter& j, const Array& values) {
    j.BeginArray();
    for (auto v : values) j.Int(v);
    j.EndArray();
}

void WriteStats(TJsonWriter& j, const TLevelStats& s) {
    j.BeginObject();
    j.Key("mean").Number(s.Mean);
    j.Key("alert_half_width").Number(s.AlertHalfWidth);
    j.Key("action_half_width").Number(s.ActionHalfWidth);
    j.Key("min").Number(s.Min);
    j.Key("max").Number(s.Max);
    j.Key("chart_low").Number(s.ChartLow);
    j.Key("chart_high").Number(s.ChartHigh);
    j.Key("n").Int(s.N);
    j.Key("discarded_count").Int(s.DiscardedCount);
    j.Key("degrees_of_freedom").Int(s.DegreesOfFreedom);
    j.Key("cv").Number(s.CV);
    j.Key("status").Int(s.Status);
    j.EndObject();
}

void WriteStatsArray(TJsonWriter& j, const std::array<TLevelStats, MaxLevels>& stats) {
    j.BeginArray();
    for (const TLevelStats& s : stats) WriteStats(j, s);
    j.EndArray();
}

void WriteLevels(TJsonWriter& j, const TLevelResults& levels) {
    j.BeginArray();
    for (const TLevelResult& r : levels) j.BeginObject().Key("value").Number(r.Value).Key("status").Int(r.Status).EndObject();
    j.EndArray();
}

void WritePoint(TJsonWriter& j, const TQCPoint& p) {
    j.BeginObject();
    j.Key("date_time").Number(p.DateTime);
    j.Key("levels");
    WriteLevels(j, p.Levels);
    j.Key("comment_id").Int(p.CommentId);
    j.Key("operator").Text(p.Operator.str());
    j.EndObject();
}

void WriteAnalyte(TJsonWriter& j, const TAnalyte& a) {
    j.BeginObject();
    j.Key("name").Text(a.Name.str());
    j.Key("unit").Text(a.UnitName.str());
    j.Key("decimals").Int(a.Decimals);
    j.Key("level_count").Int(a.LevelCount);
    j.Key("options").Int(a.Options);
    j.Key("material_ids");
    IntArray(j, a.MaterialId);
    j.Key("limits_mode");
    IntArray(j, a.LimitsMode);
    j.Key("lock_first");
    IntArray(j, a.LockFirst);
    j.Key("lock_last");
    IntArray(j, a.LockLast);
    j.Key("archives");
    IntArray(j, a.Archives);
    j.Key("comments").BeginArray();
    for (const TIDString& c : a.Comments.Items()) j.BeginObject().Key("id").Int(c.Id).Key("text").Text(c.Text).EndObject();
    j.EndArray();
    j.Key("current");
    WriteStatsArray(j, a.Current);
    j.Key("all_points");
    WriteStatsArray(j, a.AllPoints);
    j.Key("points").BeginArray();
    for (int i = 0; i < a.Count(); ++i) WritePoint(j, a.Point(i));
    j.EndArray();
    j.EndObject();
}

void WriteMaterial(TJsonWriter& j, const TMaterial& m) {
    j.BeginObject();
    j.Key("id").Int(m.Id);
    j.Key("change_flag").Int(m.ChangeFlag);
    j.Key("name").Text(m.Name.str());
    j.Key("lot").Text(m.Lot.str());
    j.EndObject();
}

std::string FormatVersion(const std::array<std::uint8_t, 9>& tag) {
    return {static_cast<char>(tag[1]), static_cast<char>(tag[2])};
}

void Print(const TJsonWriter& j) { std::cout << j.str() << '\n'; }

} // namespace

int RunDump(const TArgs& args) {
    TArgCursor cursor(args);
    std::vector<std::string> positionals;
    std::optional<std::string> settings;
    while (!cursor.Done()) {
        const std::string& arg = cursor.Next();
        if (arg == "--settings") settings = cursor.ValueOf(arg);
        else if (IsOption(arg)) throw EUsage("Unknown option: " + arg);
        else positionals.push_back(arg);
    }
    ExpectPositionals(positionals, 1);
    UseSettingsFor(positionals[0], settings);
    TDataSet data;
    ReadDataSet(positionals[0], data);

    TJsonWriter j;
    j.BeginObject();
    j.Key("format_version").Text(data.Version);
    j.Key("materials").BeginArray();
    for (const TMaterial& m : data.Materials.Items()) WriteMaterial(j, m);
    j.EndArray();
    j.Key("analytes").BeginArray();
    for (int i = 0; i < data.Analytes.Count(); ++i) WriteAnalyte(j, data.Analytes[i]);
    j.EndArray();
    j.EndObject();
    Print(j);
    return 0;
}

int RunQueue(const TArgs& args) {
    ExpectPositionals(args, 1);
    const std::string& path = args[0];
    TFifo queue;
    if (!queue.Decode(ReadInput(path, "Cannot read queue"))) throw EFailure("Damaged queue file: " + path);
    TJsonWriter j;
    j.BeginArray();
    for (const TResu& e : queue.Entries()) {
        j.BeginObject();
        j.Key("standalone").Bool(e.StandaloneFlag != 0);
        j.Key("date_time").Number(e.DateTime);
        j.Key("levels");
        WriteLevels(j, e.Levels);
        j.Key("comment").Text(e.Comment);
        j.Key("operator").Text(e.Operator);
        j.Key("analyte").Text(e.AnalyteName);
        j.EndObject();
    }
    j.EndArray();
    Print(j);
    return 0;
}

int RunSettings(const TArgs& args) {
    ExpectPositionals(args, 1);
    const std::string& path = args[0];
    TSettings s;
    TOperatorList operators;
    try {
        DecodeSettingsFile(ReadInput(path, "Cannot read settings"), s, operators);
    } catch (const EQCError& e) {
        throw EFailure("Cannot read settings: " + path + ": " + e.what());
    }
    TJsonWriter j;
    j.BeginObject();
    j.Key("show_about_at_start").Int(s.ShowAboutAtStart);
    j.Key("print_in_colour").Int(s.PrintInColour);
    j.Key("password").Text(s.Password.str());
    j.Key("backup_drive").Text(std::string(1, s.BackupDrive));
    j.Key("backup_interval_days").Int(s.BackupIntervalDays);
    j.Key("last_backup").Number(s.LastBackup);
    j.Key("alert_risk").Int(s.AlertRisk);
    j.Key("action_risk").Int(s.ActionRisk);
    j.Key("format_version").Text(FormatVersion(s.FormatTag));
    j.Key("operators").BeginArray();
    for (const std::string& code : operators.Items()) j.Text(code);
    j.EndArray();
    j.EndObject();
    Print(j);
    return 0;
}

} // namespace tervanix::cli
