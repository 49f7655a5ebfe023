// The printed audit trail: one row per entry through the table engine, as the audit window and
// tervanix-cli print audit print it.
#pragma once

#include <QString>
#include <vector>

#include "charts/UPrintJob.h"
#include "model/UAuditTrail.h"

namespace tervanix {

// "Audit trail": time, operator, login, action, analyte, level and what changed, in the order
// given; `selection` (the filters, the chain's state) is printed under the title.
// What the filter selects, in words ("Glucose, from 2026-12-01 to 2026-12-08 (UTC)", "All entries").
QString AuditSelectionLine(const TAuditFilter& filter);

TPrintJob AuditPrintJob(const std::vector<TAuditEntry>& entries, const QString& selection);

} // namespace tervanix
