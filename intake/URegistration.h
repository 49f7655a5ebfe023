// The server's command-line switches and its D-Bus activation file, through which a client's
// call starts the program with "-Embedding".
#pragma once

#include <QString>
#include <QStringList>

namespace tervanix {

enum class TStartMode {
    User,       // started by the operator: never ended by clients
    Client,     // AUTOMATION or EMBEDDING: ends when its last client has gone
    Register,   // REGSERVER: write the activation file, then end
    Unregister, // UNREGSERVER: remove the activation file, then end
};

struct TStartOptions {
    TStartMode Mode = TStartMode::User;
    bool Embedded = false; // the first parameter is exactly "-Embedding"
};

// `arguments` are the parameters without the program itself. The switches are taken anywhere on
// the line, with a leading '-' or '/', in any letter case.
TStartOptions ParseStartOptions(const QStringList& arguments);

// <user data folder>/dbus-1/services/Tervanix.QCserver.service
QString ActivationFilePath();
// The activation file's text for this program file.
QString ActivationFileText(const QString& programPath);

// The program an activation file's text starts (its Exec word, unquoted); empty when it names none.
QString ActivationFileProgram(const QString& text);

bool WriteActivationFile(const QString& programPath);
// True when no activation file remains.
bool RemoveActivationFile();

// Does what the switches ask with the activation file and tells whether the program must end now
// (registration switches). At an ordinary start a portable copy refreshes the file; an installed
// program relies on its package's file and writes none. A failure is reported on stderr.
bool HandleRegistration(const TStartOptions& options, const QString& programPath);

} // namespace tervanix
