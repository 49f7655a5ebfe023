// archives and archive: the archived series of an analyte, read by the same code as the program's
// archives browser.
#include <filesystem>
#include <iostream>

#include "cli/CliCommands.h"
#include "cli/CliJson.h"
#include "model/UArchive.h"
#include "model/UFileStore.h"

namespace tervanix::cli {

int RunArchives(const TArgs& args) {
    ExpectPositionals(args, 2);
    UseSettings(std::nullopt);
    TDataSet data;
    ReadDataSet(args[0], data);
    const TAnalyte& analyte = FindAnalyte(data, args[1], args[0]);
    // The archives lie beside the data file, as they lie beside the program's own.
    const std::filesystem::path folder = std::filesystem::path(args[0]).parent_path();
    TJsonWriter j;
    j.BeginArray();
    for (const std::int32_t number : analyte.Archives)
        j.BeginObject().Key("number").Int(number).Key("file").Text((folder / ArchiveBaseName(number)).string()).EndObject();
    j.EndArray();
    std::cout << j.str() << '\n';
    return 0;
}

// The texts as stored: dates, times and numbers in the formats of the machine that wrote them.
void WriteArchive(TJsonWriter& j, const TArchiveContent& a) {
    j.BeginObject();
    j.Key("analyte").Text(a.Analyte);
    j.Key("unit").Text(a.Unit);
    j.Key("first_date").Text(a.FirstDate);
    j.Key("last_date").Text(a.LastDate);
    j.Key("material").Text(a.Material);
    j.Key("lot").Text(a.Lot);
    j.Key("mean").Text(a.Mean);
    j.Key("cv").Text(a.CV);
    j.Key("n").Text(a.N);
    j.Key("points").BeginArray();
    for (const TArchivePoint& p : a.Points) {
        j.BeginObject();
        j.Key("date").Text(p.Date);
        j.Key("time").Text(p.Time);
        j.Key("value").Text(p.Value);
        j.Key("operator").Text(p.Operator);
        j.Key("comment").Text(p.Comment);
        j.EndObject();
    }
    j.EndArray();
    j.EndObject();
}

TArchiveContent ReadArchiveFile(const std::string& path) {
    if (!FileExists(path)) throw EFailure("Cannot read archive: cannot open " + path);
    // A folder, a file over the size limit or one that cannot be opened is named as such.
    if (const std::string why = WhyUnreadable(path, MaxArchiveBytes); !why.empty())
        throw EFailure("Cannot read archive " + path + ": " + why);
    auto archive = ReadArchive(path);
    if (!archive) throw EFailure("Damaged archive file: " + path);
    return std::move(*archive);
}

int RunArchive(const TArgs& args) {
    ExpectPositionals(args, 1);
    TJsonWriter j;
    WriteArchive(j, ReadArchiveFile(args[0]));
    std::cout << j.str() << '\n';
    return 0;
}

} // namespace tervanix::cli
