// The printed archives: the summary list of an analyte's archives and the points of one archive,
// both through the table engine without archive stamp.
#pragma once

#include <QString>
#include <vector>

#include "charts/UPrintJob.h"
#include "model/UArchive.h"

namespace tervanix {

// "Archived statistics for " + the analyte's name: one row per archive summary.
TPrintJob ArchiveListPrintJob(const QString& analyteName, const std::vector<TArchiveContent>& archives);

// "Archived data for " + the analyte's name: material and lot, the date range, every point, then
// the mean, CV and N of the archive.
TPrintJob ArchivePrintJob(const QString& analyteName, const TArchiveContent& archive);

} // namespace tervanix
