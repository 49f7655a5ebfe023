// The program's main window: the analyte list, the Levey-Jennings charts of the current analyte
// over a window of 31 points, the entry of runs, the queue of runs waiting for validation, and the
// commands that open every other function.
#pragma once

#include <QMainWindow>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "charts/UDrawChart.h"
#include "intake/UQCServer.h"
#include "main/UChartPanel.h"
#include "main/UChartWindow.h"
#include "main/UEntryPage.h"
#include "main/ULaboratory.h"
#include "main/UMainCommands.h"
#include "main/USpecialPages.h"
#include "model/UTypes.h"

class QAction;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QScrollBar;
class QSystemTrayIcon;
class QTabWidget;
class QTimeEdit;
class QTimer;
class QToolButton;

namespace tervanix {

class IDriveMap;
class TAnalyte;
class TExchangeFiles;
class TWinAbout;
class TWinImport;
class TWinArchives;
class TWinEmployees;
class TWinOptions;
class TWinRandom;
class TWinNewPsw;
class TWinAnimCopyFic;
class TWinComment;
class TWinValidCQ;
class TWinDailyQC;
class TWinRisks;
class TWinShowLimits;
class TWinDefAnalytes;
class TWinDefSerum;
class TWinSerumByAnal;
class TWinShowData;
class TWinPrnCharts;

// A small coloured shape drawn on a speed button; clicks go through to the button.
class TIndicatorShape : public QWidget {
public:
    enum class TForm { Circle, Rectangle };
    TIndicatorShape(TForm form, QWidget* button);
    void SetColour(const QColor& colour);
    const QColor& Colour() const { return colour_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TForm form_;
    QColor colour_;
};

// The message of a failed start-up check of the screen, empty when the screen will do.
QString ScreenCheckMessage(double dotsPerInch, int screenWidth);

// In embedded mode (started by an automation client) the window starts hidden, sits in the
// notification area while a tray exists, hides on Escape and on closing, and shows on a click on
// the icon or by a client's Show.
class TWinMain : public QMainWindow, public IServerHost, public ISpecialPageHost, public ICommandHost {
    Q_OBJECT
public:
    // Answers the validation of a run: true on OK (the run then holds its final statuses).
    using TValidation = std::function<bool(TAnalyte& analyte, TResu& run)>;

    explicit TWinMain(QWidget* parent = nullptr);
    ~TWinMain() override;

    // Replaces the validation dialog (tests); an empty function restores the dialog.
    void SetValidation(TValidation validation);

    // Analyte list and charts.
    void RebuildAnalyteList();
    void SelectAnalyte(int row);
    void RecomputeChartWindow();
    void RepaintChart();
    // After a command changed the current series: no point selected, window and chart renewed.
    void AfterSeriesChanged() override;

    // The automation server's side (IServerHost).
    void ShowMain() override;
    void HideMain() override;
    void QueueChanged() override { RefreshQueueIndicator(); }
    // A program started by a client, started again by the operator: from now on it is the
    // operator's program, closing (after the confirmation) ends it, and it leaves the
    // notification area.
    void BecomeUserProgram();

    // The splash shown at start, released when the window is first shown.
    void AdoptSplash(std::unique_ptr<QWidget> splash);
    bool HoldsSplash() const { return splash_ != nullptr; }
    // The windows of the commands, created once at start in their order (others come on first use).
    void CreateCommandWindows();

    // Indicators.
    void RefreshQueueIndicator();
    // In embedded mode, the resource name of the notification icon now due: "TRAYICON2" while
    // the queue indicator is red, else "TRAYICON1" (empty when not embedded).
    const QString& TrayIconName() const { return trayIconName_; }
    // The notification icon, null unless embedded on a desktop with a tray.
    QSystemTrayIcon* TrayIcon() const { return trayIcon_; }
    void ApplyBackupReminder();

    // Entry of a run.
    void SubmitRun();
    void ClearEntryFields();
    void ClearClick();
    // Takes a stored point of the current analyte back into the entry fields and out of the series.
    void LoadPointForCorrection(const TQCPoint* point) override;

    // The commands that open the other windows (TMainCommands), as the menus and buttons run them.
    TMainCommands& Commands() const { return *commands_; }
    void BackupClick() { commands_->BackupClick(); }
    void RestoreClick() { commands_->RestoreClick(); }
    // Replaces the machine's volumes as backup drives (tests).
    void SetDriveMap(std::unique_ptr<IDriveMap> drives);
    void ArchivesClick() { commands_->ArchivesClick(); }
    TWinArchives* WinArchives() const { return commands_->WinArchives(); }
    void RandomClick() { commands_->RandomClick(); }
    TWinRandom* WinRandom() const { return commands_->WinRandom(); }
    void OperatorsClick() { commands_->OperatorsClick(); }
    TWinEmployees* WinEmployees() const { return commands_->WinEmployees(); }
    void OptionsClick() { commands_->OptionsClick(); }
    TWinOptions* WinOptions() const { return commands_->WinOptions(); }
    void CopyClick() { commands_->CopyClick(); }
    void PasteClick() { commands_->PasteClick(); }
    void ExportClick() { commands_->ExportClick(); }
    void ImportClick() { commands_->ImportClick(); }
    TWinImport& WinImport() { return commands_->WinImport(); }
    TExchangeFiles& ExchangeFiles() { return commands_->ExchangeFiles(); }
    void DailyClick() { commands_->DailyClick(); }
    void LimitsClick() { commands_->LimitsClick(); }
    void RisksClick() { commands_->RisksClick(); }
    void AnalytesClick() { commands_->AnalytesClick(); }
    void ControlMaterialsClick() { commands_->ControlMaterialsClick(); }
    void AssignLotsClick() { commands_->AssignLotsClick(); }
    void DataTableClick() { commands_->DataTableClick(); }
    void PrintChartsClick() { commands_->PrintChartsClick(); }
    TWinShowData& WinShowData() { return commands_->WinShowData(); }
    TWinPrnCharts& WinPrnCharts() { return commands_->WinPrnCharts(); }

    // Queue.
    void RecallQueuedRun();
    void ClearQueue();

    // The chart panel: the charts, their window of points, the selection and the date interval.
    TChartPanel& Chart() const { return *chart_; }
    // Mouse and keys on the chart, in paint box coordinates (see TChartPanel).
    void ChartMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos) {
        chart_->MouseDown(button, modifiers, pos);
    }
    void ChartMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPoint pos) {
        chart_->MouseMove(buttons, modifiers, pos);
    }
    bool ChartKey(int key, Qt::KeyboardModifiers modifiers) { return chart_->Key(key, modifiers); }
    void ChartDoubleClick() { chart_->DoubleClick(); }

    // Runs the start-up checks of the screen at the first showing (on by default).
    void SetScreenChecks(bool on) { screenChecks_ = on; }
    // Centres the window on its screen, or puts it at the top-left corner of an 800-pixel screen.
    void PlaceOnScreen();

    // State.
    TAnalyte* CurrentAnalyte() const override { return current_; }
    const TLimitsSnapshot& LimitsAtOpening() const override { return limitsSnapshot_; }
    int SelectedPoint() const override { return chart_->View().SelectedPoint; }
    const TChartView& View() const override { return chart_->View(); }
    const TChartWindow& Window() const { return chart_->Window(); }
    int PageTag() const { return pageTag_; }
    bool ForcedClose() const { return forcedClose_; }

    // Controls.
    TChartPaintBox* PBox() const { return chart_->PBox(); }
    QScrollBar* ScrollBar() const { return chart_->ScrollBar(); }
    QLabel* PanelDateDeb() const { return chart_->PanelDateDeb(); }
    QLabel* PanelDateFin() const { return chart_->PanelDateFin(); }
    QLabel* PanelNomAnal() const { return panelNomAnal_; }
    QTabWidget* PageControl() const { return pageControl_; }
    TEntryPage& EntryPage() const { return *entryPage_; }
    QDateEdit* DatePicker() const { return entryPage_->DatePicker(); }
    QTimeEdit* TimePicker() const { return entryPage_->TimePicker(); }
    QLineEdit* LevelEdit(int level) const { return entryPage_->LevelEdit(level); }
    QLabel* LevelMaterial(int level) const { return entryPage_->LevelMaterial(level); }
    QLabel* LevelUnit(int level) const { return entryPage_->LevelUnit(level); }
    QComboBox* CBOperator() const { return entryPage_->CBOperator(); }
    QLineEdit* EditComment() const { return entryPage_->EditComment(); }
    QPushButton* BtOKEnter() const { return entryPage_->BtOKEnter(); }
    QPushButton* BtRAZEntryFields() const { return entryPage_->BtRAZEntryFields(); }
    QListWidget* LBAnalytes() const { return entryPage_->LBAnalytes(); }
    QToolButton* BtFifo() const { return btFifo_; }
    TIndicatorShape* ShapeFifo() const { return shapeFifo_; }
    QToolButton* BtExit() const { return btExit_; }
    QToolButton* BtBackup() const { return btBackup_; }
    TIndicatorShape* ShapeBackUp() const { return shapeBackUp_; }
    QAction* Disketterestore1() const { return disketteRestore_; }
    QTimer* TimerBtFifo() const { return timerBtFifo_; }
    QTimer* TimerBackUp() const { return timerBackUp_; }
    QAction* MnuClearFifo() const { return mnuClearFifo_; }
    QAction* MnuAbout() const { return mnuAbout_; }
    TWinComment* WinComment() const { return chart_->WinComment(); }

    // ---- Lock, fix and erase pages (main/USpecialPages) ----
    // Shows the page of the tag (0 Enter, 1 Lock, 2 Fix, 3 Erase/archive); opening a special page
    // from the Enter page asks for the password when one is set.
    void SwitchPage(int tag) override;
    // Cancel of a special page: its limits snapshot back into the analyte, then the Enter page.
    void LeaveSpecialPage() override;
    void RestoreLimitsSnapshot();
    void ClearSelectedPoint() override; // repaints when a point was selected
    void ClearDateIntervalAndRedraw() override;
    void SetEraseMark(int level, bool marked) override;
    QString LevelCaption(int level) const override;
    TLockPage* LockPage() const { return lockPage_; }
    TFixPage* FixPage() const { return fixPage_; }
    TErasePage* ErasePage() const { return erasePage_; }
    QAction* MnuLockLimits() const { return mnuLockLimits_; }
    QAction* MnuFixLimits() const { return mnuFixLimits_; }
    QAction* Archiving1() const { return archiving1_; }
    QAction* MnuAnalytes() const { return mnuAnalytes_; }
    QAction* MnuControlMaterials() const { return mnuControlMaterials_; }
    QToolButton* BtAffectation() const { return btAffectation_; }
    QToolButton* BtData() const { return btData_; }
    QToolButton* BtPrnGraph() const { return btPrnGraph_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateChartPanel(QWidget* client);
    void OnChartIntervalChanged();
    void CreatePageControl(QWidget* client);
    void CreateEnterPage();
    void CreateBottomBar(QWidget* client);
    void ArrangeClientForFont(QWidget* client);
    void FitToScreen();
    void CreateMenus();
    void CreateFileMenu(QMenu& menu);
    void CreateParametersMenu(QMenu& menu);
    void CreateConfigurationMenu(QMenu& menu);
    void CreateSpecialMenu(QMenu& menu);
    void CreateClipboardMenu(QMenu& menu);
    void CreateHelpMenu(QMenu& menu);
    QAction* AddMenuItem(QMenu& menu, const QString& caption, const char* name, std::function<void()> handler);
    // A speed button of the bottom bar at its place (TBarSlot in UMain.cpp), with its hint.
    QToolButton* AddBarButton(int slot, const QString& caption, const char* name, const QString& hint);
    void CreateTimers();
    void CreateKeys();

    bool RunStartupChecks();
    TWinAbout& About() { return commands_->About(); }
    void ShowStoredRun(int index) override;
    void BackupDone() override;
    void EveryShowing();
    void ClearAnalyteSelection();
    void TimerBtFifoTick();
    void CreateTrayIcon();
    void SetTrayIcon(const QString& name);
    void TimerBackUpTick();

    // The road of a run: classified, validated, then stored or queued. True when stored.
    bool ValidateAndStore(TAnalyte& analyte, TResu& run);
    void StoreRun(TAnalyte& analyte, const TResu& run);
    // What the laboratory's changes mean for the window.
    void ConnectLaboratory();
    void OnSeriesChanged(TAnalyte* analyte);
    void OnSettingsChanged();

    // Window state.
    TAnalyte* current_ = nullptr;
    std::string currentName_; // to find the current analyte again when the analytes are replaced
    int pageTag_ = 0;
    bool forcedClose_ = false;
    bool screenChecks_ = true;
    bool firstShowing_ = true;
    TValidation validation_;

    // Controls.
    QWidget* panel1_ = nullptr;
    TChartPanel* chart_ = nullptr;
    QLabel* panelNomAnal_ = nullptr;
    QTabWidget* pageControl_ = nullptr;
    TEntryPage* entryPage_ = nullptr;
    QToolButton* btFifo_ = nullptr;
    TIndicatorShape* shapeFifo_ = nullptr;
    QToolButton* btExit_ = nullptr;
    QToolButton* btBackup_ = nullptr;
    TIndicatorShape* shapeBackUp_ = nullptr;
    QAction* disketteRestore_ = nullptr;
    QTimer* timerBtFifo_ = nullptr;
    QTimer* timerBackUp_ = nullptr;
    QAction* mnuClearFifo_ = nullptr;
    QAction* mnuAbout_ = nullptr;
    TWinValidCQ* winValidCQ_ = nullptr;
    QAction* mnuPsw_ = nullptr;
    QAction* mnuShortCuts_ = nullptr;
    QSystemTrayIcon* trayIcon_ = nullptr;
    QString trayIconName_;
    std::unique_ptr<QWidget> splash_;

    // Lock, fix and erase pages.
    void SpecialMenuClick(int tag);
    TSpecialPage* SpecialPage(int tag) const;
    TLockPage* lockPage_ = nullptr;
    TFixPage* fixPage_ = nullptr;
    TErasePage* erasePage_ = nullptr;
    TLimitsSnapshot limitsSnapshot_;
    QAction* mnuLockLimits_ = nullptr;
    QAction* mnuFixLimits_ = nullptr;
    QAction* archiving1_ = nullptr;
    TMainCommands* commands_ = nullptr;
    QAction* mnuAnalytes_ = nullptr;
    QAction* mnuControlMaterials_ = nullptr;
    QToolButton* btAffectation_ = nullptr;
    QToolButton* btArchives_ = nullptr;
    QToolButton* btData_ = nullptr;
    QToolButton* btPrnGraph_ = nullptr;
};

} // namespace tervanix
