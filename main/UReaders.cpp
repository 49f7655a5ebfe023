#include "main/UReaders.h"

#include <QLineEdit>
#include <cfloat>
#include <cmath>

#include "main/UAnsi.h"
#include "main/UMessages.h"
#include "model/UFormat.h"

namespace tervanix {

void RefuseField(QLineEdit* edit, const QString& message) {
    ShowError(message);
    edit->selectAll();
    edit->setFocus();
    throw EAbortSilently();
}

namespace {

// Trimmed, with either comma or point taken as the system's decimal separator.
QString NormalisedText(const QLineEdit* edit) {
    return FromAnsi(NormaliseDecimalSeparator(ToAnsi(edit->text())));
}

bool TryReadDecimal(const QString& normalised, long double& value) {
    return TryReadNumber(ToAnsi(normalised), value) && std::isfinite(value);
}

} // namespace

TLevelResult ReadLevelResult(QLineEdit* edit) {
    TLevelResult result;
    if (edit->text().trimmed().isEmpty()) {
        result.Value = 0;
        result.Status = qsNoValue;
        return result;
    }
    long double value = 0;
    if (!TryReadDecimal(NormalisedText(edit), value)) RefuseField(edit, QStringLiteral("Incorrect floating number"));
    // Beyond it the level's statistics could not be computed.
    if (!IsStorableResult(value))
        RefuseField(edit, QStringLiteral("%1 is too large: results go up to 1e20 in size, beyond which the "
                                    "statistics cannot be computed").arg(NormalisedText(edit)));
    result.Value = static_cast<float>(value);
    result.Status = qsInControl;
    return result;
}

long double ReadExtendedField(QLineEdit* edit, bool refuseNegative) {
    const QString text = NormalisedText(edit);
    long double value = 0;
    if (!TryReadDecimal(text, value))
        RefuseField(edit, QStringLiteral("'%1' is not a valid floating point value").arg(text));
    if (refuseNegative && value < 0)
        RefuseField(edit, text + QStringLiteral(" is a negative value (not allowed)"));
    edit->setText(text);
    return value;
}

std::optional<long double> ReadOptionalField(QLineEdit* edit, bool refuseNegative) {
    if (edit->text().trimmed().isEmpty()) return std::nullopt;
    return ReadExtendedField(edit, refuseNegative);
}

std::int32_t ReadIntegerField(QLineEdit* edit, std::int32_t min, std::int32_t max) {
    const QString text = edit->text().trimmed();
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok)
        RefuseField(edit, QStringLiteral("'%1' is not a valid integer value").arg(text));
    if (value > max)
        RefuseField(edit, text + QStringLiteral(" is too high\n\rMaximum allowed = %1").arg(max));
    if (value < min)
        RefuseField(edit, text + QStringLiteral(" is too low\n\rMinimum allowed = %1").arg(min));
    edit->setText(text);
    return value;
}

} // namespace tervanix
