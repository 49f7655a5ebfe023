// The Lock, Fix and Erase/archive pages of the main window. Lock and fix act on the current
// analyte at once and the charts follow; OK keeps the limits (and writes the data file), Undo and
// Cancel bring back those of the page's opening. Erasing archives the marked levels on OK.
#pragma once

#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>

#include "main/ULaboratory.h"
#include "model/UTypes.h"

class QGroupBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace tervanix {

class TAnalyte;
class TGBArchivage;
class TGBFixedParam;
class TGBLockedParam;

struct TChartView;

// What a special page needs of the main window: the analyte and chart it works on, and the page
// switching. The limits themselves change through the laboratory.
class ISpecialPageHost {
public:
    virtual ~ISpecialPageHost() = default;
    virtual TAnalyte* CurrentAnalyte() const = 0;
    // The limits of the analyte when the page opened, which OK compares the kept limits with.
    virtual const TLimitsSnapshot& LimitsAtOpening() const = 0;
    virtual const TChartView& View() const = 0;
    // The material label of a level on the Enter page.
    virtual QString LevelCaption(int level) const = 0;
    // 0 is the Enter page; the page's tag opens it again with the limits of its opening.
    virtual void SwitchPage(int tag) = 0;
    // Cancel: the limits of the page's opening come back, then the Enter page.
    virtual void LeaveSpecialPage() = 0;
    virtual void ClearSelectedPoint() = 0;
    virtual void ClearDateIntervalAndRedraw() = 0;
    virtual void SetEraseMark(int level, bool marked) = 0;
    // The series lost points: no point selected, chart window renewed.
    virtual void AfterSeriesChanged() = 0;
};

// Headline and the OK, Undo (not on every page) and Cancel buttons, shared by the three pages.
class TSpecialPage : public QWidget {
    Q_OBJECT
public:
    struct TNames {
        const char* Page;
        const char* OK;
        const char* Undo; // nullptr: the page has no Undo
        const char* Cancel;
    };
    TSpecialPage(ISpecialPageHost& window, int tag, const TNames& names, const QString& headline);

    // Run by the window each time it switches to the page, after the limits snapshot.
    virtual void Initialise() = 0;

    QPushButton* BtOK() const { return btOK_; }
    QPushButton* BtUndo() const { return btUndo_; }
    QPushButton* BtCancel() const { return btCancel_; }

protected:
    virtual void OKClick();
    TAnalyte* Analyte() const;
    // A level's group box is captioned with the level's material label of the Enter page; the
    // boxes of levels the analyte does not have are hidden (false).
    bool CaptionLevelBox(QGroupBox* box, int level, int levels) const;
    QString MaterialName(int level) const;
    QLabel* AddCaption(const QString& text, int top);
    // The button's command runs once the click has returned (its boxes are modal).
    void OnClick(QPushButton* button, std::function<void()> command);

    ISpecialPageHost& window_;
    bool edited_ = false; // the limits were changed since the page was opened

private:
    int tag_;
    QPushButton* btOK_;
    QPushButton* btUndo_ = nullptr;
    QPushButton* btCancel_;
};

class TLockPage : public TSpecialPage {
    Q_OBJECT
public:
    explicit TLockPage(ISpecialPageHost& window);
    void Initialise() override;
    // The dates and partial statistics of the chart's date interval.
    void RefreshStatistics();
    void LockClick(int level);
    void UnLockClick(int level);

    QLabel* PanelFirstDate() const { return panelFirstDate_; }
    QLabel* PanelLastDate() const { return panelLastDate_; }
    QTableWidget* GrilleLock() const { return grilleLock_; }
    TGBLockedParam* Box(int level) const { return boxes_[static_cast<std::size_t>(level)]; }

private:
    void SizeGridRows();
    void CreateGrid();
    void SetCell(int row, int column, const QString& text);
    void ShowLevelState(int level);

    QLabel* panelFirstDate_;
    QLabel* panelLastDate_;
    QTableWidget* grilleLock_ = nullptr;
    std::array<TGBLockedParam*, MaxLevels> boxes_{};
};

class TFixPage : public TSpecialPage {
    Q_OBJECT
public:
    explicit TFixPage(ISpecialPageHost& window);
    void Initialise() override;
    void FixClick(int level);
    void UnfixClick(int level);

    TGBFixedParam* Box(int level) const { return boxes_[static_cast<std::size_t>(level)]; }

private:
    std::array<TGBFixedParam*, MaxLevels> boxes_{};
};

class TErasePage : public TSpecialPage {
    Q_OBJECT
public:
    explicit TErasePage(ISpecialPageHost& window);
    void Initialise() override;
    void ArchiClick(int level);

    TGBArchivage* Box(int level) const { return boxes_[static_cast<std::size_t>(level)]; }

protected:
    void OKClick() override;

private:
    std::array<TGBArchivage*, MaxLevels> boxes_{};
};

} // namespace tervanix
