// import: runs from a tab-separated text (a spreadsheet's or the export's) into an analyte of a
// data file, read as the program's import dialog reads them and added as its Add does.
#include <QFileInfo>
#include <QLockFile>
#include <iostream>
#include <memory>

#include "cli/CliCommands.h"
#include "cli/CliJson.h"
#include "cli/CliLocale.h"
#include "main/UAuditNotes.h"
#include "model/UAuditTrail.h"
#include "model/UAnsiText.h"
#include "model/UDataLoadSave.h"
#include "model/UFileStore.h"
#include "model/UImportText.h"

namespace tervanix::cli {
namespace {

using TLimitsModes = decltype(TAnalyte::LimitsMode);

struct TImportRequest {
    std::vector<std::string> Positionals;
    std::optional<std::string> SettingsPath;
    bool DryRun = false;
};

TImportRequest ParseImport(const TArgs& args) {
    TImportRequest request;
    TArgCursor cursor(args);
    while (!cursor.Done()) {
        const std::string& arg = cursor.Next();
        if (arg == "--dry-run") request.DryRun = true;
        else if (arg == "--settings") request.SettingsPath = cursor.ValueOf(arg);
        else if (IsOption(arg)) throw EUsage("Unknown option: " + arg);
        else request.Positionals.push_back(arg);
    }
    ExpectPositionals(request.Positionals, 3);
    return request;
}

std::vector<TImportRun> ReadRuns(const std::string& path) {
    std::optional<std::string> bytes = ReadWholeFile(path, MaxImportTextBytes);
    // A text that cannot be read is not a text of a bad format: the system's reason.
    if (!bytes) throw EFailure("Cannot read " + path + ": " + WhyUnreadable(path, MaxImportTextBytes));
    if (!IsImportText(*bytes)) throw EFailure("Bad file format: " + path);
    return ParseImportText(*bytes);
}

void WriteRuns(const std::vector<TImportRun>& runs) {
    TJsonWriter j;
    j.BeginObject().Key("runs").BeginArray();
    for (const TImportRun& run : runs) {
        j.BeginObject().Key("date_time").Number(run.DateTime).Key("values").BeginArray();
        for (const TLevelResult& level : run.Levels) level.Status == qsNoValue ? j.Null() : j.Number(level.Value);
        j.EndArray().EndObject();
    }
    j.EndArray().EndObject();
    std::cout << j.str() << '\n';
}

// The audit line goes first: without it the data file is not written.
void WriteImportAudit(const std::string& dataPath, const TAnalyte& analyte, const std::string& textPath, int added) {
    TAuditNote note = AuditNote("import", AuditAnalyteName(analyte), 0,
                                {{QStringLiteral("file"), QFileInfo(QString::fromLocal8Bit(textPath.c_str())).fileName()},
                                 {QStringLiteral("runs"), added}});
    note.Source = std::string(AuditFromCommandLine);
    try {
        AppendAudit(AuditPathOf(dataPath), {note});
    } catch (const EAuditWriteError& e) {
        throw EFailure(std::string(e.what()) + ": " + e.Path() + ": " + e.Reason() + "; nothing was imported");
    }
}

} // namespace

int RunImport(const TArgs& args) {
    const TImportRequest request = ParseImport(args);
    const std::string& dataPath = request.Positionals[0];
    UseSettingsFor(dataPath, request.SettingsPath);
    const std::unique_ptr<QLockFile> lock = request.DryRun ? nullptr : LockDataFile(dataPath, "import");
    TDataSet data;
    ReadDataSet(dataPath, data);
    TAnalyte& analyte = FindAnalyte(data, request.Positionals[1], dataPath);
    SetLocale(EnvironmentLocale().Formats);
    const std::vector<TImportRun> runs = ReadRuns(request.Positionals[2]);
    if (request.DryRun) {
        WriteRuns(runs);
        return 0;
    }
    const TLimitsModes modes = analyte.LimitsMode;
    const int added = AddImportedRuns(analyte, runs);
    if (added == 0) throw EFailure("Nothing to import: " + request.Positionals[2]);
    // The import dialog asks before it does this; the command line at least tells.
    for (int level = 0; level < analyte.LevelCount && level < MaxLevels; ++level) {
        const std::uint8_t mode = modes[static_cast<std::size_t>(level)];
        if (mode == lmMobile) continue;
        std::cerr << "tervanix-cli: " << AnsiToUtf8(analyte.Name.str()) << " level " << level + 1 << ": "
                  << (mode == lmLocked ? "locked" : "fixed") << " limits set back to mobile limits\n";
    }
    WriteImportAudit(dataPath, analyte, request.Positionals[2], added);
    WriteFileAtomic(dataPath, EncodeDataFile(data.Materials, data.Analytes), "Cannot write " + dataPath);
    TJsonWriter j;
    j.BeginObject().Key("analyte").Text(analyte.Name.view()).Key("added").Int(added).Key("points").Int(analyte.Count()).EndObject();
    std::cout << j.str() << '\n';
    return 0;
}

} // namespace tervanix::cli
