#include "charts/UShowLimitsPages.h"

#include "charts/UPrnTable.h"
#include "main/UAnsi.h"
#include "model/UAnalyte.h"
#include "model/UClock.h"
#include "model/UFormat.h"
#include "model/UGlobals.h"
#include "model/UStudent.h"

namespace tervanix {
namespace {

const char* const RowLabels[LimitsTableRows] = {
    "Control materials", "Lots",         "QC mode",          "Target",       "Warning limits",
    "Action limits",     "Dates ref interval", "# points in ref interval", "Reference CV", "# degrees of freedom"};

QString PointDate(const TAnalyte& a, int index) { return FromAnsi(FormatDate(a.Point(index).DateTime)); }

// The reference interval of a level: the whole series under mobile limits, the locked points under
// locked limits. A lock that no longer fits the series shows nothing rather than a wrong date.
QString ReferenceDates(const TAnalyte& a, int level) {
    const auto l = static_cast<std::size_t>(level);
    switch (a.LimitsMode[l]) {
    case lmMobile:
        return a.Count() == 0 ? QString() : PointDate(a, 0) + QStringLiteral("  to ") + PointDate(a, a.Count() - 1);
    case lmLocked: {
        const int first = a.LockFirst[l], last = a.LockLast[l];
        if (first < 0 || last < first || last >= a.Count()) return QString();
        return PointDate(a, first) + QStringLiteral(" - ") + PointDate(a, last);
    }
    default: return QString();
    }
}

QStringList LevelColumn(const TAnalyte& a, const TListSerum& materials, int level) {
    const auto l = static_cast<std::size_t>(level);
    const TLevelStats& s = a.Current[l];
    const TMaterial& material = materials.FindById(a.MaterialId[l]);
    const bool fixed = a.LimitsMode[l] == lmFixed;
    const bool limitsValid = fixed || s.Status == 0;
    const bool statistics = !fixed && s.Status == 0;
    auto value = [&](long double v) { return FromAnsi(FormatFixed(v, 8, a.Decimals + 1)); };
    auto interval = [&](long double halfWidth) {
        if (s.NotComputable) return QString::fromLatin1(NotComputableText);
        return limitsValid ? value(s.Mean - halfWidth) + QStringLiteral("  /  ") + value(s.Mean + halfWidth) : QString();
    };
    return {FromAnsi(material.Name.str()),
            FromAnsi(material.Lot.str()),
            QString::fromLatin1(LimitsModeName(a.LimitsMode[l])),
            s.N > 0 || fixed ? value(s.Mean) + QLatin1Char(' ') + FromAnsi(a.UnitName.str()) : QString(),
            interval(s.AlertHalfWidth),
            interval(s.ActionHalfWidth),
            ReferenceDates(a, level),
            fixed ? QString() : FromAnsi(FormatInt(s.N)),
            statistics ? FromAnsi(FormatFixed(s.CV, 5, 1)) + QStringLiteral(" %") : QString(),
            statistics ? FromAnsi(FormatInt(s.DegreesOfFreedom)) : QString()};
}

} // namespace

QString LimitsBasisText(const TAnalyte& analyte) {
    QStringList modes;
    for (int level = 0; level < analyte.LevelCount && level < MaxLevels; ++level)
        modes << QStringLiteral("QC%1 ").arg(level + 1) +
                     QString::fromLatin1(LimitsModeName(analyte.LimitsMode[static_cast<std::size_t>(level)]));
    return QStringLiteral("Risks: warning %1, action %2 - %3 - Common CV method: %4")
        .arg(QString::fromLatin1(RiskPercentText(Settings.AlertRisk)), QString::fromLatin1(RiskPercentText(Settings.ActionRisk)),
             modes.join(QStringLiteral(", ")),
             analyte.HasOption(aoCommonCV) ? QStringLiteral("used") : QStringLiteral("not used"));
}

std::vector<QStringList> LimitsTableTexts(const TAnalyte& analyte, const TListSerum& materials) {
    std::vector<QStringList> rows(LimitsTableRows);
    for (int r = 0; r < LimitsTableRows; ++r) rows[static_cast<std::size_t>(r)] << QString::fromLatin1(RowLabels[r]);
    for (int level = 0; level < analyte.LevelCount && level < MaxLevels; ++level) {
        const QStringList column = LevelColumn(analyte, materials, level);
        for (int r = 0; r < LimitsTableRows; ++r) rows[static_cast<std::size_t>(r)] << column[r];
    }
    return rows;
}

TPrintJob LimitsPrintJob(const TAnalyte& analyte, const TListSerum& materials) {
    const std::vector<QStringList> rows = LimitsTableTexts(analyte, materials);
    const int columns = static_cast<int>(rows.front().size());
    std::vector<TTableCell> cells;
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (int c = 0; c < columns; ++c) cells.push_back({rows[r][c], r == 0 || c == 0 ? csShaded : csPlain});
    const std::vector<int> widths = {20, 22, 22, 22};
    TPrintJob job;
    job.Title = QStringLiteral("QC limits for ") + FromAnsi(analyte.Name.str());
    job.Draw = [title = job.Title, basis = LimitsBasisText(analyte), cells = std::move(cells), widths, columns](TPrintPages& pages) {
        PrintTable(pages, title, {basis, QString()}, cells, false, widths, columns);
    };
    return NamedJob(std::move(job), QStringLiteral("QC limits - ") + FromAnsi(analyte.Name.str()), Today());
}

} // namespace tervanix
