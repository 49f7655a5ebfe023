// Tervanix: builds the program's state in a fixed order, serves the automation clients, runs the
// main window, and writes the data, the queue and the settings back at exit, in that order.
#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QIcon>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTimer>
#include <QTextStream>
#include <csignal>
#include <cstdio>
#include <memory>
#include <string_view>
#include <sys/socket.h>
#include <unistd.h>

#include "dialogs/USetUp.h"
#include "intake/UDataFolderLock.h"
#include "intake/ULogoCQ.h"
#include "intake/UProgramPlaces.h"
#include "intake/UQCServer.h"
#include "intake/UQueueSaver.h"
#include "intake/URegistration.h"
#include "main/ULaboratory.h"
#include "main/UFormParts.h"
#include "main/UMain.h"
#include "main/UMessages.h"
#include "main/UResources.h"
#include "main/USystemLocale.h"
#include "model/UDataLoadSave.h"
#include "model/UFileStore.h"
#include "model/UGlobals.h"
#include "model/URandom.h"

namespace tervanix {
namespace {

// A client's call may start the program where no display belongs to the bus (a service session, a
// remote login). It then serves its clients without windows instead of failing to open one.
bool headless = false;

// A program file without its pictures still runs; the missing ones are named once.
void CheckResources() {
    const QStringList missing = LoadResources();
    if (!missing.isEmpty())
        QTextStream(stderr) << "Tervanix: resources missing from the program: " << missing.join(QStringLiteral(", ")) << '\n';
}

// The temporary files of atomic writes that a killed program left in the folder, now ours.
void RemoveLeftTemporaries() {
    const int removed = RemoveStaleTemporaries(ProgramDir, {BasePath + ".", ProgramDir + "QC"});
    if (removed > 0) QTextStream(stderr) << "Tervanix: removed " << removed << " temporary files left by a killed program\n";
}

// Everything before the windows: seed, folders, mode, settings, resources, queue, data, goals. A file
// that cannot be read is kept aside and said (TLaboratory).
void StartUp(const TStartOptions& options) {
    TakeSystemLocale();
    RandomizeFromClock();
    Embedded = options.Embedded;
    RemoveLeftTemporaries();
    Laboratory().LoadSettings();
    SetWindowFont();
    CheckResources();
    Laboratory().LoadQueue();
    RandomizeFromClock();
    Analytes.FreeAll();
    Materials.Clear();
    Laboratory().LoadData();
    Laboratory().LoadGoals();
}

// A session that ends (logout, shutdown, kill) stops the program through its normal exit, so that the
// queue, which lives in memory until then, and the data are written. The signal only wakes the loop.
int terminationPipe[2] = {-1, -1};
bool terminationRequested = false;

// Also ends a modal dialog of the start (setup) and keeps the loop from starting afterwards.
void Terminate() {
    terminationRequested = true;
    if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    QApplication::quit();
}

void OnTermination(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(terminationPipe[1], &byte, 1);
}

void QuitOnTermination(QApplication& app) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, terminationPipe) != 0) return;
    auto* notifier = new QSocketNotifier(terminationPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [] { Terminate(); });
    struct sigaction action {};
    action.sa_handler = OnTermination;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

// The queue file cannot be written: the clients' runs are refused (Add answers avNotWritten) and
// the operator, when the window is up, hears it once per row of failures.
void SayQueueFailures(TQueueSaver& saver, TWinMain& window) {
    QObject::connect(&saver, &TQueueSaver::SaveFailed, &window, [&window](const QString& why) {
        if (!window.isVisible()) return;
        // After the answers to the clients have gone.
        QTimer::singleShot(0, &window, [why] {
            ShowError(QStringLiteral("The queue file cannot be written: runs sent by other programs are refused "
                                     "until it can.\r") + why);
        });
    });
}

// The message loop, until an exit whose save went through or was given up. A save that fails
// keeps the program: the operator's Cancel leaves the window open, and a program started by a
// client goes on serving and tries again at its next idle exit. True when the files are written.
bool RunUntilSaved(QApplication& app, TQCServer& server, TQueueSaver& saver, TWinMain& window, int& code) {
    for (;;) {
        code = app.exec();
        if (terminationRequested) return false;
        saver.Flush();
        switch (Laboratory().SaveForExit(!Embedded, true)) {
        case TLaboratory::TExitSave::Saved: return true;
        case TLaboratory::TExitSave::Discarded: return true; // nothing more is written
        case TLaboratory::TExitSave::Stay: break;
        }
        if (Embedded) {
            server.EndWhenIdle();
        } else {
            window.show();
        }
    }
}

// The splash, for a program started by the operator: up for its time while clients are served.
std::unique_ptr<TWinLogoCQ> ShowSplash() {
    auto splash = std::make_unique<TWinLogoCQ>();
    splash->ShowFor(TWinLogoCQ::ShowMs);
    return splash;
}

// The windows after the main one, in their order of creation. Those of commands not built yet
// (import, lot assignment, archive view, risks, analytes, materials, operators, options, data
// printing, data table, limits, daily summary, chart printing, archives, random generator) take
// their place in this list when they come; the password prompts are made at each asking.
void CreateOtherWindows(TWinMain& window) {
    window.PlaceOnScreen(); // the top-left corner of an 800-pixel screen, else centred
    window.CreateCommandWindows();
}

// A first start by the operator offers the desktop and menu shortcuts before the main window
// shows. The splash goes first: it stays on top and would cover the dialog.
void OfferShortcuts(TWinMain& window, std::unique_ptr<TWinLogoCQ>& splash) {
    if (!FirstRun || Embedded) return;
    splash.reset();
    TWinSetUp setup(&window);
    setup.exec();
}

// A program started by a client ends once its clients have gone and an idle period has passed;
// started again by the operator, it becomes the operator's program.
void ServeClients(QApplication& app, TQCServer& server, TWinMain& window, const TStartOptions& options) {
    if (options.Mode == TStartMode::Client) {
        server.EndWhenIdle();
        QObject::connect(&server, &TQCServer::NoLongerNeeded, &app, &QApplication::quit);
    }
    QObject::connect(&server, &TQCServer::StartedAgainByUser, &window, [&app, &server, &window] {
        server.KeepRunning();
        if (!Embedded) return;
        window.BecomeUserProgram();
        app.setQuitOnLastWindowClosed(true); // closing the window ends it now
    });
}

int RunWindows(QApplication& app, const TStartOptions& options, TDataFolderLock& folder) {
    TQueueSaver saver(BasePath + ".fif");
    TWinMain window;
    TQCServer server(window);
    server.SetHeadless(headless);
    server.SetStore([&saver] { return saver.SaveNow(); });
    QObject::connect(&Laboratory(), &TLaboratory::QueueChanged, &saver, &TQueueSaver::QueueChanged);
    SayQueueFailures(saver, window);
    ServeClients(app, server, window, options);
    server.Publish();
    // No window closing during the start ends the program.
    app.setQuitOnLastWindowClosed(false);
    std::unique_ptr<TWinLogoCQ> splash;
    if (!Embedded) splash = ShowSplash();
    CreateOtherWindows(window);
    if (!terminationRequested) OfferShortcuts(window, splash);
    int code = 0;
    bool saved = false;
    if (!terminationRequested) {
        window.AdoptSplash(std::move(splash)); // released when the window first shows
        if (!Embedded) window.show();
        // A program started by a client ends with its clients, never by its hidden window.
        app.setQuitOnLastWindowClosed(!Embedded);
        saved = RunUntilSaved(app, server, saver, window, code);
    }
    // No new call comes once the name is released; those already here are answered, their runs
    // written by the store. The files are written (unless the exit save above did it or the
    // operator gave it up; a session that ends says a failure on stderr). Only then may the next
    // instance, which waits for the folder, read them.
    server.Withdraw();
    saver.Flush();
    if (!saved) Laboratory().SaveForExit(false, false);
    Laboratory().FreeAtExit();
    folder.Release();
    return code;
}

// The operator hears why the program does not start; a client's start only leaves a line.
void ReportBusy(const TStartOptions& options, const TDataFolderLock& folder) {
    if (options.Mode == TStartMode::Client) {
        QString text = folder.BusyMessage();
        text.replace(u'\r', u' ');
        QTextStream(stderr) << "Tervanix: " << text << '\n';
    } else {
        ShowError(folder.BusyMessage());
    }
}

void ServeHeadlessWithoutDisplay(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    if (ParseStartOptions(arguments).Mode != TStartMode::Client || qEnvironmentVariableIsSet("QT_QPA_PLATFORM") ||
        !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    headless = true;
}

// Without a display no one could answer a box: its text goes to stderr, and a question is not
// taken as agreed.
class TStderrMessages final : public IMessageService {
public:
    TMsgButton Show(const QString& text, TMsgType type, TMsgButtons buttons) override {
        QTextStream(stderr) << "Tervanix: " << MessageCaption(type) << ": " << QString(text).replace(u'\r', u' ') << '\n';
        return buttons == TMsgButtons::OK ? TMsgButton::OK : TMsgButton::Cancel;
    }
};

int Run(QApplication& app) {
    const TStartOptions options = ParseStartOptions(app.arguments().mid(1));
    if (HandleRegistration(options, QCoreApplication::applicationFilePath())) return 0;
    TStderrMessages stderrMessages;
    if (headless) SetMessageService(&stderrMessages);
    if (!AgreeOnUnwritableData(QCoreApplication::applicationDirPath(),
                                QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)))
        return 1;
    SetProgramDir(QFile::encodeName(DataFolder()).toStdString());
    TDataFolderLock folder(QString::fromStdString(BasePath));
    switch (folder.Claim(options.Mode == TStartMode::Client, QDBusConnection::sessionBus())) {
    case TFolderClaim::Owned:
        break;
    case TFolderClaim::OtherShown:
    case TFolderClaim::OtherServes:
        return 0;
    case TFolderClaim::Busy:
    case TFolderClaim::Unwritable:
        ReportBusy(options, folder);
        return 1;
    }
    QuitOnTermination(app);
    StartUp(options);
    return RunWindows(app, options, folder);
}

} // namespace
} // namespace tervanix

namespace {

constexpr const char* ProgramOptionsText =
    "Usage: Tervanix [OPTION]\n"
    "The internal quality control of a clinical laboratory: Levey-Jennings charts, Westgard rules,\n"
    "and runs delivered by other programs over the session bus (service Tervanix.QCserver).\n"
    "\n"
    "  --help          print these options and exit\n"
    "  --version       print the version and the data format, and exit\n"
    "  -Automation     started by an automation client: ends when the last client has gone\n"
    "  -Embedding      the same, as the session bus starts it\n"
    "  -RegServer      write the bus activation file for this program, then exit\n"
    "  -UnregServer    remove the bus activation file, then exit\n"
    "\n"
    "The data, settings, queue and archives are kept in $XDG_DATA_HOME/Tervanix/ for an installed\n"
    "program, beside the program file for a copy in a folder it may write to.\n";

// --help and --version are answered at once: no display, no data folder, no window.
bool AnswerInformationSwitch(int argc, char** argv) {
    if (argc != 2) return false;
    const std::string_view option = argv[1];
    if (option == "--help" || option == "-h") std::fputs(ProgramOptionsText, stdout);
    else if (option == "--version")
        std::printf("Tervanix %s (data format %s)\n", TERVANIX_VERSION, tervanix::CurrentFormatVersion().c_str());
    else return false;
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (AnswerInformationSwitch(argc, argv)) return 0;
    tervanix::ServeHeadlessWithoutDisplay(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tervanix"));
    // The desktop matches the windows to the installed menu entry and its icon.
    QApplication::setDesktopFileName(QStringLiteral("tervanix"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/TERVANIX")));
    // The print and file dialogs speak the desktop's language, as the rest of the desktop does.
    const std::unique_ptr<QTranslator> qtTexts = tervanix::QtTranslations(QLocale());
    if (qtTexts) QApplication::installTranslator(qtTexts.get());
    return tervanix::Run(app);
}
