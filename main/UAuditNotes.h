// What a change of the QC record says of itself in the audit trail: the builders of the notes
// (action, analyte, level, details) that the laboratory writes before it makes the change.
#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <string_view>
#include <vector>

#include "model/UAuditTrail.h"
#include "model/UTypes.h"

namespace tervanix {

class TAnalyte;
class TQualityGoals;

using TAuditNotes = std::vector<TAuditNote>;

TAuditNote AuditNote(std::string_view action, const QString& analyte = {}, int level = 0,
                     const QJsonObject& details = {}, const QString& operatorName = {});
QString AuditAnalyteName(const TAnalyte& analyte);

// A local date-time as "2026-12-08T14:30:00".
QString AuditDateTime(TDateTime when);
// A number; null for a value that is not finite.
QJsonValue AuditNumber(double value);
// A stored result as its shortest decimal (4.1, not 4.099999904).
QJsonValue AuditValue(float value);
QJsonObject BeforeAfter(const QJsonValue& before, const QJsonValue& after);

// A run: date-time, values and statuses of the analyte's levels, operator, comment.
QJsonObject RunDetails(const TResu& run, int levelCount);
// A stored run of the series.
QJsonObject PointDetails(const TAnalyte& analyte, int index);
// The Westgard rules lit for a classified run about to be stored, as the validation showed them.
QJsonArray WestgardMessages(const TAnalyte& analyte, const TResu& run);
// One level's limits: mode, locked range, mean, SD and the alert and action limits.
QJsonObject LevelLimits(const TAnalyte& analyte, int level);

// One line that says what an entry's details hold ("name: Glucose → Glycaemia; runs: 2"), for the
// audit window's list and its printout.
QString AuditSummary(const TAuditEntry& entry);

// One goals.changed note per analyte whose TEa or targets differ, with the goals before and after
// (null where it had none).
TAuditNotes GoalsNotes(const TQualityGoals& before, const TQualityGoals& after);

} // namespace tervanix
