#include "main/UBackupUi.h"

#include "dialogs/UAnimCopyFic.h"
#include "main/UAnsi.h"
#include "main/UMessages.h"

namespace tervanix {

bool TQtBackupUi::RetryOrCancel(const std::string& text) { return tervanix::RetryOrCancel(FromAnsi(text)); }

bool TQtBackupUi::Confirm(const std::string& text) { return tervanix::Confirm(FromAnsi(text)); }

void TQtBackupUi::Information(const std::string& text) { ShowInformation(FromAnsi(text)); }

void TQtBackupUi::ShowCopyWindow(const std::string& warning) { copyWindow_.ShowWarning(FromAnsi(warning)); }

void TQtBackupUi::CloseCopyWindow() { copyWindow_.close(); }

} // namespace tervanix
