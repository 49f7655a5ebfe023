#include "charts/UAuditPages.h"

#include "charts/UPrnTable.h"
#include "main/UAuditNotes.h"
#include "model/UClock.h"

namespace tervanix {

QString AuditSelectionLine(const TAuditFilter& filter) {
    QStringList parts;
    if (!filter.Analyte.empty()) parts << QString::fromStdString(filter.Analyte);
    if (!filter.Action.empty()) parts << QString::fromStdString(filter.Action);
    if (!filter.FromDate.empty()) parts << QStringLiteral("from ") + QString::fromStdString(filter.FromDate);
    if (!filter.ToDate.empty()) parts << QStringLiteral("to ") + QString::fromStdString(filter.ToDate);
    if (parts.isEmpty()) return QStringLiteral("All entries");
    return parts.join(QStringLiteral(", ")) +
           (filter.FromDate.empty() && filter.ToDate.empty() ? QString() : QStringLiteral(" (UTC)"));
}

TPrintJob AuditPrintJob(const std::vector<TAuditEntry>& entries, const QString& selection) {
    std::vector<TTableCell> cells;
    for (const char* heading : {"Time (UTC)", "Operator", "Login", "Action", "Analyte", "Level", "Summary"})
        cells.push_back({QString::fromLatin1(heading), csShaded});
    for (const TAuditEntry& e : entries) {
        const QString time = QString::fromStdString(e.Time).replace(u'T', u' ').remove(u'Z');
        for (const QString& text : {time, QString::fromStdString(e.Operator), QString::fromStdString(e.Login),
                                    QString::fromStdString(e.Action), QString::fromStdString(e.Analyte),
                                    e.Level > 0 ? QString::number(e.Level) : QString(), AuditSummary(e)})
            cells.push_back({text, csPlain});
    }
    TPrintJob job;
    job.Title = QStringLiteral("Printing the audit trail");
    job.Orientation = QPageLayout::Landscape;
    const QStringList headingLines = {selection};
    job.Draw = [headingLines, cells = std::move(cells)](TPrintPages& pages) {
        const std::vector<int> widths = {17, 8, 10, 20, 14, 5, 60};
        PrintTable(pages, QStringLiteral("Audit trail"), headingLines, cells, false, widths,
                   static_cast<int>(widths.size()));
    };
    return NamedJob(std::move(job), QStringLiteral("Audit trail"), Today());
}

} // namespace tervanix
