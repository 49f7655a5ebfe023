// print: the dispatcher of the printout kinds and what they share.
#include "cli/CliPrint.h"

#include <QGuiApplication>
#include <cstdlib>
#include <iostream>
#include <string_view>

#include "cli/CliCommands.h"
#include "cli/CliLocale.h"
#include "model/UDateTime.h"
#include "model/UFileStore.h"
#include "model/UFormat.h"

namespace tervanix::cli {
namespace {

struct TPrintKind {
    std::string_view Name;
    int (*Run)(const TArgs&);
};

// One line per kind of printout.
constexpr TPrintKind PrintKinds[] = {
    {"data", RunPrintData},
    {"charts", RunPrintCharts},
    {"limits", RunPrintLimits},
    {"daily", RunPrintDaily},
    {"archive", RunPrintArchive},
    {"audit", RunPrintAudit},
    {"sigma", RunPrintSigma},
    {"summary", RunPrintSummary},
};

QtMessageHandler platformHandler = nullptr;

// Nightly jobs mail what they write on stderr: the platform's remarks on a missing runtime folder
// (cron sets none) are not the laboratory's concern, everything else still goes out.
void QuietRuntimeFolderRemarks(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QLatin1String("QStandardPaths:"))) return;
    if (platformHandler) platformHandler(type, context, message);
    else std::cerr << qFormatLogMessage(type, context, message).toLocal8Bit().constData() << '\n';
}

bool IsDigits(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

QPageSize::PageSizeId ParsePaper(const std::string& text) {
    const QString name = QString::fromStdString(text);
    if (name.compare(QLatin1String("A4"), Qt::CaseInsensitive) == 0) return QPageSize::A4;
    if (name.compare(QLatin1String("Letter"), Qt::CaseInsensitive) == 0) return QPageSize::Letter;
    throw EUsage("--paper takes A4 or Letter: " + text);
}

} // namespace

int RunPrint(const TArgs& args) {
    if (args.empty()) throw EUsage("Missing kind of printout");
    for (const TPrintKind& kind : PrintKinds)
        if (args[0] == kind.Name) return kind.Run(TArgs(args.begin() + 1, args.end()));
    throw EUsage("Unknown kind of printout: " + args[0]);
}

TDateTime ParseDay(const std::string& text, const std::string& option) {
    const std::string_view t = text;
    if (t.size() == 10 && t[4] == '-' && t[7] == '-' && IsDigits(t.substr(0, 4)) && IsDigits(t.substr(5, 2)) &&
        IsDigits(t.substr(8, 2))) {
        const int year = std::stoi(text.substr(0, 4)), month = std::stoi(text.substr(5, 2)),
                  day = std::stoi(text.substr(8, 2));
        if (IsValidDate(year, month, day)) return EncodeDate(year, month, day);
    }
    throw EUsage("The date of " + option + " must be a date written YYYY-MM-DD: " + text);
}

TPrintRequest ParsePrintArgs(const TArgs& args, const TKindOption& kindOption) {
    TPrintRequest request;
    TArgCursor cursor(args);
    while (!cursor.Done()) {
        const std::string& arg = cursor.Next();
        if (arg == "--from") request.From = ParseDay(cursor.ValueOf(arg), arg);
        else if (arg == "--to") request.To = ParseDay(cursor.ValueOf(arg), arg);
        else if (arg == "--settings") request.SettingsPath = cursor.ValueOf(arg);
        else if (arg == "--out") request.Out = cursor.ValueOf(arg);
        else if (arg == "--stats") request.Stats = true;
        else if (arg == "--paper") request.Paper = ParsePaper(cursor.ValueOf(arg));
        else if (IsOption(arg) && !(kindOption && kindOption(arg, cursor))) throw EUsage("Unknown option: " + arg);
        else if (!IsOption(arg)) request.Positionals.push_back(arg);
    }
    if (request.Out.empty()) throw EUsage("Missing --out OUT.pdf");
    return request;
}

void RequireDateRange(const TPrintRequest& request) {
    if (!request.From || !request.To) throw EUsage("Missing --from DATE or --to DATE");
}

std::unique_ptr<QGuiApplication> StartPrinting() {
    // Printing needs fonts, never a screen: nightly jobs run where no display exists.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    platformHandler = qInstallMessageHandler(QuietRuntimeFolderRemarks);
    static int argc = 1;
    static char name[] = "tervanix-cli";
    static char* argv[] = {name, nullptr};
    auto app = std::make_unique<QGuiApplication>(argc, argv);
    SetLocale(EnvironmentLocale().Formats);
    return app;
}

void RefuseRangeOptions(const TPrintRequest& request, const char* kind) {
    if (request.From || request.To || request.Stats)
        throw EUsage(std::string("print ") + kind + " takes neither --from, --to nor --stats");
}

void RefuseOverwrite(const std::string& out, const std::string& input) {
    if (SameFile(out, input)) throw EFailure("The output is the input file; nothing was written: " + out);
}

void WritePrintout(const TPrintRequest& request, const TPrintJob& job) {
    try {
        WritePdfAtomic(request.Out, job, QPageSize(request.Paper.value_or(LocalePaper(QLocale::system()))));
    } catch (const EFileWriteError& e) {
        throw EFailure(e.Described());
    } catch (const EQCError& e) {
        throw EFailure(e.what());
    }
}

TRunsToPrint ReadRunsToPrint(const TPrintRequest& request, TDataSet& data, TEmptyRange emptyRange) {
    ExpectPositionals(request.Positionals, 2);
    RequireDateRange(request);
    const std::string& path = request.Positionals[0];
    RefuseOverwrite(request.Out, path);
    UseSettingsFor(path, request.SettingsPath);
    ReadDataSet(path, data);
    const TAnalyte& analyte = FindAnalyte(data, request.Positionals[1], path);
    const TPointRange range = PointsInDateRange(analyte, *request.From, *request.To);
    if (analyte.Count() == 0 || (range.Count() == 0 && emptyRange == TEmptyRange::Refused))
        throw EFailure("Nothing to print");
    return {analyte, range};
}

} // namespace tervanix::cli
