// Writes small seed files for each fuzz target, from the program's own writers where it has one:
//   fuzz_seeds DIR  ->  DIR/datafile, DIR/settings, DIR/queue, DIR/version2, DIR/archive, DIR/goals
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "model/UArchive.h"
#include "model/UAuditTrail.h"
#include "model/UCodec.h"
#include "model/UDataLoadSave.h"
#include "model/UFormat.h"
#include "model/UGlobals.h"
#include "model/UQualityGoals.h"
#include "model/URandom.h"
#include "model/USettingsFile.h"
#include "model/USha256.h"

using namespace tervanix;
namespace fs = std::filesystem;

namespace {

void Write(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Tag(const char* version) {
    ByteWriter w;
    w.U8(8);
    w.Raw(version);
    w.Bytes(FormatMagic);
    return w.take();
}

// One analyte with one run, in format "30" (75-byte definition blocks).
std::string Version30File() {
    ByteWriter w;
    w.I32(0);
    w.I32(1);
    w.I32(1);
    TQCPoint p;
    p.DateTime = 45000.5;
    p.Levels[0] = {4.2f, qsInControl, {}};
    WriteQCPoint(w, p);
    w.Short("Urea", 15);
    w.Short("mmol/L", 6);
    w.Zeros(1);
    w.I32(1);
    w.I32(1);
    for (int i = 0; i < 3; ++i) w.I32(-1);
    w.Zeros(4);
    for (int i = 0; i < 6; ++i) w.I32(-1);
    w.Zeros(3);
    for (int i = 0; i < 3; ++i) w.Zeros(LevelBlockSize);
    w.Raw(Tag("30"));
    w.I32(0);
    w.Raw(Tag("30"));
    w.I32(1);
    w.I32(0);
    w.Counted("first run");
    w.Raw(Tag("30"));
    w.Raw(Tag("30"));
    return w.take();
}

// Two analytes of the predecessor: points, definition, two skipped records, comments.
std::string Version2File() {
    ByteWriter w;
    w.I32(1);
    w.Zeros(27);
    w.I32(2);
    for (int a = 0; a < 2; ++a) {
        w.I32(4);
        for (int i = 0; i < 4; ++i) {
            w.F64(44900 + i);
            for (int level = 0; level < 3; ++level) {
                w.F32(5.0f + static_cast<float>(i + level) * 0.3f);
                w.U8(static_cast<std::uint8_t>((i + level) % 3));
                w.Zeros(3);
            }
            w.I32(i == 2 ? 4 : -1);
        }
        w.Short(a == 0 ? "GLU" : "CREA", 10);
        w.Short("mmol/l", 12);
        w.I32(2);
        w.Zeros(108 - 28);
        for (int i = 0; i < 3; ++i) w.I32(i == 0 ? 0 : -1);
        for (int i = 0; i < 3; ++i) w.I32(i == 0 ? 3 : -1);
        w.I32(2);
        w.Zeros(2 * 68);
        w.I32(5);
        w.I32(2);
        w.I32(1);
        w.Short("control", 23);
        w.I32(4);
        w.Short("new lot", 23);
    }
    w.Raw(Tag("20"));
    return w.take();
}

// Three linked lines, as the program writes them.
std::string AuditChainText() {
    const char* const actions[] = {"audit.started", "run.stored", "limits.locked"};
    std::string text, previous;
    long long seq = 0;
    for (const char* action : actions) {
        TAuditEntry entry;
        entry.Seq = ++seq;
        entry.Time = "2026-12-08T16:35:03Z";
        entry.Action = action;
        entry.Analyte = "Glucose \"\u00e9\"";
        entry.Details = R"({"values":[4.5,null],"comment":"ok"})";
        entry.Prev = previous;
        const std::string line = EncodeAuditLine(entry);
        previous = Sha256Hex(line);
        text += line + "\n";
    }
    return text;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: fuzz_seeds DIR\n";
        return 1;
    }
    const fs::path dir = argv[1];
    Random().SetSeed(2023);
    Write(dir / "datafile" / "empty", EncodeDataFile(Materials, Analytes));
    Write(dir / "datafile" / "version30", Version30File());
    CreateDefaultData();
    Write(dir / "datafile" / "demo", EncodeDataFile(Materials, Analytes));

    Operators.Add("AB");
    Operators.Add("XYZ");
    TSettings settings = DefaultSettings();
    Write(dir / "settings" / "default", EncodeSettingsFile(settings, TOperatorList()));
    settings.Password = "secret";
    Write(dir / "settings" / "operators", EncodeSettingsFile(settings, Operators));

    Write(dir / "queue" / "demo", Queue.Encode());
    TFifo partial;
    TResu first;
    first.StandaloneFlag = 0;
    first.DateTime = 45000.4;
    first.Levels[0] = {3.1f, qsInControl, {}};
    first.AnalyteName = "Glucose";
    TResu second = first;
    second.Levels[0] = {0, qsNoValue, {}};
    second.Levels[1] = {5.2f, qsInControl, {}};
    second.Comment = "sent later";
    partial.Push(first);
    partial.Push(second);
    Write(dir / "queue" / "levels", partial.Encode());

    Write(dir / "version2" / "two", Version2File());
    Write(dir / "archive" / "glucose", ArchiveText(*Analytes.FindByName("Glucose"), 0, Materials));
    SetLocale(TLocaleFormats{});
    Write(dir / "importtext" / "copied", Analytes[0].CopyToText() + std::string(1, '\0'));
    TQualityGoals goals;
    goals.Set("Glucose", {10.0, {3.0, 5.0, std::nullopt}});
    goals.Set("B\xB5" "2", {std::nullopt, {1e-5, std::nullopt, -2.5}});
    Write(dir / "goals" / "two", EncodeGoalsFile(goals));
    Write(dir / "goals" / "escapes", "{\"analytes\": {\"Gluc\\u00e9\\ud83d\\ude00\\n\": {\"targets\": [1e2], \"tea_percent\": 7.5, \"x\": [true, false, {}]}}}");
    Write(dir / "importtext" / "spreadsheet", "\xEF\xBB\xBF" "Date\tTime\tQC1\n08/12/2026\t10:30\t4.5\t\t7\n9/12/26\t2:00 PM\t4,6\n");
    Write(dir / "audit" / "chain", AuditChainText());
    return 0;
}
