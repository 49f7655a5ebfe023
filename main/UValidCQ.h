// The validation dialog every run passes before it is stored: one gauge per QC level placing the
// result among its alert and action limits, the Westgard markers within and across levels, and the
// operator's reject/retrieve of single levels. The rules only advise; the operator decides.
#pragma once

#include <QDialog>
#include <QWidget>
#include <array>

#include "model/UGaugeScale.h"
#include "model/UWestgard.h"

class QCheckBox;
class QFrame;
class QLabel;
class QPainter;
class QPushButton;

namespace tervanix {

class TAnalyte;

// One rule marker: a small ellipse coloured by the rule's state with the rule's name inside.
void DrawRuleMarker(QPainter& painter, int x, int y, TRuleState state, const char* name);

// What a level's gauge shows; the dialog fills it after every evaluation.
struct TGaugeView {
    TGaugeSetup Setup;          // HasValue false: "No data"
    bool Rejected = false;      // "Discarded"
    bool Participates = false;  // rule markers drawn
    std::array<TRuleState, LevelRuleCount> Rules{};
};

// "Lyphocheck 1: 1:2s warning, 1:3s reject": the gauge as a screen reader tells it.
QString GaugeDescription(const QString& material, const TGaugeView& view);

// The gauge of one level (its tag is the level index).
class TPBoxValidCQ : public QWidget {
    Q_OBJECT
public:
    TPBoxValidCQ(int level, QWidget* parent);
    int Level() const { return level_; }
    void SetView(const TGaugeView& view);
    const TGaugeView& View() const { return view_; }
    // Pixel of a value on this gauge.
    int Pos(long double value) const { return GaugePos(view_.Setup, value, width()); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void PaintNoData(QPainter& p) const;
    void PaintDiscarded(QPainter& p) const;
    void PaintBands(QPainter& p) const;
    void PaintMarkers(QPainter& p) const;
    void PaintScale(QPainter& p) const;
    void PaintValue(QPainter& p) const;
    void PaintBigText(QPainter& p, int x, int y, const QString& text) const;

    int level_;
    TGaugeView view_;
};

// The four markers of the rules across levels.
class TPBoxWGAcross : public QWidget {
    Q_OBJECT
public:
    explicit TPBoxWGAcross(QWidget* parent);
    void SetStates(const std::array<TRuleState, AcrossRuleCount>& states, int participatingCount);
    // Left edge of the marker of an across-level rule.
    static int MarkerX(int rule) { return 49 + 40 * (rule + 2); }
    static constexpr int MarkerY = 3;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::array<TRuleState, AcrossRuleCount> states_{};
    int participating_ = 0;
};

class TWinValidCQ : public QDialog {
    Q_OBJECT
public:
    explicit TWinValidCQ(QWidget* parent = nullptr);

    // Prepares, shows modally and returns true on OK. On OK the rejected levels of the run are
    // discarded (status 5) and the analyte's multirules option follows the check box; on Cancel
    // neither. Either way the levels beyond the analyte's level count end without a value.
    // The run must be classified against the analyte's current limits (ClassifyRun) beforehand.
    bool Execute(TAnalyte& analyte, TResu& run);

    // The steps of Execute, for callers and tests that drive the dialog without a modal loop.
    void Prepare(TAnalyte& analyte, TResu& run);
    void Activate();          // runs when the dialog is shown
    void ToggleReject(int level);
    void ApplyOK();           // what OK leaves in the run and the analyte

    // State and controls.
    const TWestgardResult& Result() const { return result_; }
    bool Rejected(int level) const { return rejected_[static_cast<std::size_t>(level)]; }
    TPBoxValidCQ* Gauge(int level) const { return rows_[static_cast<std::size_t>(level)].Gauge; }
    QPushButton* RejectButton(int level) const { return rows_[static_cast<std::size_t>(level)].Reject; }
    QLabel* MaterialLabel(int level) const { return rows_[static_cast<std::size_t>(level)].Material; }
    QLabel* LimitModeLabel(int level) const { return rows_[static_cast<std::size_t>(level)].LimitMode; }
    QLabel* Panel1() const { return panel1_; }
    QLabel* LblUnite() const { return lblUnite_; }
    QFrame* Panel2() const { return panel2_; }
    QLabel* PanelDate() const { return panelDate_; }
    QLabel* LblOperator() const { return lblOperator_; }
    QLabel* PanelOperator() const { return panelOperator_; }
    QLabel* LblComment() const { return lblComment_; }
    QLabel* PanelComment() const { return panelComment_; }
    QFrame* PanelWGAcross() const { return panelWGAcross_; }
    TPBoxWGAcross* PBoxWGAcross() const { return pboxWGAcross_; }
    QCheckBox* CBWestg() const { return cbWestg_; }
    QPushButton* BtOK() const { return btOK_; }
    QPushButton* BtCancel() const { return btCancel_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FitAcrossCaption();
    struct TLevelRow {
        TPBoxValidCQ* Gauge = nullptr;
        QPushButton* Reject = nullptr;
        QLabel* Material = nullptr;
        QLabel* LimitMode = nullptr;
    };

    void CreateTopPanel();
    void CreateRunPanel();
    void CreateLevelRow(int level);
    void CreateAcrossPanel();
    void CreateBottomPanel();
    void SetUpRow(int level);
    void HideRow(int level);
    void UpdateRejectCaption(int level);
    // Participation, the rules, the dialog's height and the markers, from the stored points.
    void Evaluate(bool multirules);
    void PlaceForParticipation();
    void RefreshGauges();
    void CBWestgClick();
    void BtOKClick();
    int LevelCount() const;

    TAnalyte* analyte_ = nullptr; // the run's analyte, for one validation
    TResu* run_ = nullptr;
    std::array<bool, MaxLevels> rejected_{};
    TWestgardResult result_;

    QLabel* panel1_;
    QLabel* lblUnite_;
    QFrame* panel2_;
    QLabel* panelDate_;
    QLabel* lblOperator_;
    QLabel* panelOperator_;
    QLabel* lblComment_;
    QLabel* panelComment_;
    std::array<TLevelRow, MaxLevels> rows_{};
    QFrame* panelWGAcross_;
    TPBoxWGAcross* pboxWGAcross_;
    QLabel* lblAcross_ = nullptr;
    QFrame* panelBottom_;
    QCheckBox* cbWestg_;
    QPushButton* btOK_;
    QPushButton* btCancel_;
};

} // namespace tervanix
