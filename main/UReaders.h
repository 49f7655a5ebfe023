// Reading the numbers typed into edits. A reader that refuses its input shows the error itself,
// leaves the edit selected and focused, and throws EAbortSilently: the command stops, nothing
// more is said, and since checks come before changes the model is as it was.
#pragma once

#include <cstdint>
#include <optional>

#include <QString>

#include "model/UTypes.h"

class QLineEdit;

namespace tervanix {

// Empty: no value (status qsNoValue). Otherwise a number that fits a single, status qsInControl.
// The edit keeps the text as typed.
TLevelResult ReadLevelResult(QLineEdit* edit);

// A finite number; with refuseNegative, below-zero values are refused (minus zero is not below
// zero). The edit then shows the number with the system's decimal separator and no blanks.
long double ReadExtendedField(QLineEdit* edit, bool refuseNegative);

// Empty: none; otherwise as ReadExtendedField.
std::optional<long double> ReadOptionalField(QLineEdit* edit, bool refuseNegative);

// A refusal of the edit's text for a reason of the caller's: the message shown, the edit selected
// and focused, EAbortSilently thrown.
[[noreturn]] void RefuseField(QLineEdit* edit, const QString& message);

// An integer within [min, max]; the maximum is checked first. The edit then shows it trimmed.
std::int32_t ReadIntegerField(QLineEdit* edit, std::int32_t min, std::int32_t max);

} // namespace tervanix
