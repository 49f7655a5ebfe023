// The one way a window puts a message in front of the operator. Every window goes through
// Messages(), so tests can replace the boxes with a double that answers as told.
#pragma once

#include <QString>
#include <exception>

namespace tervanix {

// A check that refused the operator's input has already shown its message: the command stops
// here, and its handler catches this without a further word.
class EAbortSilently : public std::exception {
public:
    const char* what() const noexcept override { return "operation aborted"; }
};

enum class TMsgType { Error, Information, Confirmation, Warning };
// RetryCancelDiscard and RetryDiscard add "Exit without saving" (Discard) to Retry (and Cancel).
enum class TMsgButtons { OK, OKCancel, RetryCancel, RetryCancelDiscard, RetryDiscard };
enum class TMsgButton { OK, Cancel, Retry, Discard };

class IMessageService {
public:
    virtual ~IMessageService() = default;
    // Shows the text (carriage returns break lines) and returns the button pressed; a box
    // closed any other way counts as Cancel.
    virtual TMsgButton Show(const QString& text, TMsgType type, TMsgButtons buttons) = 0;
};

// The platform's modal message box, centred on the screen, captioned by type.
class TMessageBoxService final : public IMessageService {
public:
    TMsgButton Show(const QString& text, TMsgType type, TMsgButtons buttons) override;
};

// Caption of a box of this type: "Error", "Information", "Confirm" or "Warning".
QString MessageCaption(TMsgType type);
// The text with "\r\n", "\n\r" and lone "\r" turned into line breaks.
QString MessageLines(const QString& text);

// The service in use (the message box unless a test installed another one).
IMessageService& Messages();
// Installs a service (not owned; nullptr restores the message box) and returns the previous one.
IMessageService* SetMessageService(IMessageService* service);

void ShowError(const QString& text);
void ShowInformation(const QString& text);
// A refusal that tells the operator what to do instead, with OK.
void ShowWarning(const QString& text);
// OK and Cancel; only OK means yes.
bool Confirm(const QString& text);
// An error box with Retry and Cancel; true for Retry.
bool RetryOrCancel(const QString& text);

} // namespace tervanix
