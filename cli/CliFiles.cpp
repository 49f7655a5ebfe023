// export, check, demo and convert: reading, checking and writing the program's files.
#include <QLockFile>
#include <filesystem>
#include <iostream>
#include <limits>

#include "cli/CliCommands.h"
#include "cli/CliLocale.h"
#include "model/UAnsiText.h"
#include "model/UCompatibilityMorvelle.h"
#include "model/UDataLoadSave.h"
#include "model/UFileStore.h"
#include "model/UGlobals.h"
#include "model/URandom.h"
#include "model/USettingsFile.h"

namespace tervanix::cli {
namespace {

constexpr std::string_view Version2Tag = "\x08"
                                         "20\xB5\xFE\x70\x6F\x34\x35";

bool IsVersion2Image(std::string_view bytes) {
    return bytes.size() >= Version2Tag.size() && bytes.substr(bytes.size() - Version2Tag.size()) == Version2Tag;
}

// A version-2 image as analytes; nothing when any part of it cannot be read.
void ReadVersion2(const std::string& path, std::string_view bytes, TListAnalytes& analytes) {
    try {
        ImportVersion2(bytes, analytes);
    } catch (const EDataFileError& e) {
        throw EFailure("Cannot read data: " + path + ": " + e.Detail());
    } catch (const EQCError& e) {
        throw EFailure("Cannot read data: " + path + ": " + e.what());
    }
}

int CountPoints(const TListAnalytes& analytes) {
    int points = 0;
    for (int i = 0; i < analytes.Count(); ++i) points += analytes[i].Count();
    return points;
}

std::string Plural(long long n, const std::string& word) {
    return std::to_string(n) + ' ' + word + (n == 1 ? "" : "s");
}

std::string DataSummary(const TListAnalytes& analytes) {
    return Plural(analytes.Count(), "analyte") + ", " + Plural(CountPoints(analytes), "point");
}

std::string CheckDataFile(const std::string& path) {
    UseSettings(std::nullopt);
    TDataSet data;
    ReadDataSet(path, data);
    const std::string format = data.Version == "32" ? "" : " (format " + AnsiToUtf8(data.Version) + ")";
    return "data file" + format + ", " + Plural(data.Materials.Count(), "material") + ", " + DataSummary(data.Analytes);
}

std::string CheckSettingsFile(const std::string& path) {
    TSettings settings;
    TOperatorList operators;
    try {
        DecodeSettingsFile(ReadInput(path, "Cannot read settings"), settings, operators);
    } catch (const EQCError& e) {
        throw EFailure("Damaged settings file: " + path + ": " + e.what());
    }
    return "settings file, " + Plural(operators.Count(), "operator");
}

std::string CheckQueueFile(const std::string& path) {
    TFifo queue;
    if (!queue.Decode(ReadInput(path, "Cannot read queue"))) throw EFailure("Damaged queue file: " + path);
    return "queue file, " + std::to_string(queue.Count()) + (queue.Count() == 1 ? " entry" : " entries");
}

std::string CheckVersion2File(const std::string& path) {
    const std::string bytes = ReadInput(path, "Cannot read data");
    TListAnalytes analytes;
    ReadVersion2(path, bytes, analytes);
    return "version-2 file, " + DataSummary(analytes);
}

std::uint32_t ParseSeed(const std::string& text) {
    std::size_t used = 0;
    unsigned long long seed = 0;
    try {
        seed = std::stoull(text, &used, 10);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != text.size() || text.empty() || text[0] == '-' || seed > std::numeric_limits<std::uint32_t>::max())
        throw EUsage("The seed must be a whole number from 0 to 4294967295: " + text);
    return static_cast<std::uint32_t>(seed);
}

// The demonstration set must never replace a laboratory's files.
void RefuseExisting(const std::string& path, const std::string& hint = "") {
    std::error_code ec;
    const auto status = std::filesystem::symlink_status(path, ec); // a dangling link exists too
    if (status.type() == std::filesystem::file_type::not_found) return;
    throw EFailure(path + " already exists; nothing was written" + hint);
}

} // namespace

int RunExport(const TArgs& args) {
    ExpectPositionals(args, 2);
    UseSettings(std::nullopt);
    TDataSet data;
    ReadDataSet(args[0], data);
    const TAnalyte& analyte = FindAnalyte(data, args[1], args[0]);
    const TEnvironmentLocale env = EnvironmentLocale();
    SetLocale(env.Formats);
    const std::string text = analyte.CopyToText();
    std::cout << (env.Utf8 ? AnsiToUtf8(text) : text);
    return 0;
}

int RunCheck(const TArgs& args) {
    ExpectPositionals(args, 1);
    const std::string& path = args[0];
    const std::string ext = LowerExtension(path);
    std::string summary;
    if (ext == ".qcf") summary = CheckDataFile(path);
    else if (ext == ".cfr") summary = CheckSettingsFile(path);
    else if (ext == ".fif") summary = CheckQueueFile(path);
    else if (ext == ".dat" || ext == ".sav") summary = CheckVersion2File(path);
    else throw EUsage("Unknown kind of file (expected .qcf, .cfr, .fif, .dat or .sav): " + path);
    std::cout << "OK: " << summary << '\n';
    return 0;
}

int RunDemo(const TArgs& args) {
    TArgCursor cursor(args);
    std::vector<std::string> positionals;
    std::optional<std::uint32_t> seed;
    while (!cursor.Done()) {
        const std::string& arg = cursor.Next();
        if (arg == "--seed") seed = ParseSeed(cursor.ValueOf(arg));
        else if (IsOption(arg)) throw EUsage("Unknown option: " + arg);
        else positionals.push_back(arg);
    }
    ExpectPositionals(positionals, 1);
    const std::filesystem::path dir = positionals[0];
    const std::string dataPath = (dir / "Tervanix.qcf").string();
    const std::string queuePath = (dir / "Tervanix.fif").string();
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) throw EFailure("Cannot create " + dir.string() + ": " + ec.message());
    RefuseExisting(dataPath);
    RefuseExisting(queuePath);

    if (seed) Random().SetSeed(*seed);
    else RandomizeFromClock();
    UseSettings(std::nullopt);
    Materials.Clear();
    Analytes.FreeAll();
    Queue.Clear();
    CreateDefaultData();
    SaveDataFile(dataPath);
    Queue.Save(queuePath);
    std::cout << "Wrote " << dataPath << " and " << queuePath << '\n';
    return 0;
}

int RunConvert(const TArgs& args) {
    std::vector<std::string> positionals;
    bool force = false;
    for (const std::string& arg : args) {
        if (arg == "--force") force = true;
        else if (IsOption(arg)) throw EUsage("Unknown option: " + arg);
        else positionals.push_back(arg);
    }
    ExpectPositionals(positionals, 2);
    const std::string& in = positionals[0];
    const std::string& out = positionals[1];
    if (SameFile(in, out)) throw EFailure("The output is the input file; nothing was written: " + out);
    // An existing data file is a laboratory's: replaced only when asked, and never while the
    // program works on its folder.
    if (!force) RefuseExisting(out, "; --force replaces it");
    const std::unique_ptr<QLockFile> lock = LockDataFile(out, "convert");
    UseSettings(std::nullopt);
    const std::string bytes = ReadInput(in, "Cannot read data");
    TDataSet data;
    std::string from;
    if (IsVersion2Image(bytes)) {
        ReadVersion2(in, bytes, data.Analytes);
        from = "version 2";
    } else {
        DecodeDataSet(in, bytes, data);
        from = "format " + AnsiToUtf8(data.Version);
    }
    WriteFileAtomic(out, EncodeDataFile(data.Materials, data.Analytes), "Cannot write " + out);
    std::cout << "Converted " << in << " (" << from << ") to " << out << ": " << DataSummary(data.Analytes) << '\n';
    return 0;
}

} // namespace tervanix::cli
