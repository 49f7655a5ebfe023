#include "charts/UQualityPages.h"

#include "charts/UPrnTable.h"
#include "main/UAnsi.h"
#include "model/UAnalyte.h"
#include "model/UClock.h"
#include "model/UFormat.h"
#include "model/ULists.h"

namespace tervanix {
namespace {

QString Optional(const std::optional<double>& value, int decimals) {
    return value ? FromAnsi(FormatFixed(*value, 10, decimals)) : QString();
}

QString LevelText(int level) { return QStringLiteral("QC%1").arg(level + 1); }

TPrintJob TableJob(QString title, QString document, QStringList headings, const std::vector<QStringList>& rows,
                   std::vector<int> widths) {
    std::vector<TTableCell> cells;
    for (const QString& heading : headings) cells.push_back({heading, csShaded});
    for (const QStringList& row : rows)
        for (const QString& text : row) cells.push_back({text});
    TPrintJob job;
    job.Title = std::move(title);
    job.Orientation = QPageLayout::Landscape;
    const int columns = static_cast<int>(headings.size());
    job.Draw = [title = job.Title, cells = std::move(cells), widths = std::move(widths), columns](TPrintPages& pages) {
        PrintTable(pages, title, {QString(), QString()}, cells, false, widths, columns);
    };
    return NamedJob(std::move(job), document, Today());
}

} // namespace

std::vector<TSigmaLine> SigmaLines(const TListAnalytes& analytes, const TQualityGoals& goals) {
    std::vector<TSigmaLine> lines;
    for (int a = 0; a < analytes.Count(); ++a) {
        const TAnalyte& analyte = analytes[a];
        const TAnalyteGoals* analyteGoals = goals.Find(analyte.Name.view());
        for (int level = 0; level < analyte.LevelCount && level < MaxLevels; ++level)
            lines.push_back({&analyte, level, LevelSigma(analyte, level, analyteGoals)});
    }
    return lines;
}

QStringList SigmaHeadings() {
    return {QStringLiteral("Analyte"), QStringLiteral("Level"),  QStringLiteral("Material"),
            QStringLiteral("Lot"),     QStringLiteral("TEa %"),  QStringLiteral("Target"),
            QStringLiteral("Mean"),    QStringLiteral("CV %"),   QStringLiteral("Bias %"),
            QStringLiteral("Sigma"),   QStringLiteral("Recommended rules")};
}

QString SigmaRulesText(const TSigmaLine& line) {
    if (!line.Sigma.Sigma) return QString();
    return FromAnsi(SigmaAdviceText(*line.Sigma.Sigma, line.Analyte->LevelCount));
}

QStringList SigmaLineTexts(const TSigmaLine& line, const TListSerum& materials) {
    const TAnalyte& a = *line.Analyte;
    const TMaterial& material = materials.FindById(a.MaterialId[static_cast<std::size_t>(line.Level)]);
    const TLevelSigma& s = line.Sigma;
    const int valueDecimals = a.Decimals + 1;
    QString bias = Optional(s.BiasPercent, 2);
    if (bias.isEmpty() && s.Sigma) bias = QStringLiteral("bias unknown");
    return {FromAnsi(a.Name.str()),       LevelText(line.Level),        FromAnsi(material.Name.str()), FromAnsi(material.Lot.str()),
            Optional(s.TeaPercent, 2), Optional(s.Target, valueDecimals), Optional(s.Mean, valueDecimals),
            Optional(s.CV, 2),        bias,                         s.Sigma ? FromAnsi(SigmaText(*s.Sigma)) : QString(),
            SigmaRulesText(line)};
}

TPrintJob SigmaPrintJob(const std::vector<TSigmaLine>& lines, const TListSerum& materials) {
    std::vector<QStringList> rows;
    for (const TSigmaLine& line : lines) rows.push_back(SigmaLineTexts(line, materials));
    return TableJob(QStringLiteral("Sigma metrics and QC rules"), QStringLiteral("Sigma metrics"), SigmaHeadings(), rows,
                    {15, 6, 15, 10, 7, 9, 9, 7, 12, 6, 40});
}

QStringList SummaryHeadings() {
    return {QStringLiteral("Analyte"), QStringLiteral("Level"), QStringLiteral("Material"), QStringLiteral("Lot"),
            QStringLiteral("N"),       QStringLiteral("Mean"),  QStringLiteral("SD"),       QStringLiteral("CV %"),
            QStringLiteral("Alerts"),  QStringLiteral("Actions"), QStringLiteral("Discarded"), QStringLiteral("Sigma")};
}

QStringList SummaryLineTexts(const TMonthLevelSummary& line, const TListSerum& materials) {
    const TAnalyte& a = *line.Analyte;
    const TMaterial& material = materials.FindById(a.MaterialId[static_cast<std::size_t>(line.Level)]);
    const auto value = [&](const std::optional<long double>& v, int decimals) {
        return v ? FromAnsi(FormatFixed(*v, 10, decimals)) : QString();
    };
    const auto count = [](int n) { return FromAnsi(FormatInt(n)); };
    return {FromAnsi(a.Name.str()),      LevelText(line.Level),       FromAnsi(material.Name.str()), FromAnsi(material.Lot.str()),
            count(line.N),           value(line.Mean, a.Decimals + 1), value(line.SD, a.Decimals + 2), value(line.CV, 2),
            count(line.Alerts),      count(line.Actions),         count(line.Discarded),
            line.Sigma.Sigma ? FromAnsi(SigmaText(*line.Sigma.Sigma)) : QString()};
}

QString MonthTitle(TMonth month) {
    return FromAnsi(Locale().LongMonthNames[static_cast<std::size_t>(month.Month - 1)]) + u' ' + QString::number(month.Year);
}

TPrintJob MonthlySummaryPrintJob(const std::vector<TMonthLevelSummary>& lines, const TListSerum& materials, TMonth month) {
    std::vector<QStringList> rows;
    for (const TMonthLevelSummary& line : lines) rows.push_back(SummaryLineTexts(line, materials));
    TPrintJob job = TableJob(QStringLiteral("Monthly QC summary - ") + MonthTitle(month), QString(), SummaryHeadings(), rows,
                             {15, 6, 15, 10, 6, 10, 10, 7, 7, 7, 9, 6});
    // The file is named after the month it reports, not the day it was printed.
    job.Document = QStringLiteral("Monthly QC summary");
    job.DocumentDate = QStringLiteral("%1-%2").arg(month.Year, 4, 10, QLatin1Char('0')).arg(month.Month, 2, 10, QLatin1Char('0'));
    return job;
}

} // namespace tervanix
