#include "main/UExchange.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

#include "main/UAnsi.h"
#include "main/UMessages.h"
#include "model/UAnalyte.h"
#include "model/UFileStore.h"
#include "model/UGlobals.h"
#include "model/UImportText.h"

namespace tervanix {
namespace {

QString ProgramFolder() { return QFile::decodeName(QByteArray::fromStdString(ProgramDir)); }

std::string LocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString AskWithDialog(bool save, const QString& directory, QWidget* parent) {
    QFileDialog dialog(parent, QString(), directory);
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        // The command asks its own question about an existing file.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        dialog.setDefaultSuffix(QStringLiteral("txt"));
        dialog.setNameFilter(QStringLiteral("Text files with tabs as separators (*.txt)"));
    } else {
        dialog.setFileMode(QFileDialog::ExistingFile);
        // The dialog matches the patterns in any case, so Old.DAT shows under *.dat.
        dialog.setNameFilters({QStringLiteral("Text file from spreadsheet (*.txt)"),
                               QStringLiteral("Data file of Morvelle 2 (*.dat)"),
                               QStringLiteral("Backup file of Morvelle 2 (*.sav)")});
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().first();
}

TUrlOpener& UrlOpener() {
    static TUrlOpener opener;
    return opener;
}

} // namespace

TExchangeFiles::TExchangeFiles() { Reset(); }

void TExchangeFiles::Reset() { exportDir_ = importDir_ = ProgramFolder(); }

QString TExchangeFiles::Ask(bool save, QString& directory, QWidget* parent) {
    const QString file = chooser_ ? chooser_(save, directory) : AskWithDialog(save, directory, parent);
    if (!file.isEmpty()) directory = QFileInfo(file).absolutePath();
    return file;
}

QString TExchangeFiles::AskExportName(QWidget* parent) {
    QString file = Ask(true, exportDir_, parent);
    if (!file.isEmpty() && QFileInfo(file).suffix().isEmpty()) file += QStringLiteral(".txt");
    return file;
}

QString TExchangeFiles::AskImportName(QWidget* parent) { return Ask(false, importDir_, parent); }

void CopySeries(const TAnalyte* analyte) {
    if (!analyte) {
        ShowError(QStringLiteral("Nothing to copy."));
        return;
    }
    QApplication::clipboard()->setText(FromAnsi(analyte->CopyToText()));
    ShowInformation(QStringLiteral("The data for ") + FromAnsi(analyte->Name.view()) +
                    QStringLiteral(" are now copied in the clipboard.\rYou can paste them in a spreadsheet."));
}

void ExportSeries(const TAnalyte* analyte, TExchangeFiles& files, QWidget* parent) {
    if (!analyte) {
        ShowError(QStringLiteral("No analyte"));
        return;
    }
    const QString file = files.AskExportName(parent);
    if (file.isEmpty()) return;
    const QString shown = QDir::toNativeSeparators(file);
    if (QFileInfo::exists(file) && !Confirm(QStringLiteral("The file ") + shown + QStringLiteral("\ralready exists. Overwrite ?")))
        return;
    std::string bytes = analyte->CopyToText();
    bytes += '\0';
    try {
        WriteFileAtomic(LocalPath(file), bytes, "Cannot write");
    } catch (const std::exception&) {
        // The operator must not believe the series exported: the former file is still there.
        ShowError(QStringLiteral("Cannot write ") + shown);
    }
}

bool IsLegacyFileName(const QString& path) {
    // The extension, not the name's last letters: a text file called "update" is no data file.
    const QString ext = QFileInfo(path).suffix().toUpper();
    return ext == QLatin1String("DAT") || ext == QLatin1String("SAV");
}

std::string ReadImportFile(const QString& path) {
    std::optional<std::string> bytes = ReadWholeFile(LocalPath(path), MaxImportTextBytes);
    if (!bytes)
        throw EQCError("Cannot read " + ToAnsi(QDir::toNativeSeparators(path)) + ": " +
                       WhyUnreadable(LocalPath(path), MaxImportTextBytes));
    return std::move(*bytes);
}

void OpenUserManual(const QString& documentsFolder) {
    const QString manual = QDir::cleanPath(documentsFolder + QStringLiteral("/UserManual.htm"));
    const QUrl url = QUrl::fromLocalFile(manual);
    // The desktop's opener starts a browser even for a missing file and only then fails.
    const bool opened = QFileInfo::exists(manual) && (UrlOpener() ? UrlOpener()(url) : QDesktopServices::openUrl(url));
    if (!opened) ShowError(QStringLiteral("Impossible to open the user manual"));
}

TUrlOpener SetUrlOpener(TUrlOpener opener) {
    TUrlOpener previous = std::move(UrlOpener());
    UrlOpener() = std::move(opener);
    return previous;
}

} // namespace tervanix
