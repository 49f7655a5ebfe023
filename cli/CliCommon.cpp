#include "cli/CliCommon.h"

#include <QFileInfo>
#include <QLockFile>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>

#include "model/UAnsiText.h"
#include "model/UDataLoadSave.h"
#include "model/UFileStore.h"
#include "model/UGlobals.h"
#include "model/USettingsFile.h"
#include "model/UStudent.h"

namespace tervanix::cli {

const std::string& TArgCursor::ValueOf(const std::string& option) {
    if (Done()) throw EUsage("Option " + option + " needs a value");
    return Next();
}

bool IsOption(const std::string& arg) { return arg.size() > 2 && arg.compare(0, 2, "--") == 0; }

void ExpectPositionals(const std::vector<std::string>& positionals, std::size_t count) {
    if (positionals.size() < count) throw EUsage("Missing argument");
    if (positionals.size() > count) throw EUsage("Unexpected argument: " + positionals[count]);
}

std::string LowerExtension(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return ext;
}

std::string ReadInput(const std::string& path, const std::string& failurePrefix) {
    auto bytes = ReadWholeFile(path);
    if (!bytes) throw EFailure(failurePrefix + ": cannot open " + path);
    return std::move(*bytes);
}

void UseSettings(const std::optional<std::string>& path) {
    Settings = DefaultSettings();
    if (!path) return;
    // An explicit settings file that cannot be read is an error: silently using other risks
    // would give other limits than the laboratory's.
    const std::string bytes = ReadInput(*path, "Cannot read settings");
    TOperatorList operators;
    try {
        DecodeSettingsFile(bytes, Settings, operators);
    } catch (const EQCError& e) {
        throw EFailure("Cannot read settings: " + *path + ": " + e.what());
    }
}

void UseSettingsFor(const std::string& dataPath, const std::optional<std::string>& path) {
    if (path) return UseSettings(path);
    const std::string beside = SettingsPathBeside(dataPath);
    std::error_code ec;
    if (std::filesystem::is_regular_file(beside, ec)) return UseSettings(beside);
    UseSettings(std::nullopt);
    std::cerr << "tervanix-cli: no settings file " << beside << ": the default risks are used (warning "
              << RiskPercentText(Settings.AlertRisk) << ", action " << RiskPercentText(Settings.ActionRisk) << ")\n";
}

int TDataSet::PointCount() const {
    int points = 0;
    for (int i = 0; i < Analytes.Count(); ++i) points += Analytes[i].Count();
    return points;
}

void ReadDataSet(const std::string& path, TDataSet& data) { DecodeDataSet(path, ReadInput(path, "Cannot read data"), data); }

void DecodeDataSet(const std::string& path, std::string_view bytes, TDataSet& data) {
    try {
        data.Version = DecodeDataFile(bytes, data.Materials, data.Analytes);
    } catch (const EDataFileError& e) {
        throw EFailure("Cannot read data: " + path + ": " + e.Detail());
    }
}

TAnalyte& FindAnalyte(const TDataSet& data, const std::string& name, const std::string& path) {
    // Names on the command line are usually UTF-8; a script may also pass the stored 8-bit bytes.
    TAnalyte* analyte = data.Analytes.FindByName(name);
    if (!analyte) analyte = data.Analytes.FindByName(Utf8ToAnsi(name));
    if (!analyte) throw EFailure("No analyte named \"" + name + "\" in " + path);
    return *analyte;
}

std::unique_ptr<QLockFile> LockDataFile(const std::string& dataPath, const std::string& command) {
    const QFileInfo file(QString::fromLocal8Bit(dataPath.c_str()));
    auto lock = std::make_unique<QLockFile>(file.absolutePath() + u'/' + file.completeBaseName() + QStringLiteral(".lck"));
    errno = 0;
    if (lock->tryLock(0)) return lock;
    const int error = errno;
    // Held by a program that runs (a stale lock of a dead one is taken over by tryLock).
    if (lock->error() == QLockFile::LockFailedError)
        throw EFailure("The program is working on " + dataPath + ": close it, then " + command + " again");
    const std::string folder = file.absolutePath().toLocal8Bit().toStdString();
    const std::string reason = lock->error() == QLockFile::PermissionError ? "permission denied or read-only"
                               : error != 0                               ? std::strerror(error)
                                                                          : "the folder cannot be written";
    throw EFailure("Cannot lock the data folder " + folder + ": " + reason + "; nothing was written");
}

bool SameFile(const std::string& a, const std::string& b) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::equivalent(a, b, ec)) return true;
    // The output may not exist yet; then compare the spellings once made absolute and normal.
    const fs::path pa = fs::weakly_canonical(a, ec);
    const fs::path pb = fs::weakly_canonical(b, ec);
    return !ec && pa == pb;
}

} // namespace tervanix::cli
