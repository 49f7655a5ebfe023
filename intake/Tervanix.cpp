// Tervanix: builds the program's state in a fixed order, runs the main window, and writes the data,
// the queue and the settings back at exit, in that order.
#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QLocale>
#include <QSocketNotifier>
#include <csignal>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

#include "main/UAnsi.h"
#include "main/UMain.h"
#include "main/UMessages.h"
#include "model/UDataLoadSave.h"
#include "model/UFormat.h"
#include "model/UGlobals.h"
#include "model/URandom.h"
#include "model/USettingsFile.h"

namespace tervanix {
namespace {

// Dates, times and numbers are shown as the system shows them.
void TakeSystemLocale() {
    const QLocale system = QLocale::system();
    TLocaleFormats formats;
    formats.ShortDateFormat = ToAnsi(system.dateFormat(QLocale::ShortFormat));
    formats.LongTimeFormat = StripTimeZone(ToAnsi(system.timeFormat(QLocale::LongFormat)));
    const QString point = system.decimalPoint();
    if (point.size() == 1 && point.at(0).unicode() < 0x80) formats.DecimalSeparator = point.at(0).toLatin1();
    for (int month = 1; month <= 12; ++month) {
        formats.ShortMonthNames[static_cast<std::size_t>(month - 1)] = ToAnsi(system.monthName(month, QLocale::ShortFormat));
        formats.LongMonthNames[static_cast<std::size_t>(month - 1)] = ToAnsi(system.monthName(month, QLocale::LongFormat));
    }
    if (!system.amText().isEmpty()) formats.AMString = ToAnsi(system.amText());
    if (!system.pmText().isEmpty()) formats.PMString = ToAnsi(system.pmText());
    SetLocale(formats);
}

// The window font the layouts are drawn for, or the nearest that is installed.
void SetWindowFont() {
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    font.setPointSize(8);
    QApplication::setFont(font);
}

// The data file, or the demonstration data on a first start; a file that cannot be read is said.
void LoadData() {
    try {
        LoadDataFile(BasePath + ".qcf");
    } catch (const std::exception&) {
        if (FirstRun)
            CreateDefaultData();
        else
            ShowError(QStringLiteral("Cannot read data"));
    }
}

void StartUp() {
    TakeSystemLocale();
    RandomizeFromClock();
    SetProgramDir(QCoreApplication::applicationDirPath().toStdString());
    LoadSettings();
    Queue.Load(BasePath + ".fif");
    RandomizeFromClock();
    Analytes.FreeAll();
    Materials.Clear();
    LoadData();
    SetWindowFont();
}

// Each file is written even when the one before failed; each failure is said.
void ShutDown() {
    try {
        SaveDataFile(BasePath + ".qcf");
    } catch (const std::exception&) {
        ShowError(QStringLiteral("Cannot save data"));
    }
    Analytes.FreeAll();
    Materials.Clear();
    try {
        Queue.Save(BasePath + ".fif");
    } catch (const std::exception&) {
        ShowError(QStringLiteral("Unable to save fifo"));
    }
    Queue.Clear();
    SaveSettings();
    Operators.Clear();
}

// A session that ends (logout, shutdown, kill) stops the program through its normal exit, so that the
// queue, which lives in memory until then, and the data are written. The signal only wakes the loop.
int terminationPipe[2] = {-1, -1};

void OnTermination(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(terminationPipe[1], &byte, 1);
}

void QuitOnTermination(QApplication& app) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, terminationPipe) != 0) return;
    auto* notifier = new QSocketNotifier(terminationPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [] { QApplication::quit(); });
    struct sigaction action {};
    action.sa_handler = OnTermination;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

int Run(QApplication& app) {
    QuitOnTermination(app);
    StartUp();
    int code = 0;
    {
        TWinMain window;
        window.PlaceOnScreen();
        window.show();
        code = app.exec();
    }
    ShutDown();
    return code;
}

} // namespace
} // namespace tervanix

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tervanix"));
    return tervanix::Run(app);
}
