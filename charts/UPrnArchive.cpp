#include "charts/UPrnArchive.h"

#include "charts/UPrnTable.h"
#include "main/UAnsi.h"
#include "model/UClock.h"

namespace tervanix {
namespace {

const QString JobTitle = QStringLiteral("Printing QC archives");

void AddRow(std::vector<TTableCell>& cells, std::initializer_list<QString> texts, TCellStyle style) {
    for (const QString& text : texts) cells.push_back({text, style});
}

TPrintJob TableJob(const QString& title, const QString& document, const QStringList& headingLines,
                   std::vector<TTableCell> cells, std::vector<int> widths) {
    TPrintJob job;
    job.Title = JobTitle;
    job.Orientation = QPageLayout::Portrait;
    job.Draw = [title, headingLines, cells = std::move(cells), widths = std::move(widths)](TPrintPages& pages) {
        PrintTable(pages, title, headingLines, cells, false, widths, static_cast<int>(widths.size()));
    };
    return NamedJob(std::move(job), document, Today());
}

} // namespace

TPrintJob ArchiveListPrintJob(const QString& analyteName, const std::vector<TArchiveContent>& archives) {
    std::vector<TTableCell> cells;
    AddRow(cells, {"Begin", "End", "Name", "Lot", "Mean", "CV", "Number"}, csShaded);
    for (const TArchiveContent& a : archives)
        AddRow(cells,
               {FromAnsi(a.FirstDate), FromAnsi(a.LastDate), FromAnsi(a.Material), FromAnsi(a.Lot), FromAnsi(a.Mean),
                FromAnsi(a.CV), FromAnsi(a.N)},
               csPlain);
    return TableJob(QStringLiteral("Archived statistics for ") + analyteName,
                    QStringLiteral("Archived statistics - ") + analyteName, {}, std::move(cells),
                    {11, 11, 18, 8, 10, 8, 8});
}

TPrintJob ArchivePrintJob(const QString& analyteName, const TArchiveContent& a) {
    std::vector<TTableCell> cells;
    AddRow(cells, {"Date", "Time", "Result", "Operator", "Comment"}, csShaded);
    for (const TArchivePoint& p : a.Points)
        AddRow(cells, {FromAnsi(p.Date), FromAnsi(p.Time), FromAnsi(p.Value), FromAnsi(p.Operator), FromAnsi(p.Comment)},
               csPlain);
    const QString statistics = QStringLiteral("Statistics");
    AddRow(cells, {statistics, "Mean", FromAnsi(a.Mean), FromAnsi(a.Unit), ""}, csShaded);
    AddRow(cells, {statistics, "CV", FromAnsi(a.CV), "%", ""}, csShaded);
    AddRow(cells, {statistics, "N", FromAnsi(a.N), "", ""}, csShaded);
    const QStringList headingLines = {FromAnsi(a.Material) + QStringLiteral(" (") + FromAnsi(a.Lot) + QStringLiteral(")"),
                                      QStringLiteral("From ") + FromAnsi(a.FirstDate) + QStringLiteral(" to ") +
                                          FromAnsi(a.LastDate)};
    return TableJob(QStringLiteral("Archived data for ") + analyteName, QStringLiteral("Archived data - ") + analyteName,
                    headingLines, std::move(cells),
                    {11, 11, 10, 10, 25});
}

} // namespace tervanix
