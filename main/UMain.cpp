#include "main/UMain.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTabBar>
#include <QTabWidget>
#include <QTimeEdit>
#include <QTimer>
#include <QToolButton>
#include <cmath>

#include "dialogs/UAbout.h"
#include "dialogs/UAnimCopyFic.h"
#include "dialogs/UMotPass.h"
#include "main/UAccessible.h"
#include "main/UAnsi.h"
#include "main/UBackupUi.h"
#include "main/UColors.h"
#include "main/UCommandRunner.h"
#include "main/UDriveMap.h"
#include "main/UExchange.h"
#include "main/UFontFit.h"
#include "main/ULaboratory.h"
#include "main/UMessages.h"
#include "main/UResources.h"
#include "main/UValidCQ.h"
#include "model/UAnalyte.h"
#include "model/UGlobals.h"
#include "model/USettingsFile.h"

namespace tervanix {
namespace {

constexpr int ClientWidth = 792;
constexpr int ClientHeight = 526;


QLabel* MakeLabel(QWidget* parent, const QString& text, QRect geometry, const char* name = nullptr) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(geometry);
    if (name) label->setObjectName(QString::fromLatin1(name));
    return label;
}

} // namespace

// ---- Indicator shapes ----

TIndicatorShape::TIndicatorShape(TForm form, QWidget* button) : QWidget(button), form_(form), colour_(clLime) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TIndicatorShape::SetColour(const QColor& colour) {
    colour_ = colour;
    update();
}

void TIndicatorShape::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, form_ == TForm::Circle);
    p.setPen(Qt::black);
    p.setBrush(colour_);
    const QRect r = rect().adjusted(0, 0, -1, -1);
    if (form_ == TForm::Circle)
        p.drawEllipse(r);
    else
        p.drawRect(r);
}

QString ScreenCheckMessage(double dotsPerInch, int screenWidth) {
    if (std::lround(dotsPerInch) != 96)
        return QStringLiteral("You  are not using the small screen font.\rYou must change it to the small one (96 "
                              "pixels per inch).");
    if (screenWidth == 640)
        return QStringLiteral("Your screen resolution is 640 x 480 pixels.\rThe programme needs a minimum resolution "
                              "of 800 x 600 pixels.\rYou must change it.");
    return QString();
}

// ---- Creation ----

TWinMain::TWinMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("WinMain"));
    commands_ = new TMainCommands(*this, this);
    setWindowTitle(QStringLiteral("Tervanix server"));
    // The client is drawn at fixed positions; on a screen smaller than it, it scrolls.
    auto* scroller = new QScrollArea(this);
    scroller->setObjectName(QStringLiteral("ClientScroller"));
    scroller->setFrameShape(QFrame::NoFrame);
    auto* client = new QWidget(scroller);
    client->setObjectName(QStringLiteral("Client"));
    client->setFixedSize(ClientWidth, ClientHeight);
    CreateChartPanel(client);
    CreatePageControl(client);
    CreateBottomBar(client);
    ArrangeClientForFont(client);
    scroller->setWidget(client);
    setCentralWidget(scroller);
    CreateMenus();
    CreateTimers();
    CreateKeys();
    entryPage_->FillOperators(false);
    ClearEntryFields();
    // Single border, no maximising; the window may be made smaller than its client, which then scrolls.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    FitToScreen();
    if (Embedded) CreateTrayIcon();
    RefreshQueueIndicator();
    ConnectLaboratory();
}

void TWinMain::ConnectLaboratory() {
    TLaboratory& lab = Laboratory();
    connect(&lab, &TLaboratory::SeriesChanged, this, &TWinMain::OnSeriesChanged);
    connect(&lab, &TLaboratory::ReferenceDataChanged, this, [this] {
        // An analyte replaced (a restore) is found again by its name; one deleted is gone.
        if (Analytes.IndexOf(current_) < 0) current_ = Analytes.FindByName(currentName_);
        RebuildAnalyteList();
    });
    connect(&lab, &TLaboratory::QueueChanged, this, &TWinMain::RefreshQueueIndicator);
    connect(&lab, &TLaboratory::SettingsChanged, this, &TWinMain::OnSettingsChanged);
    connect(&lab, &TLaboratory::CorrectionPutBack, this, [](const QString& line) { ShowInformation(line); });
}

// A series that gained or lost points gets a new chart window; a change of limits only repaints,
// so that the part of the series the operator scrolled to stays in view.
void TWinMain::OnSeriesChanged(TAnalyte* analyte) {
    if (current_ && analyte == current_) chart_->FollowSeries();
}

// The operator being typed on the Enter page stays while the list under it is renewed; a backup
// reminder that is no longer due stops blinking at once.
void TWinMain::OnSettingsChanged() {
    entryPage_->FillOperators(true);
    if (BackupDue()) {
        ApplyBackupReminder();
    } else {
        BackupDone();
    }
}

void TWinMain::SetDriveMap(std::unique_ptr<IDriveMap> drives) { commands_->SetDriveMap(std::move(drives)); }

void TWinMain::BackupDone() {
    timerBackUp_->stop();
    shapeBackUp_->SetColour(clLime);
}

TWinMain::~TWinMain() {
    if (trayIcon_) trayIcon_->hide();
}

// Without a tray on the desktop the window is still reached through the clients' Show.
void TWinMain::CreateTrayIcon() {
    trayIconName_ = QStringLiteral("TRAYICON1");
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
    trayIcon_ = new QSystemTrayIcon(ResourceIcon(trayIconName_), this);
    trayIcon_->setObjectName(QStringLiteral("TrayIcon"));
    trayIcon_->setToolTip(QStringLiteral("QC server"));
    connect(trayIcon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger) ShowMain();
    });
    trayIcon_->show();
}

void TWinMain::SetTrayIcon(const QString& name) {
    if (!Embedded || name == trayIconName_) return;
    trayIconName_ = name;
    if (trayIcon_) trayIcon_->setIcon(ResourceIcon(name));
}

void TWinMain::AdoptSplash(std::unique_ptr<QWidget> splash) { splash_ = std::move(splash); }

// Created here once so that the first command does not wait for them; the comment pop-up is made
// with the window itself.
void TWinMain::CreateCommandWindows() {
    if (!winValidCQ_) winValidCQ_ = new TWinValidCQ(this);
    commands_->CreateWindows();
}

void TWinMain::CreateChartPanel(QWidget* client) {
    chart_ = new TChartPanel(client);
    chart_->OnOpenSelectedPoint = [this] { DataTableClick(); };
    chart_->OnIntervalChanged = [this] { OnChartIntervalChanged(); };
    chart_->LevelCaption = [this](int level) { return LevelCaption(level); };
}

void TWinMain::OnChartIntervalChanged() {
    if (pageTag_ == 1) lockPage_->RefreshStatistics();
}

void TWinMain::CreatePageControl(QWidget* client) {
    panelNomAnal_ = MakeLabel(client, QString(), QRect(602, 0, 190, 26), "PanelNomAnal");
    panelNomAnal_->setAlignment(Qt::AlignCenter);
    panelNomAnal_->setAutoFillBackground(true);
    QPalette pal = panelNomAnal_->palette();
    pal.setColor(QPalette::Window, clNavy);
    pal.setColor(QPalette::WindowText, clYellow);
    panelNomAnal_->setPalette(pal);
    QFont bold = panelNomAnal_->font();
    bold.setBold(true);
    panelNomAnal_->setFont(bold);

    pageControl_ = new QTabWidget(client);
    pageControl_->setObjectName(QStringLiteral("PageControl"));
    pageControl_->setGeometry(601, 26, 191, 456);
    pageControl_->tabBar()->hide();
    CreateEnterPage();
    // The tab index of each page is its tag.
    lockPage_ = new TLockPage(*this);
    fixPage_ = new TFixPage(*this);
    erasePage_ = new TErasePage(*this);
    // The tabs are never shown, but screen readers read their captions: the pages' headlines.
    for (QWidget* page : {static_cast<QWidget*>(lockPage_), static_cast<QWidget*>(fixPage_),
                          static_cast<QWidget*>(erasePage_)})
        pageControl_->addTab(page, page->windowTitle());
}

void TWinMain::CreateEnterPage() {
    entryPage_ = new TEntryPage();
    pageControl_->addTab(entryPage_, QStringLiteral("Enter"));
    entryPage_->OnSubmit = [this] { SubmitRun(); };
    entryPage_->OnClear = [this] { ClearClick(); };
    entryPage_->OnAnalyteChosen = [this](int row) { SelectAnalyte(row); };
    entryPage_->OnAnalyteDoubleClicked = [this] { AnalytesClick(); };
}

// The bottom bar's speed buttons, left to right. A command gets its place here whether or not its
// button exists yet, so that the buttons keep their places as commands come.
enum TBarSlot { bsData, bsDaily, bsLimits, bsPrnGraph, bsAffectation, bsArchives, bsBackup, bsFifo, bsExit, bsCount };
constexpr int BarButtonWidth = 84;
constexpr int BarButtonGap = (ClientWidth - bsCount * BarButtonWidth) / (bsCount + 1);

// The chart keeps its pixels (its clicks are counted in them); the page area at its right and the
// bar under both grow with the desktop's font, the bar's buttons as wide as their widest caption.
void TWinMain::ArrangeClientForFont(QWidget* client) {
    FitToFont(client, {chart_});
    panelNomAnal_->move(602, 0);
    pageControl_->move(601, panelNomAnal_->height());
    int buttonWidth = BarButtonWidth;
    const QList<QToolButton*> buttons = panel1_->findChildren<QToolButton*>(Qt::FindDirectChildrenOnly);
    for (QToolButton* button : buttons) {
        // A caption centred beside an indicator keeps clear of it on both sides.
        const auto* shape = button->findChild<TIndicatorShape*>();
        const int caption = button->fontMetrics().horizontalAdvance(AccessibleCaption(button->text()));
        buttonWidth = std::max(buttonWidth, shape ? caption + 2 * (shape->width() + 7) : button->sizeHint().width());
    }
    const int gap = BarButtonGap;
    for (QToolButton* button : buttons) {
        const int slot = button->property("barSlot").toInt();
        button->setGeometry(gap + slot * (buttonWidth + gap), button->y(), buttonWidth, button->height());
        if (auto* shape = button->findChild<TIndicatorShape*>())
            shape->move(buttonWidth - shape->width() - 5, (button->height() - shape->height()) / 2);
    }
    const int width = std::max(pageControl_->geometry().right() + 1, gap + bsCount * (buttonWidth + gap));
    panel1_->setGeometry(0, std::max(482, pageControl_->geometry().bottom() + 1), width, panel1_->height());
    client->setFixedSize(width, panel1_->geometry().bottom() + 1);
}

// As large as the client where the screen has room for it, else as large as the screen.
void TWinMain::FitToScreen() {
    const QWidget* client = static_cast<QScrollArea*>(centralWidget())->widget();
    const QSize whole(client->width(), client->height() + menuBar()->sizeHint().height());
    setMaximumSize(whole);
    setMinimumSize(std::min(whole.width(), 320), std::min(whole.height(), 240));
    resize(BoundedToScreen(this, whole));
}

QToolButton* TWinMain::AddBarButton(int slot, const QString& caption, const char* name, const QString& hint) {
    auto* button = new QToolButton(panel1_);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(caption);
    button->setGeometry(BarButtonGap + slot * (BarButtonWidth + BarButtonGap), 5, BarButtonWidth, 34);
    button->setProperty("barSlot", slot);
    button->setFocusPolicy(Qt::NoFocus);
    if (!hint.isEmpty()) button->setToolTip(hint);
    return button;
}

void TWinMain::CreateBottomBar(QWidget* client) {
    panel1_ = new QWidget(client);
    panel1_->setObjectName(QStringLiteral("Panel1"));
    panel1_->setGeometry(0, 482, ClientWidth, ClientHeight - 482);
    auto* btDaily = AddBarButton(bsDaily, QStringLiteral("D&aily QC"), "BtDaily", QStringLiteral("Daily QC results"));
    connect(btDaily, &QToolButton::clicked, this, AfterAction(this, [this] { DailyClick(); }));
    auto* btLimits =
        AddBarButton(bsLimits, QStringLiteral("&Control limits"), "BtLimits", QStringLiteral("Show control limits"));
    connect(btLimits, &QToolButton::clicked, this, AfterAction(this, [this] { LimitsClick(); }));
    btData_ = AddBarButton(bsData, QStringLiteral("Data ta&ble"), "BtData", QStringLiteral("Table of QC data"));
    connect(btData_, &QToolButton::clicked, this, AfterAction(this, [this] { DataTableClick(); }));
    btPrnGraph_ = AddBarButton(bsPrnGraph, QStringLiteral("&Print charts"), "BtPrnGraph",
                               QStringLiteral("Printing control charts"));
    connect(btPrnGraph_, &QToolButton::clicked, this,
            AfterAction(this, [this] { PrintChartsClick(); }));
    btAffectation_ = AddBarButton(bsAffectation, QStringLiteral("Assign &lots"), "BtAffectation",
                                  QStringLiteral("Change QC material or lot number"));
    connect(btAffectation_, &QToolButton::clicked, this,
            AfterAction(this, [this] { AssignLotsClick(); }));
    btBackup_ = AddBarButton(bsBackup, QStringLiteral("Bac&kup"), "BtBackup", QStringLiteral("Backup on diskette"));
    shapeBackUp_ = new TIndicatorShape(TIndicatorShape::TForm::Rectangle, btBackup_);
    shapeBackUp_->setObjectName(QStringLiteral("ShapeBackUp"));
    shapeBackUp_->setGeometry(btBackup_->width() - 17, (btBackup_->height() - 8) / 2, 12, 8);
    connect(btBackup_, &QToolButton::clicked, this, AfterAction(this, [this] { BackupClick(); }));
    btArchives_ =
        AddBarButton(bsArchives, QStringLiteral("Archi&ves"), "BtArchives", QStringLiteral("Show archived data"));
    connect(btArchives_, &QToolButton::clicked, this, AfterAction(this, [this] { ArchivesClick(); }));
    btFifo_ = AddBarButton(bsFifo, QStringLiteral("&Queue : 0"), "BtFifo", QString());
    shapeFifo_ = new TIndicatorShape(TIndicatorShape::TForm::Circle, btFifo_);
    shapeFifo_->setObjectName(QStringLiteral("ShapeFifo"));
    shapeFifo_->setGeometry(btFifo_->width() - 15, (btFifo_->height() - 10) / 2, 10, 10);
    connect(btFifo_, &QToolButton::clicked, this, AfterAction(this, [this] { RecallQueuedRun(); }));
    btExit_ = AddBarButton(bsExit, QStringLiteral("E&xit"), "BtExit", QString());
    connect(btExit_, &QToolButton::clicked, this, AfterAction(this, [this] { close(); }));
}

// The menus in their order on the bar; a menu without items stays off the bar.
void TWinMain::CreateMenus() {
    const std::pair<const char*, const char*> menus[] = {
        {"&File", "MnuFile"},           {"Pa&rameters", "MnuParameters"}, {"Co&nfiguration", "MnuConfiguration"},
        {"&Special functions", "MnuSpecial"}, {"Cl&ipboard", "MnuClipboard"}, {"?", "MnuHelp"}};
    std::vector<QMenu*> created;
    for (const auto& [caption, name] : menus) {
        QMenu* menu = menuBar()->addMenu(QString::fromLatin1(caption));
        menu->setObjectName(QString::fromLatin1(name));
        created.push_back(menu);
    }
    CreateFileMenu(*created[0]);
    CreateParametersMenu(*created[1]);
    CreateConfigurationMenu(*created[2]);
    CreateSpecialMenu(*created[3]);
    CreateClipboardMenu(*created[4]);
    CreateHelpMenu(*created[5]);
    for (QMenu* menu : created) menu->menuAction()->setVisible(!menu->isEmpty());
}

QAction* TWinMain::AddMenuItem(QMenu& menu, const QString& caption, const char* name, std::function<void()> handler) {
    QAction* action = menu.addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    connect(action, &QAction::triggered, this, std::move(handler));
    return action;
}

void TWinMain::CreateFileMenu(QMenu& menu) {
    AddMenuItem(menu, QStringLiteral("&Import"), "MnuImport", AfterAction(this, [this] { ImportClick(); }));
    AddMenuItem(menu, QStringLiteral("&Export"), "MnuExport", AfterAction(this, [this] { ExportClick(); }));
    AddMenuItem(menu, QStringLiteral("&Monthly summary"), "MnuMonthlySummary",
                AfterAction(this, [this] { Commands().MonthlySummaryClick(); }));
    disketteRestore_ = AddMenuItem(menu, QStringLiteral("Diskette restore"), "Disketterestore1",
                                   AfterAction(this, [this] { RestoreClick(); }));
}

void TWinMain::CreateParametersMenu(QMenu& menu) {
    mnuAnalytes_ = AddMenuItem(menu, QStringLiteral("&Analytes"), "MnuAnalytes",
                               AfterAction(this, [this] { AnalytesClick(); }));
    mnuControlMaterials_ = AddMenuItem(menu, QStringLiteral("&Control materials"), "MnuControlMaterials",
                                       AfterAction(this, [this] { ControlMaterialsClick(); }));
    AddMenuItem(menu, QStringLiteral("&Operators"), "MnuOperators", AfterAction(this, [this] { OperatorsClick(); }));
    AddMenuItem(menu, QStringLiteral("&Quality goals"), "MnuQualityGoals", AfterAction(this, [this] { Commands().QualityGoalsClick(); }));
}

void TWinMain::CreateConfigurationMenu(QMenu& menu) {
    mnuPsw_ = AddMenuItem(menu, QStringLiteral("&Password"), "MnuPsw",
                          AfterAction(this, [this] { commands_->PasswordClick(); }));
    AddMenuItem(menu, QStringLiteral("Statistical &risks"), "MnuRisks", AfterAction(this, [this] { RisksClick(); }));
    AddMenuItem(menu, QStringLiteral("&Backup/restore options"), "MnuOptions", AfterAction(this, [this] { OptionsClick(); }));
    mnuShortCuts_ = AddMenuItem(menu, QStringLiteral("&Shortcuts"), "MnuShortCuts",
                                AfterAction(this, [this] { commands_->ShortCutsClick(); }));
}

void TWinMain::CreateSpecialMenu(QMenu& menu) {
    mnuLockLimits_ = AddMenuItem(menu, QStringLiteral("&Lock limits"), "MnuLockLimits",
                                 AfterAction(this, [this] { SpecialMenuClick(1); }));
    mnuFixLimits_ = AddMenuItem(menu, QStringLiteral("&Fix limits"), "MnuFixLimits",
                                AfterAction(this, [this] { SpecialMenuClick(2); }));
    archiving1_ = AddMenuItem(menu, QStringLiteral("&Erase/archive levels"), "Archiving1",
                              AfterAction(this, [this] { SpecialMenuClick(3); }));
    AddMenuItem(menu, QStringLiteral("&Random generator"), "MnuRandomGenerator", AfterAction(this, [this] { RandomClick(); }));
    mnuClearFifo_ = AddMenuItem(menu, QStringLiteral("&Clear queue"), "MnuClearFifo",
                                AfterAction(this, [this] { ClearQueue(); }));
    AddMenuItem(menu, QStringLiteral("&Audit trail"), "MnuAuditTrail",
                AfterAction(this, [this] { commands_->AuditTrailClick(); }));
}

void TWinMain::CreateClipboardMenu(QMenu& menu) {
    AddMenuItem(menu, QStringLiteral("&Copy"), "MnuCopy", AfterAction(this, [this] { CopyClick(); }));
    AddMenuItem(menu, QStringLiteral("&Paste"), "MnuPaste", AfterAction(this, [this] { PasteClick(); }));
}

void TWinMain::CreateHelpMenu(QMenu& menu) {
    AddMenuItem(menu, QStringLiteral("&User manual"), "MnuUserManual",
                AfterAction(this, [] { OpenUserManual(); }));
    mnuAbout_ = AddMenuItem(menu, QStringLiteral("&About"), "MnuAbout",
                            AfterAction(this, [this] { About().ExecFromMenu(); }));
}

void TWinMain::CreateTimers() {
    timerBtFifo_ = new QTimer(this);
    timerBtFifo_->setObjectName(QStringLiteral("TimerBtFifo"));
    timerBtFifo_->setInterval(300);
    connect(timerBtFifo_, &QTimer::timeout, this, [this] { TimerBtFifoTick(); });
    timerBackUp_ = new QTimer(this);
    timerBackUp_->setObjectName(QStringLiteral("TimerBackUp"));
    timerBackUp_->setInterval(300);
    connect(timerBackUp_, &QTimer::timeout, this, [this] { TimerBackUpTick(); });
}

void TWinMain::CreateKeys() {
    auto* altF4 = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_F4), this);
    connect(altF4, &QShortcut::activated, this, Command([this] { close(); }));
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, Command([this] {
        if (Embedded) HideMain();
    }));
}

void TWinMain::SetValidation(TValidation validation) { validation_ = std::move(validation); }

// ---- Showing and closing ----

void TWinMain::ShowMain() {
    show();
    if (isMinimized()) setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    raise();
    activateWindow();
}

void TWinMain::BecomeUserProgram() {
    if (!Embedded) return;
    Embedded = false;
    trayIconName_.clear();
    if (!trayIcon_) return;
    trayIcon_->hide();
    trayIcon_->deleteLater();
    trayIcon_ = nullptr;
}

void TWinMain::HideMain() {
    chart_->HideCommentPopup();
    hide();
}

void TWinMain::PlaceOnScreen() {
    const QScreen* s = screen();
    if (!s) return;
    FitToScreen();
    const QRect desktop = s->availableGeometry();
    if (s->geometry().width() == 800)
        move(0, 0);
    else
        move(desktop.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
}

bool TWinMain::RunStartupChecks() {
    const QScreen* s = screen();
    if (!s) return true;
    const QString message = ScreenCheckMessage(s->logicalDotsPerInch(), s->geometry().width());
    if (message.isEmpty()) return true;
    ShowError(message);
    forcedClose_ = true;
    QTimer::singleShot(0, this, [this] { close(); });
    return false;
}

void TWinMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    splash_.reset();
    if (event->spontaneous()) return; // restored from the taskbar: nothing to renew
    if (firstShowing_ && !Embedded && screenChecks_) {
        firstShowing_ = false;
        if (!RunStartupChecks()) return;
        // Once the window is up and the message loop runs, so that the box has the window behind it.
        if (Settings.ShowAboutAtStart)
            QTimer::singleShot(0, this, [this] { About().ExecAtStart(); });
    }
    firstShowing_ = false;
    EveryShowing();
}

void TWinMain::EveryShowing() {
    RebuildAnalyteList();
    ApplyBackupReminder();
    commands_->ExchangeFiles().Reset();
    RefreshQueueIndicator();
}

void TWinMain::closeEvent(QCloseEvent* event) {
    if (Embedded) {
        HideMain();
        event->ignore();
        return;
    }
    if (forcedClose_ || Confirm(QStringLiteral("Exit Tervanix"))) {
        chart_->HideCommentPopup();
        Laboratory().PutBackCorrection(); // said while the window is still there
        event->accept();
    } else {
        event->ignore();
    }
}

// ---- Analyte list and chart window ----

void TWinMain::RebuildAnalyteList() {
    pageControl_->setCurrentWidget(entryPage_);
    pageTag_ = 0;
    chart_->SetClicks(TChartPanel::TClicks::Points);
    chart_->ClearEraseMarks(); // they live only on the Erase/archive page
    chart_->ClearDateInterval();
    if (Analytes.Count() == 0) {
        entryPage_->ShowAnalytes(-1);
        ClearAnalyteSelection();
    } else {
        const int row = std::max(Analytes.IndexOf(current_), 0);
        entryPage_->ShowAnalytes(row);
        SelectAnalyte(row);
    }
    DatePicker()->setFocus();
}

void TWinMain::ClearAnalyteSelection() {
    panelNomAnal_->clear();
    current_ = nullptr;
    entryPage_->ShowLevels(nullptr);
    chart_->SetAnalyte(nullptr);
}

void TWinMain::SelectAnalyte(int row) {
    if (row < 0 || row >= Analytes.Count()) return;
    current_ = &Analytes[row];
    currentName_ = current_->Name.str();
    panelNomAnal_->setText(FromAnsi(current_->Name.str()));
    entryPage_->ShowLevels(current_);
    ClearEntryFields();
    chart_->SetAnalyte(current_);
}

void TWinMain::RecomputeChartWindow() { chart_->RecomputeWindow(); }

void TWinMain::RepaintChart() { chart_->Repaint(); }

void TWinMain::AfterSeriesChanged() { chart_->SelectPoint(-1); }

void TWinMain::ShowStoredRun(int index) {
    if (pageTag_ != 0) {
        pageControl_->setCurrentWidget(entryPage_);
        pageTag_ = 0;
    }
    chart_->ClearDateInterval();
    chart_->SelectPoint(index);
}

// ---- Lock, fix and erase pages ----

void TWinMain::SpecialMenuClick(int tag) {
    if (!current_)
        ShowError(QStringLiteral("No analyte."));
    else
        SwitchPage(tag);
}

TSpecialPage* TWinMain::SpecialPage(int tag) const {
    switch (tag) {
    case 1:
        return lockPage_;
    case 2:
        return fixPage_;
    case 3:
        return erasePage_;
    default:
        return nullptr;
    }
}

void TWinMain::SwitchPage(int tag) {
    if (pageTag_ == 3) {
        chart_->ClearEraseMarks();
        RepaintChart();
    }
    if (tag == 0) {
        chart_->SetClicks(TChartPanel::TClicks::Points);
        pageTag_ = 0;
        pageControl_->setCurrentWidget(entryPage_);
        ClearDateIntervalAndRedraw();
        return;
    }
    if (!current_ || !SpecialPage(tag)) return;
    if (pageTag_ == 0 && !Settings.Password.empty() && !AskPassword(this)) return;
    if (pageTag_ != 0) RestoreLimitsSnapshot();
    limitsSnapshot_ = TLimitsSnapshot::Of(*current_);
    pageTag_ = tag;
    pageControl_->setCurrentIndex(tag);
    chart_->SetClicks(tag == 1 ? TChartPanel::TClicks::DateInterval : TChartPanel::TClicks::Nothing);
    SpecialPage(tag)->Initialise();
}

void TWinMain::LeaveSpecialPage() {
    if (pageTag_ == 0) return;
    RestoreLimitsSnapshot();
    SwitchPage(0);
}

void TWinMain::RestoreLimitsSnapshot() {
    if (current_) Laboratory().RestoreLimits(*current_, limitsSnapshot_);
}

QString TWinMain::LevelCaption(int level) const { return LevelMaterial(level)->text(); }

void TWinMain::ClearSelectedPoint() { chart_->ClearSelectedPoint(); }

void TWinMain::ClearDateIntervalAndRedraw() { chart_->ClearDateIntervalAndRedraw(); }

void TWinMain::SetEraseMark(int level, bool marked) { chart_->SetEraseMark(level, marked); }

// ---- Indicators ----

void TWinMain::RefreshQueueIndicator() {
    btFifo_->setText(QStringLiteral("&Queue : ") + QString::number(Queue.Count()));
    if (Queue.Count() > 0) {
        if (!timerBtFifo_->isActive()) timerBtFifo_->start();
    } else {
        timerBtFifo_->stop();
        shapeFifo_->SetColour(clLime);
        SetTrayIcon(QStringLiteral("TRAYICON1"));
    }
}

void TWinMain::TimerBtFifoTick() {
    const QColor face = palette().color(QPalette::Button);
    shapeFifo_->SetColour(shapeFifo_->Colour() == clRed ? face : clRed);
    SetTrayIcon(shapeFifo_->Colour() == clRed ? QStringLiteral("TRAYICON2") : QStringLiteral("TRAYICON1"));
}

void TWinMain::ApplyBackupReminder() {
    if (BackupDue() && !timerBackUp_->isActive()) timerBackUp_->start();
}

void TWinMain::TimerBackUpTick() {
    const QColor face = palette().color(QPalette::Button);
    shapeBackUp_->SetColour(shapeBackUp_->Colour() == clRed ? face : clRed);
}

} // namespace tervanix
