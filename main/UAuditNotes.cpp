#include "main/UAuditNotes.h"

#include <QJsonDocument>
#include <charconv>
#include <cmath>

#include "main/UAnsi.h"
#include "model/UAnalyte.h"
#include "model/UDateTime.h"
#include "model/UQualityGoals.h"
#include "model/UWestgard.h"

namespace tervanix {

TAuditNote AuditNote(std::string_view action, const QString& analyte, int level, const QJsonObject& details,
                     const QString& operatorName) {
    TAuditNote note;
    note.Action = std::string(action);
    note.Analyte = analyte.toStdString();
    note.Level = level;
    note.Details = QJsonDocument(details).toJson(QJsonDocument::Compact).toStdString();
    note.Operator = operatorName.toStdString();
    return note;
}

QString AuditAnalyteName(const TAnalyte& analyte) {
    return FromAnsi(analyte.Name.str());
}

QString AuditDateTime(TDateTime when) {
    const TDateParts d = DecodeDate(when);
    const TTimeParts t = DecodeTime(when);
    return QStringLiteral("%1-%2-%3T%4:%5:%6")
        .arg(d.Year, 4, 10, QLatin1Char('0'))
        .arg(d.Month, 2, 10, QLatin1Char('0'))
        .arg(d.Day, 2, 10, QLatin1Char('0'))
        .arg(t.Hour, 2, 10, QLatin1Char('0'))
        .arg(t.Minute, 2, 10, QLatin1Char('0'))
        .arg(t.Second, 2, 10, QLatin1Char('0'));
}

QJsonValue AuditNumber(double value) {
    return std::isfinite(value) ? QJsonValue(value) : QJsonValue();
}

// A stored value (single precision) as the decimal the operator typed: its shortest form.
QJsonValue AuditValue(float value) {
    if (!std::isfinite(value)) return QJsonValue();
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return QString::fromLatin1(text, end - text).toDouble();
}

QJsonObject BeforeAfter(const QJsonValue& before, const QJsonValue& after) {
    return {{QStringLiteral("before"), before}, {QStringLiteral("after"), after}};
}

namespace {

QString StatusName(std::uint8_t status) {
    static const char* const names[] = {"in control", "high alert", "high action", "low alert",
                                        "low action", "discarded",  "no value"};
    return QString::fromLatin1(status <= qsNoValue ? names[status] : "unknown");
}

QJsonObject LevelsDetails(const TLevelResults& levels, int levelCount) {
    QJsonArray values, statuses;
    for (int l = 0; l < levelCount && l < MaxLevels; ++l) {
        const TLevelResult& level = levels[static_cast<std::size_t>(l)];
        values.append(level.Status == qsNoValue ? QJsonValue() : AuditValue(level.Value));
        statuses.append(StatusName(level.Status));
    }
    return {{QStringLiteral("values"), values}, {QStringLiteral("statuses"), statuses}};
}

} // namespace

QJsonObject RunDetails(const TResu& run, int levelCount) {
    QJsonObject details = LevelsDetails(run.Levels, levelCount);
    details.insert(QStringLiteral("date_time"), AuditDateTime(run.DateTime));
    details.insert(QStringLiteral("operator"), FromAnsi(run.Operator));
    details.insert(QStringLiteral("comment"), FromAnsi(run.Comment));
    return details;
}

QJsonObject PointDetails(const TAnalyte& analyte, int index) {
    const TQCPoint& point = analyte.Point(index);
    QJsonObject details = LevelsDetails(point.Levels, analyte.LevelCount);
    details.insert(QStringLiteral("date_time"), AuditDateTime(point.DateTime));
    details.insert(QStringLiteral("operator"), FromAnsi(point.Operator.str()));
    details.insert(QStringLiteral("comment"), FromAnsi(analyte.CommentText(point.CommentId)));
    return details;
}

QJsonArray WestgardMessages(const TAnalyte& analyte, const TResu& run) {
    std::array<bool, MaxLevels> rejected{};
    for (std::size_t l = 0; l < MaxLevels; ++l)
        rejected[l] = run.Levels[l].Status == qsDiscarded;
    const TWestgardResult result = EvaluateRun(analyte, run, rejected, analyte.HasOption(aoWestgard));
    QJsonArray messages;
    for (int l = 0; l < analyte.LevelCount && l < MaxLevels; ++l)
        for (int rule = 0; rule < LevelRuleCount; ++rule) {
            const TRuleState state =
                result.Rules[static_cast<std::size_t>(l)][static_cast<std::size_t>(rule)];
            if (state != TRuleState::None)
                messages.append(QStringLiteral("level %1: %2 %3")
                                    .arg(l + 1)
                                    .arg(QString::fromLatin1(LevelRuleNames[static_cast<std::size_t>(rule)]),
                                         QString::fromLatin1(RuleStateName(state))));
        }
    if (result.ShowsAcross())
        for (int rule = 0; rule < AcrossRuleCount; ++rule) {
            const TRuleState state = result.Across[static_cast<std::size_t>(rule)];
            if (state != TRuleState::None)
                messages.append(QStringLiteral("across levels: %1 %2")
                                    .arg(QString::fromLatin1(AcrossRuleName(rule, result.ParticipatingCount)),
                                         QString::fromLatin1(RuleStateName(state))));
        }
    return messages;
}

QJsonObject LevelLimits(const TAnalyte& analyte, int level) {
    const auto l = static_cast<std::size_t>(level);
    const TLevelStats& s = analyte.Current[l];
    const double mean = static_cast<double>(s.Mean);
    const double alert = static_cast<double>(s.AlertHalfWidth);
    const double action = static_cast<double>(s.ActionHalfWidth);
    const std::uint8_t mode = analyte.LimitsMode[l];
    const char* modeName = mode == lmLocked ? "locked" : mode == lmFixed ? "fixed" : "mobile";
    QJsonObject limits{
        {QStringLiteral("mode"), QString::fromLatin1(modeName)},
        {QStringLiteral("mean"), AuditNumber(mean)},
        {QStringLiteral("sd"), AuditNumber(mean * static_cast<double>(s.CV) / 100.0)},
        {QStringLiteral("alert_limits"), QJsonArray{AuditNumber(mean - alert), AuditNumber(mean + alert)}},
        {QStringLiteral("action_limits"),
         QJsonArray{AuditNumber(mean - action), AuditNumber(mean + action)}}};
    if (analyte.LimitsMode[l] == lmLocked) {
        const int first = analyte.LockFirst[l], last = analyte.LockLast[l];
        const bool inSeries = first >= 0 && last < analyte.Count() && first <= last;
        limits.insert(QStringLiteral("range"), inSeries
                                                   ? QJsonArray{AuditDateTime(analyte.Point(first).DateTime),
                                                                AuditDateTime(analyte.Point(last).DateTime)}
                                                   : QJsonArray{first, last});
    }
    return limits;
}

namespace {

QString SummaryOf(const QJsonValue& value);

bool IsChange(const QJsonObject& object) {
    return object.size() == 2 && object.contains(QStringLiteral("before")) &&
           object.contains(QStringLiteral("after"));
}

// Two records side by side: only what differs ("mode: mobile → locked; mean: 5.1 → 5.02").
QString SummaryOfChange(const QJsonValue& before, const QJsonValue& after) {
    if (!before.isObject() || !after.isObject())
        return SummaryOf(before) + QStringLiteral(" \u2192 ") + SummaryOf(after);
    const QJsonObject was = before.toObject(), is = after.toObject();
    QStringList keys = was.keys() + is.keys();
    keys.removeDuplicates();
    QStringList parts;
    for (const QString& key : keys)
        if (was.value(key) != is.value(key))
            parts << key + QStringLiteral(": ") + SummaryOfChange(was.value(key), is.value(key));
    return parts.join(QStringLiteral("; "));
}

QString SummaryOfObject(const QJsonObject& object) {
    if (IsChange(object))
        return SummaryOfChange(object.value(QStringLiteral("before")), object.value(QStringLiteral("after")));
    QStringList parts;
    for (auto it = object.begin(); it != object.end(); ++it)
        parts << it.key() + QStringLiteral(": ") + SummaryOf(it.value());
    return parts.join(QStringLiteral("; "));
}

QString SummaryOf(const QJsonValue& value) {
    switch (value.type()) {
    case QJsonValue::Object:
        return IsChange(value.toObject())
                   ? SummaryOfObject(value.toObject())
                   : QStringLiteral("(") + SummaryOfObject(value.toObject()) + QStringLiteral(")");
    case QJsonValue::Array: {
        QStringList items;
        for (const QJsonValue& item : value.toArray())
            items << SummaryOf(item);
        return QStringLiteral("[") + items.join(QStringLiteral(", ")) + QStringLiteral("]");
    }
    case QJsonValue::String:
        return value.toString();
    case QJsonValue::Double:
        return QString::number(value.toDouble(), 'g', 10);
    case QJsonValue::Bool:
        return value.toBool() ? QStringLiteral("yes") : QStringLiteral("no");
    default:
        return QStringLiteral("-");
    }
}

} // namespace

QString AuditSummary(const TAuditEntry& entry) {
    const QJsonObject details = QJsonDocument::fromJson(QByteArray::fromStdString(entry.Details)).object();
    return SummaryOfObject(details);
}

namespace {
QJsonValue GoalsJson(const TAnalyteGoals* goals) {
    if (!goals) return QJsonValue();
    QJsonArray targets;
    for (const std::optional<double>& target : goals->Targets) targets.append(target ? AuditNumber(*target) : QJsonValue());
    return QJsonObject{{QStringLiteral("tea_percent"), goals->TeaPercent ? AuditNumber(*goals->TeaPercent) : QJsonValue()},
                       {QStringLiteral("targets"), targets}};
}

void AddGoalsNote(TAuditNotes& notes, const std::string& name, const TAnalyteGoals* before, const TAnalyteGoals* after) {
    if (before && after && *before == *after) return;
    notes.push_back(AuditNote("goals.changed", FromAnsi(name), 0, BeforeAfter(GoalsJson(before), GoalsJson(after))));
}
} // namespace

TAuditNotes GoalsNotes(const TQualityGoals& before, const TQualityGoals& after) {
    TAuditNotes notes;
    for (const auto& [name, goals] : after.Entries()) AddGoalsNote(notes, name, before.Find(name), &goals);
    for (const auto& [name, goals] : before.Entries())
        if (!after.Find(name)) AddGoalsNote(notes, name, &goals, nullptr);
    return notes;
}

} // namespace tervanix
