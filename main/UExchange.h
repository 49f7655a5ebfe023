// The main window's commands that move a series out as text (Copy, Export), the reading of the
// files that Import takes in, and the user manual.
#pragma once

#include <QString>
#include <QUrl>
#include <functional>
#include <string>

#include "intake/UProgramPlaces.h"

class QWidget;

namespace tervanix {

class TAnalyte;

// The file dialogs of Export and Import. Both start in the program's folder and then in the
// folder of the last file chosen with them.
class TExchangeFiles {
public:
    // Asks for a file; the answer is empty when the operator cancelled.
    using TChooser = std::function<QString(bool save, const QString& directory)>;

    TExchangeFiles();
    void Reset();
    // A name without extension gets ".txt".
    QString AskExportName(QWidget* parent);
    QString AskImportName(QWidget* parent);
    // Replaces the dialogs (tests); an empty chooser restores them.
    void SetChooser(TChooser chooser) { chooser_ = std::move(chooser); }
    const QString& ExportDir() const { return exportDir_; }
    const QString& ImportDir() const { return importDir_; }

private:
    QString Ask(bool save, QString& directory, QWidget* parent);

    QString exportDir_, importDir_;
    TChooser chooser_;
};

// Copy: the analyte's series on the clipboard as text, and the message that says so.
void CopySeries(const TAnalyte* analyte);

// Export: the analyte's series text, closed by a zero byte, into a file the operator chooses;
// an existing file is replaced only after confirmation, and never left half written.
void ExportSeries(const TAnalyte* analyte, TExchangeFiles& files, QWidget* parent);

// A version-2 data or backup file, told by its extension in any case (".dat", ".Sav").
bool IsLegacyFileName(const QString& path);

// A text file's bytes for the import dialog; EQCError("Bad file format") when it cannot be read.
std::string ReadImportFile(const QString& path);

// Opens "UserManual.htm" of the documents folder (beside the program, or the installed share
// folder) in the desktop's browser, or says it cannot.
void OpenUserManual(const QString& documentsFolder = DocumentsFolder());
// Replaces the desktop's opening of a document (tests); returns the previous one.
using TUrlOpener = std::function<bool(const QUrl&)>;
TUrlOpener SetUrlOpener(TUrlOpener opener);

} // namespace tervanix
