// The backup and the restore in front of the operator: the program's message boxes and the copy
// window.
#pragma once

#include "model/UBackup.h"

namespace tervanix {

class TWinAnimCopyFic;

class TQtBackupUi final : public IBackupUi {
public:
    // The copy window is not owned.
    explicit TQtBackupUi(TWinAnimCopyFic& copyWindow) : copyWindow_(copyWindow) {}

    bool RetryOrCancel(const std::string& text) override;
    bool Confirm(const std::string& text) override;
    void Information(const std::string& text) override;
    void ShowCopyWindow(const std::string& warning) override;
    void CloseCopyWindow() override;

private:
    TWinAnimCopyFic& copyWindow_;
};

} // namespace tervanix
