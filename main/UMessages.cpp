#include "main/UMessages.h"

#include <QPushButton>
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
    const bool retry = buttons == TMsgButtons::RetryCancel || buttons == TMsgButtons::RetryCancelDiscard ||
                       buttons == TMsgButtons::RetryDiscard;
    const QMessageBox::StandardButton first = retry ? QMessageBox::Retry : QMessageBox::Ok;
    QMessageBox::StandardButtons all = first;
    if (buttons != TMsgButtons::OK && buttons != TMsgButtons::RetryDiscard) all |= QMessageBox::Cancel;
    // No parent: the box is application-modal and centred on the screen.
    QMessageBox box(IconOf(type), MessageCaption(type), MessageLines(text), all);
    QAbstractButton* discard = nullptr;
    if (buttons == TMsgButtons::RetryCancelDiscard || buttons == TMsgButtons::RetryDiscard)
        discard = box.addButton(QStringLiteral("E&xit without saving"), QMessageBox::DestructiveRole);
    box.setWindowModality(Qt::ApplicationModal);
    box.setDefaultButton(first);
    const int answer = box.exec();
    if (discard && box.clickedButton() == discard) return TMsgButton::Discard;
    switch (answer) {
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
