// The quality goals printouts: the Sigma of every analyte level with the rules it advises, and the
// monthly QC summary. The texts of their lines are shared by the windows that show them
// (dialogs/UQualityGoals, charts/UMonthlySummary) and by tervanix-cli.
#pragma once

#include <QStringList>
#include <vector>

#include "charts/UPrintJob.h"
#include "model/UMonthlySummary.h"
#include "model/USigma.h"

namespace tervanix {

class TAnalyte;
class TListAnalytes;
class TListSerum;

// One line of the Sigma table: an analyte level with the goals it is judged against.
struct TSigmaLine {
    const TAnalyte* Analyte = nullptr;
    int Level = 0;
    TLevelSigma Sigma;
};
// Every level of every analyte, in the list's order.
std::vector<TSigmaLine> SigmaLines(const TListAnalytes& analytes, const TQualityGoals& goals);

enum TSigmaColumn { scAnalyte, scLevel, scMaterial, scLot, scTea, scTarget, scMean, scCV, scBias, scSigma, scRules, scCount };
QStringList SigmaHeadings(); // "Analyte", "Level", ... "Recommended rules"
// The texts of a line, column by column; empty where there is nothing, "bias unknown" for a Sigma
// computed without a target.
QStringList SigmaLineTexts(const TSigmaLine& line, const TListSerum& materials);
// "Sigma 6.0" and the rules with their controls per run, or nothing without a Sigma.
QString SigmaRulesText(const TSigmaLine& line);

TPrintJob SigmaPrintJob(const std::vector<TSigmaLine>& lines, const TListSerum& materials);

enum TSummaryColumn {
    mcAnalyte, mcLevel, mcMaterial, mcLot, mcN, mcMean, mcSD, mcCV, mcAlerts, mcActions, mcDiscarded, mcSigma, mcCount
};
QStringList SummaryHeadings();
QStringList SummaryLineTexts(const TMonthLevelSummary& line, const TListSerum& materials);
// "February 2026", with the locale's month name.
QString MonthTitle(TMonth month);

TPrintJob MonthlySummaryPrintJob(const std::vector<TMonthLevelSummary>& lines, const TListSerum& materials, TMonth month);

} // namespace tervanix
