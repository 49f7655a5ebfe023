#include "charts/UDailyQCPages.h"

#include "charts/UPrnTable.h"
#include "main/UAnsi.h"
#include "model/UAnalyte.h"
#include "model/UFormat.h"

namespace tervanix {
QString DayRunValue(const TDayRun& run, int level) {
    const TLevelResult& r = run.Point->Levels[static_cast<std::size_t>(level)];
    if (level >= run.Analyte->LevelCount || r.Status == qsNoValue) return QString();
    return FromAnsi(FormatFixed(r.Value, 8, run.Analyte->Decimals));
}

QString DayRunText(const TDayRun& run) {
    const QChar tab(u'\t');
    QString text = FromAnsi(run.Analyte->Name.str()) + tab + FromAnsi(FormatTime(run.Point->DateTime));
    for (int level = 0; level < MaxLevels; ++level) text += tab + DayRunValue(run, level);
    text += tab + FromAnsi(run.Point->Operator.str()) + tab;
    if (run.Point->CommentId != -1) text += FromAnsi(run.Analyte->CommentText(run.Point->CommentId));
    return text;
}

TPrintJob DailyPrintJob(const std::vector<TDayRun>& runs, TDateTime day) {
    std::vector<TTableCell> cells;
    for (const char* heading : {"Analytes", "Time", "QC1", "QC2", "QC3", "Operator", "Comment"})
        cells.push_back({QString::fromLatin1(heading), csShaded});
    for (const TDayRun& run : runs) {
        const TQCPoint& p = *run.Point;
        cells.push_back({FromAnsi(run.Analyte->Name.str())});
        cells.push_back({FromAnsi(FormatTime(p.DateTime))});
        for (int level = 0; level < MaxLevels; ++level) {
            const bool shown = level < run.Analyte->LevelCount;
            cells.push_back({DayRunValue(run, level),
                             shown ? StatusCellStyle(p.Levels[static_cast<std::size_t>(level)].Status) : csPlain});
        }
        cells.push_back({FromAnsi(p.Operator.str())});
        cells.push_back({p.CommentId == -1 ? QString() : FromAnsi(run.Analyte->CommentText(p.CommentId))});
    }
    TPrintJob job;
    job.Title = QStringLiteral("Cumulative daily QC : ") + FromAnsi(FormatDate(day));
    job.Orientation = QPageLayout::Portrait;
    job.Draw = [title = job.Title, cells = std::move(cells)](TPrintPages& pages) {
        PrintTable(pages, title, {QString(), QString()}, cells, true, {17, 11, 12, 12, 12, 9, 24}, 7);
    };
    return NamedJob(std::move(job), QStringLiteral("Cumulative daily QC"), day);
}

} // namespace tervanix
