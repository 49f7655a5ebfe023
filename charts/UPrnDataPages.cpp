#include "charts/UPrnDataPages.h"

#include <algorithm>

#include "main/UAnsi.h"
#include "model/UAnalyte.h"
#include "model/UClock.h"
#include "model/UFormat.h"
#include "model/ULists.h"

namespace tervanix {
namespace {

constexpr int DateWidth = 11;
constexpr int TimeWidth = 11;
constexpr int LevelWidth = 12;
constexpr int OperatorWidth = 8;
constexpr int CommentWidth = 22;

void AddShaded(std::vector<TTableCell>& cells, const QString& text) { cells.push_back({text, csShaded}); }

void AddStatisticsRows(std::vector<TTableCell>& cells, const TAnalyte& analyte, TPointRange range) {
    const int levels = std::clamp(analyte.LevelCount, 1, MaxLevels);
    std::vector<TLevelStats> stats(static_cast<std::size_t>(levels));
    for (int level = 0; level < levels; ++level)
        analyte.ComputeStats(level, range.First, range.Last, stats[static_cast<std::size_t>(level)]);
    const QString unit = FromAnsi(analyte.UnitName.str());
    const auto row = [&](const QString& label, auto valueOf, const QString& after) {
        AddShaded(cells, QStringLiteral("Statistics"));
        AddShaded(cells, label);
        for (const TLevelStats& s : stats) AddShaded(cells, valueOf(s));
        AddShaded(cells, after);
        AddShaded(cells, QString());
    };
    row(QStringLiteral("Mean"), [&](const TLevelStats& s) {
        return s.N == 0 ? QString() : FromAnsi(FormatFixed(s.Mean, 8, analyte.Decimals + 1));
    }, unit);
    row(QStringLiteral("CV"), [](const TLevelStats& s) {
        return FromAnsi(CVText(s, 8));
    }, QStringLiteral("%"));
    row(QStringLiteral("N"), [](const TLevelStats& s) { return FromAnsi(FormatInt(s.N)); }, QString());
}

} // namespace

std::vector<int> DataTableWidths(int levelCount) {
    std::vector<int> widths = {DateWidth, TimeWidth};
    widths.insert(widths.end(), static_cast<std::size_t>(std::clamp(levelCount, 1, MaxLevels)), LevelWidth);
    widths.insert(widths.end(), {OperatorWidth, CommentWidth});
    return widths;
}

QStringList DataTableHeadingLines(const TAnalyte& analyte, const TListSerum& materials) {
    QStringList lines;
    for (int level = 0; level < std::clamp(analyte.LevelCount, 1, MaxLevels); ++level) {
        const TMaterial& m = materials.FindById(analyte.MaterialId[static_cast<std::size_t>(level)]);
        QString line = QStringLiteral("QC%1 : %2").arg(level + 1).arg(FromAnsi(m.Name.str()));
        if (!m.Lot.empty()) line += QStringLiteral(" (lot %1)").arg(FromAnsi(m.Lot.str()));
        lines << line;
    }
    return lines;
}

std::vector<TTableCell> DataTableCells(const TAnalyte& analyte, TPointRange range, bool withStatistics) {
    const int levels = std::clamp(analyte.LevelCount, 1, MaxLevels);
    std::vector<TTableCell> cells;
    cells.reserve(static_cast<std::size_t>((range.Count() + 4) * (levels + 4)));
    AddShaded(cells, QStringLiteral("Date"));
    AddShaded(cells, QStringLiteral("Time"));
    for (int level = 1; level <= levels; ++level) AddShaded(cells, QStringLiteral("QC%1").arg(level));
    AddShaded(cells, QStringLiteral("Operator"));
    AddShaded(cells, QStringLiteral("Comment"));
    const int first = std::max(range.First, 0), last = std::min(range.Last, analyte.Count() - 1);
    for (int i = first; i <= last; ++i) {
        const TQCPoint& p = analyte.Point(i);
        cells.push_back({FromAnsi(FormatDate(p.DateTime)), csPlain});
        cells.push_back({FromAnsi(FormatTime(p.DateTime)), csPlain});
        for (int level = 0; level < levels; ++level) {
            const TLevelResult& r = p.Levels[static_cast<std::size_t>(level)];
            if (r.Status == qsNoValue) cells.push_back({QString(), csPlain});
            else cells.push_back({FromAnsi(FormatFixed(r.Value, 8, analyte.Decimals)), StatusCellStyle(r.Status)});
        }
        cells.push_back({FromAnsi(p.Operator.str()), csPlain});
        cells.push_back({p.CommentId == -1 ? QString() : FromAnsi(analyte.CommentText(p.CommentId)), csPlain});
    }
    if (withStatistics) AddStatisticsRows(cells, analyte, {first, last});
    return cells;
}

void PrintDataTable(TPrintPages& pages, const TAnalyte& analyte, const TListSerum& materials, TPointRange range,
                    const QString& title, bool withStatistics) {
    const int levels = std::clamp(analyte.LevelCount, 1, MaxLevels);
    PrintTable(pages, title, DataTableHeadingLines(analyte, materials), DataTableCells(analyte, range, withStatistics),
               false, DataTableWidths(levels), levels + 4);
}

TPrintJob DataTableJob(const TAnalyte& analyte, const TListSerum& materials, TPointRange range, bool withStatistics) {
    const QString title = QStringLiteral("QC data for ") + FromAnsi(analyte.Name.str());
    TPrintJob job;
    job.Title = QStringLiteral("Printing QC data");
    job.Draw = [&analyte, &materials, range, title, withStatistics](TPrintPages& pages) {
        PrintDataTable(pages, analyte, materials, range, title, withStatistics);
    };
    return NamedJob(std::move(job), QStringLiteral("QC data - ") + FromAnsi(analyte.Name.str()), Today());
}

} // namespace tervanix
