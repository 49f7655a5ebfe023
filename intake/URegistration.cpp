#include "intake/URegistration.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cstdio>

#include "intake/UProgramPlaces.h"
#include "intake/UQCServer.h"
#include "model/UFileStore.h"
#include "model/UTypes.h"

namespace tervanix {
namespace {

// "-Name" or "/Name" in any letter case.
bool IsSwitch(const QString& argument, const char* name) {
    if (argument.size() < 2 || (argument[0] != u'-' && argument[0] != u'/')) return false;
    return argument.mid(1).compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

bool HasSwitch(const QStringList& arguments, const char* name) {
    for (const QString& argument : arguments)
        if (IsSwitch(argument, name)) return true;
    return false;
}

// The bus reads Exec like a shell: a path with blanks or quotes goes inside single quotes.
QString ExecWord(const QString& path) {
    static const QString plain = QStringLiteral(
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/._-+,:@%");
    bool needsQuotes = path.isEmpty();
    for (QChar c : path) needsQuotes = needsQuotes || !plain.contains(c);
    if (!needsQuotes) return path;
    QString quoted = path;
    quoted.replace(QStringLiteral("'"), QStringLiteral("'\\''"));
    return u'\'' + quoted + u'\'';
}

void Report(const char* what) { std::fprintf(stderr, "Tervanix: %s\n", what); }

// A shell word as ExecWord writes it: plain, or inside single quotes with '\'' for a quote.
QString UnquotedWord(const QString& line) {
    if (!line.startsWith(u'\'')) return line.section(u' ', 0, 0);
    QString word;
    for (qsizetype i = 1; i < line.size(); ++i) {
        if (line[i] != u'\'') {
            word += line[i];
        } else if (line.mid(i, 4) == QStringLiteral("'\\''")) {
            word += u'\'';
            i += 3;
        } else {
            break;
        }
    }
    return word;
}

QString ReadActivationFile() {
    QFile file(ActivationFilePath());
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.read(64 * 1024)) : QString();
}

bool SameProgram(const QString& a, const QString& b) {
    return QFileInfo(a).canonicalFilePath() == QFileInfo(b).canonicalFilePath();
}

// The package's activation file starts an installed program. A per-user file overrides it, so the
// analysers' runs would go to whichever copy it names and the file would outlive the package:
// one naming this program, or a program that is gone, is taken away; one naming another copy the
// user keeps is left alone.
bool TidyActivationFileOfInstalledProgram(const QString& programPath) {
    if (!QFile::exists(ActivationFilePath())) return true;
    const QString registered = ActivationFileProgram(ReadActivationFile());
    const bool gone = !QFileInfo(registered).isExecutable();
    return !(gone || SameProgram(registered, programPath)) || RemoveActivationFile();
}

} // namespace

TStartOptions ParseStartOptions(const QStringList& arguments) {
    TStartOptions options;
    if (HasSwitch(arguments, "REGSERVER"))
        options.Mode = TStartMode::Register;
    else if (HasSwitch(arguments, "UNREGSERVER"))
        options.Mode = TStartMode::Unregister;
    else if (HasSwitch(arguments, "AUTOMATION") || HasSwitch(arguments, "EMBEDDING"))
        options.Mode = TStartMode::Client;
    options.Embedded = !arguments.isEmpty() && arguments.first() == QStringLiteral("-Embedding");
    return options;
}

QString ActivationFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/dbus-1/services/") + QLatin1String(QCServerService) + QStringLiteral(".service");
}

// The bus reads the section name "D-BUS Service" in exactly this case.
QString ActivationFileText(const QString& programPath) {
    return QStringLiteral("[D-BUS Service]\nName=") + QLatin1String(QCServerService) + QStringLiteral("\nExec=") +
           ExecWord(programPath) + QStringLiteral(" -Embedding\n");
}

QString ActivationFileProgram(const QString& text) {
    for (const QString& line : text.split(u'\n')) {
        if (!line.startsWith(QStringLiteral("Exec="))) continue;
        return UnquotedWord(line.mid(5).trimmed());
    }
    return {};
}

bool WriteActivationFile(const QString& programPath) {
    const QString path = ActivationFilePath();
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
    try {
        WriteFileAtomic(QFile::encodeName(path).toStdString(), ActivationFileText(programPath).toStdString(),
                        "Cannot write the activation file");
    } catch (const EQCError&) {
        return false;
    }
    return true;
}

bool RemoveActivationFile() {
    QFile file(ActivationFilePath());
    return !file.exists() || file.remove();
}

bool HandleRegistration(const TStartOptions& options, const QString& programPath) {
    switch (options.Mode) {
    case TStartMode::Register:
        if (!WriteActivationFile(programPath)) Report("cannot write the D-Bus activation file");
        return true;
    case TStartMode::Unregister:
        if (!RemoveActivationFile()) Report("cannot remove the D-Bus activation file");
        return true;
    case TStartMode::Client:
        return false;
    case TStartMode::User:
        if (IsInstalledProgram(QFileInfo(programPath).absolutePath())) {
            if (!TidyActivationFileOfInstalledProgram(programPath)) Report("cannot remove the D-Bus activation file");
        } else if (!WriteActivationFile(programPath)) {
            Report("cannot refresh the D-Bus activation file");
        }
        return false;
    }
    return false;
}

} // namespace tervanix
