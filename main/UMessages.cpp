#include "main/UMessages.h"

#include <QMessageBox>

namespace tervanix {
namespace {

IMessageService* installed = nullptr;

QMessageBox::Icon IconOf(TMsgType type) {
    switch (type) {
    case TMsgType::Error: return QMessageBox::Critical;
    case TMsgType::Information: return QMessageBox::Information;
    case TMsgType::Confirmation: return QMessageBox::Question;
    case TMsgType::Warning: return QMessageBox::Warning;
    }
    return QMessageBox::NoIcon;
}

} // namespace

QString MessageCaption(TMsgType type) {
    switch (type) {
    case TMsgType::Error: return QStringLiteral("Error");
    case TMsgType::Information: return QStringLiteral("Information");
    case TMsgType::Confirmation: return QStringLiteral("Confirm");
    case TMsgType::Warning: return QStringLiteral("Warning");
    }
    return {};
}

QString MessageLines(const QString& text) {
    QString lines = text;
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    lines.replace(QLatin1String("\n\r"), QLatin1String("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return lines;
}

TMsgButton TMessageBoxService::Show(const QString& text, TMsgType type, TMsgButtons buttons) {
    const QMessageBox::StandardButton first = buttons == TMsgButtons::RetryCancel ? QMessageBox::Retry : QMessageBox::Ok;
    // No parent: the box is application-modal and centred on the screen.
    QMessageBox box(IconOf(type), MessageCaption(type), MessageLines(text),
                    buttons == TMsgButtons::OK ? first : first | QMessageBox::Cancel);
    box.setWindowModality(Qt::ApplicationModal);
    box.setDefaultButton(first);
    switch (box.exec()) {
    case QMessageBox::Ok: return TMsgButton::OK;
    case QMessageBox::Retry: return TMsgButton::Retry;
    default: return TMsgButton::Cancel;
    }
}

IMessageService& Messages() {
    static TMessageBoxService platformBoxes;
    return installed ? *installed : platformBoxes;
}

IMessageService* SetMessageService(IMessageService* service) {
    IMessageService* previous = installed;
    installed = service;
    return previous;
}

void ShowError(const QString& text) { Messages().Show(text, TMsgType::Error, TMsgButtons::OK); }

void ShowInformation(const QString& text) { Messages().Show(text, TMsgType::Information, TMsgButtons::OK); }

void ShowWarning(const QString& text) { Messages().Show(text, TMsgType::Warning, TMsgButtons::OK); }

bool Confirm(const QString& text) {
    return Messages().Show(text, TMsgType::Confirmation, TMsgButtons::OKCancel) == TMsgButton::OK;
}

bool RetryOrCancel(const QString& text) {
    return Messages().Show(text, TMsgType::Error, TMsgButtons::RetryCancel) == TMsgButton::Retry;
}

} // namespace tervanix
