#include "main/UValidCQ.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <algorithm>

#include "charts/UDrawChart.h"
#include "main/UAccessible.h"
#include "main/UAnsi.h"
#include "main/UColors.h"
#include "main/UFontFit.h"
#include "model/UAnalyte.h"
#include "model/UFormat.h"
#include "model/UGlobals.h"
#include "model/USeriesQueries.h"

namespace tervanix {
namespace {

constexpr int ClientWidth = 520;
constexpr int Panel1Height = 41;
constexpr int AcrossPanelHeight = 33;
constexpr int BandTop = 17;
constexpr int BandHeight = 10;
constexpr int MarkerWidth = 33;
constexpr int MarkerHeight = 20;

// Vertical layout of the dialog for a level count: the run panel grows by 100 pixels a level.
int RunPanelHeight(int levels) { return 100 * levels + 43; }
int AcrossPanelTop(int levels) { return 100 * levels + 84; }
int DialogHeight(int levels, bool across) { return across ? 100 * levels + 193 : 100 * levels + 160; }

int ScreenHeight(const QWidget* w) {
    const QScreen* screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->geometry().height() : 600;
}

// The colours set here are light ones, so black text stays readable on them whatever the desktop's
// palette (a dark theme's text is light); a dark one gets its text colour after.
void SetBackground(QWidget* w, const QColor& colour) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, colour);
    pal.setColor(QPalette::WindowText, Qt::black);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

void SetTextColour(QWidget* w, const QColor& colour) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, colour);
    w->setPalette(pal);
}

QLabel* MakeLabel(const QString& text, QWidget* parent, int left, int top) {
    auto* label = new QLabel(text, parent);
    label->move(left, top);
    label->adjustSize();
    return label;
}

// A sunken panel showing one text, as the run's date, operator and comment are shown.
QLabel* MakeTextPanel(QWidget* parent, const QRect& geometry) {
    auto* panel = new QLabel(parent);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setAlignment(Qt::AlignCenter);
    panel->setGeometry(geometry);
    return panel;
}

QFrame* MakePanel(QWidget* parent) {
    auto* panel = new QFrame(parent);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    return panel;
}

// Text whose top-left corner is at (x, y), as the gauge's texts are placed.
void TextAt(QPainter& p, int x, int y, const QString& text) {
    p.drawText(x, y + QFontMetrics(p.font()).ascent(), text);
}

int TextWidth(const QPainter& p, const QString& text) { return QFontMetrics(p.font()).horizontalAdvance(text); }

} // namespace

void DrawRuleMarker(QPainter& painter, int x, int y, TRuleState state, const char* name) {
    const bool lit = state != TRuleState::None;
    const QColor fill = state == TRuleState::Reject ? clRed : state == TRuleState::Warning ? clYellow : clBtnFace;
    const QColor ink = lit ? clBlack : clWhite;
    painter.setPen(QPen(ink, 1));
    painter.setBrush(fill);
    painter.drawEllipse(QRect(x, y, MarkerWidth - 1, MarkerHeight - 1));
    const QString text = QString::fromLatin1(name);
    TextAt(painter, x + 16 - TextWidth(painter, text) / 2, y + 3, text);
}

// ---------------------------------------------------------------------------------------------
// Gauge

TPBoxValidCQ::TPBoxValidCQ(int level, QWidget* parent) : QWidget(parent), level_(level) {
    setObjectName(QStringLiteral("PBoxValidCQ%1").arg(level + 1));
    setAccessibleName(QStringLiteral("QC%1").arg(level + 1));
}

// What a screen reader says of a gauge: the material, then what the rules found.
QString GaugeDescription(const QString& material, const TGaugeView& view) {
    if (!view.Setup.HasValue) return material + QStringLiteral(": No data");
    if (view.Rejected) return material + QStringLiteral(": Discarded");
    QStringList fired;
    if (view.Participates)
        for (int i = 0; i < LevelRuleCount; ++i) {
            const TRuleState state = view.Rules[static_cast<std::size_t>(i)];
            if (state != TRuleState::None)
                fired << QString::fromLatin1(LevelRuleNames[static_cast<std::size_t>(i)]) + QLatin1Char(' ') +
                             QString::fromLatin1(RuleStateName(state));
        }
    return material + QStringLiteral(": ") +
           (fired.isEmpty() ? QStringLiteral("no rule fired") : fired.join(QStringLiteral(", ")));
}

void TPBoxValidCQ::SetView(const TGaugeView& view) {
    view_ = view;
    update();
}

void TPBoxValidCQ::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), clBtnFace);
    if (!view_.Setup.HasValue) {
        PaintNoData(p);
        return;
    }
    if (view_.Rejected) {
        PaintDiscarded(p);
        return;
    }
    PaintBands(p);
    if (view_.Participates)
        PaintMarkers(p);
    if (view_.Setup.ShowScale)
        PaintScale(p);
    PaintValue(p);
}

void TPBoxValidCQ::PaintBigText(QPainter& p, int x, int y, const QString& text) const {
    QFont big = font();
    big.setPointSize(16);
    p.setFont(big);
    p.setPen(clRed);
    TextAt(p, x, y, text);
}

void TPBoxValidCQ::PaintNoData(QPainter& p) const { PaintBigText(p, 170, 15, QStringLiteral("No data")); }

void TPBoxValidCQ::PaintDiscarded(QPainter& p) const {
    p.setPen(clBlack);
    p.setBrush(clGray);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    PaintBigText(p, 160, 15, QStringLiteral("Discarded"));
}

// Action, alert, in-control, alert, action, from left to right, within the gauge's margins.
void TPBoxValidCQ::PaintBands(QPainter& p) const {
    const TGaugeSetup& g = view_.Setup;
    const int right = width() - GaugeMargin;
    const std::array<int, 6> edges = {GaugeMargin,
                                      Pos(g.Centre - g.ActionHalfWidth),
                                      Pos(g.Centre - g.AlertHalfWidth),
                                      Pos(g.Centre + g.AlertHalfWidth),
                                      Pos(g.Centre + g.ActionHalfWidth),
                                      right};
    const std::array<QColor, 5> colours = {clRed, clYellow, clLime, clYellow, clRed};
    for (std::size_t i = 0; i < colours.size(); ++i) {
        const int x1 = std::clamp(edges[i], GaugeMargin, right);
        const int x2 = std::clamp(edges[i + 1], GaugeMargin, right);
        if (x2 > x1)
            p.fillRect(x1, BandTop, x2 - x1, BandHeight, colours[i]);
    }
}

void TPBoxValidCQ::PaintMarkers(QPainter& p) const {
    for (int i = 0; i < LevelRuleCount; ++i)
        DrawRuleMarker(p, 50 + 40 * i, 35, view_.Rules[static_cast<std::size_t>(i)],
                       LevelRuleNames[static_cast<std::size_t>(i)]);
}

void TPBoxValidCQ::PaintScale(QPainter& p) const {
    const TGaugeTicks ticks = GaugeScaleTicks(view_.Setup.Centre, view_.Setup.HalfRange);
    for (long double t : ticks.Values) {
        const int x = Pos(t);
        p.setPen(clNavy);
        p.drawLine(x, 12, x, 16);
        const QString label = FromAnsi(FormatFixed(t, 6, ticks.Decimals));
        p.setPen(clBlack);
        TextAt(p, x - TextWidth(p, label) / 2, 0, label);
    }
}

void TPBoxValidCQ::PaintValue(QPainter& p) const {
    const int x = Pos(view_.Setup.Value);
    p.fillRect(x - 1, 14, 3, 16, clBlack);
}

// ---------------------------------------------------------------------------------------------
// Rules across levels

TPBoxWGAcross::TPBoxWGAcross(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PBoxWGAcross"));
    setAccessibleName(QStringLiteral("Rules across levels"));
}

void TPBoxWGAcross::SetStates(const std::array<TRuleState, AcrossRuleCount>& states, int participatingCount) {
    states_ = states;
    participating_ = participatingCount;
    QStringList fired;
    for (int rule = 0; rule < AcrossRuleCount; ++rule)
        if (states[static_cast<std::size_t>(rule)] != TRuleState::None)
            fired << QString::fromLatin1(AcrossRuleName(rule, participatingCount)) + QLatin1Char(' ') +
                         QString::fromLatin1(RuleStateName(states[static_cast<std::size_t>(rule)]));
    setAccessibleDescription(fired.isEmpty() ? QStringLiteral("no rule fired")
                                             : fired.join(QStringLiteral(", ")));
    update();
}

void TPBoxWGAcross::paintEvent(QPaintEvent*) {
    QPainter p(this);
    for (int rule = 0; rule < AcrossRuleCount; ++rule)
        DrawRuleMarker(p, MarkerX(rule), MarkerY, states_[static_cast<std::size_t>(rule)],
                       AcrossRuleName(rule, participating_));
}

// ---------------------------------------------------------------------------------------------
// Dialog

TWinValidCQ::TWinValidCQ(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("WinValidCQ"));
    setWindowTitle(QStringLiteral("QC validation"));
    setModal(true);
    QFont f = font();
    f.setPointSize(8);
    setFont(f);
    SetBackground(this, clBtnFace);
    CreateTopPanel();
    CreateRunPanel();
    for (int level = 0; level < MaxLevels; ++level)
        CreateLevelRow(level);
    CreateAcrossPanel();
    CreateBottomPanel();
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int left = screen ? (screen->geometry().width() - ClientWidth) / 2 : 0;
    const int height = DialogHeight(MaxLevels, false);
    setFixedSize(ClientWidth, height);
    setGeometry(left, (ScreenHeight(this) - height) / 2, ClientWidth, height);
    // The gauges are drawn at fixed pixel positions: they keep their size.
    std::vector<const QWidget*> drawn{pboxWGAcross_};
    for (const TLevelRow& row : rows_) drawn.push_back(row.Gauge);
    FitToFont(this, drawn);
    FitAcrossCaption();
}

// The across markers keep their pixels under the gauges' markers: on a larger font their caption is
// made smaller only as far as it must to end before the first marker.
void TWinValidCQ::FitAcrossCaption() {
    const int room = pboxWGAcross_->x() + TPBoxWGAcross::MarkerX(0) - lblAcross_->x() - 4;
    lblAcross_->setFont(ScaleLabelFont(lblAcross_->font(), {lblAcross_->text()}, room));
    lblAcross_->adjustSize();
}

void TWinValidCQ::CreateTopPanel() {
    panel1_ = new QLabel(this);
    panel1_->setObjectName(QStringLiteral("Panel1"));
    panel1_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel1_->setAlignment(Qt::AlignCenter);
    panel1_->setGeometry(0, 0, ClientWidth, Panel1Height);
    QFont big = font();
    big.setPixelSize(24);
    big.setBold(true);
    panel1_->setFont(big);
    SetTextColour(panel1_, clNavy);

    lblUnite_ = new QLabel(panel1_);
    lblUnite_->setObjectName(QStringLiteral("LblUnite"));
    QFont bold = font();
    bold.setPointSize(10);
    bold.setBold(true);
    lblUnite_->setFont(bold);
    SetTextColour(lblUnite_, clNavy);
    lblUnite_->move(430, 14);
}

void TWinValidCQ::CreateRunPanel() {
    panel2_ = MakePanel(this);
    panel2_->setObjectName(QStringLiteral("Panel2"));
    panel2_->setGeometry(0, Panel1Height, ClientWidth, RunPanelHeight(MaxLevels));
    // Each caption followed by its panel, the comment panel taking what is left of the row.
    QLabel* lblDate = MakeLabel(QStringLiteral("Date / time"), panel2_, 10, 13);
    panelDate_ = MakeTextPanel(panel2_, QRect(lblDate->geometry().right() + 6, 9, 130, 21));
    panelDate_->setObjectName(QStringLiteral("PanelDate"));
    SetBackground(panelDate_, clYellow);
    lblOperator_ = MakeLabel(QStringLiteral("Operator"), panel2_, panelDate_->geometry().right() + 10, 13);
    lblOperator_->setObjectName(QStringLiteral("LblOperator"));
    panelOperator_ = MakeTextPanel(panel2_, QRect(lblOperator_->geometry().right() + 6, 9, 44, 21));
    panelOperator_->setObjectName(QStringLiteral("PanelOperator"));
    lblComment_ = MakeLabel(QStringLiteral("Comment"), panel2_, panelOperator_->geometry().right() + 10, 13);
    lblComment_->setObjectName(QStringLiteral("LblComment"));
    const int commentLeft = lblComment_->geometry().right() + 6;
    panelComment_ = MakeTextPanel(panel2_, QRect(commentLeft, 9, ClientWidth - 10 - commentLeft, 21));
    panelComment_->setObjectName(QStringLiteral("PanelComment"));
}

void TWinValidCQ::CreateLevelRow(int level) {
    TLevelRow& row = rows_[static_cast<std::size_t>(level)];
    const int top = 100 * level;
    row.Gauge = new TPBoxValidCQ(level, panel2_);
    row.Gauge->setGeometry(10, top + 70, GaugeWidth, 60);

    row.Reject = new QPushButton(panel2_);
    row.Reject->setObjectName(QStringLiteral("BtReject%1").arg(level + 1));
    row.Reject->setGeometry(430, top + 90, 80, 30);
    row.Reject->setFocusPolicy(Qt::StrongFocus); // reached with Tab, and with Alt and the level's digit
    connect(row.Reject, &QPushButton::clicked, this, [this, level] { ToggleReject(level); });
    UpdateRejectCaption(level);

    row.Material = MakeLabel(QString(), panel2_, 32, top + 55);
    QFont underlined = font();
    underlined.setUnderline(true);
    row.Material->setFont(underlined);

    row.LimitMode = MakeLabel(QString(), panel2_, 440, top + 70);
    row.LimitMode->setMargin(1);
    SetBackground(row.LimitMode, clGreen);
    SetTextColour(row.LimitMode, clWhite);
}

void TWinValidCQ::CreateAcrossPanel() {
    panelWGAcross_ = MakePanel(this);
    panelWGAcross_->setObjectName(QStringLiteral("PanelWGAcross"));
    panelWGAcross_->setGeometry(0, AcrossPanelTop(MaxLevels), ClientWidth, AcrossPanelHeight);
    lblAcross_ = MakeLabel(QStringLiteral("Rules across levels"), panelWGAcross_, 10, 10);
    // Its markers line up under the level markers 3 to 6 of the gauges.
    pboxWGAcross_ = new TPBoxWGAcross(panelWGAcross_);
    pboxWGAcross_->setGeometry(11, 4, 465, 25);
    panelWGAcross_->hide();
}

void TWinValidCQ::CreateBottomPanel() {
    panelBottom_ = MakePanel(this);
    panelBottom_->setObjectName(QStringLiteral("PanelBottom"));
    cbWestg_ = new QCheckBox(QStringLiteral("&Westgard multirules "), panelBottom_);
    cbWestg_->setObjectName(QStringLiteral("CBWestg"));
    SetAccessibleCaption(cbWestg_, cbWestg_->text());
    cbWestg_->move(12, 28);
    cbWestg_->adjustSize();
    connect(cbWestg_, &QCheckBox::clicked, this, &TWinValidCQ::CBWestgClick);
    btOK_ = new QPushButton(QStringLiteral("OK"), panelBottom_);
    btOK_->setObjectName(QStringLiteral("BtOK"));
    btOK_->setGeometry(340, 25, 80, 25);
    btOK_->setFocusPolicy(Qt::ClickFocus);
    btOK_->setDefault(true);
    connect(btOK_, &QPushButton::clicked, this, &TWinValidCQ::BtOKClick);
    btCancel_ = new QPushButton(QStringLiteral("Cancel"), panelBottom_);
    btCancel_->setObjectName(QStringLiteral("BtCancel"));
    btCancel_->setGeometry(430, 25, 80, 25);
    btCancel_->setFocusPolicy(Qt::ClickFocus);
    connect(btCancel_, &QPushButton::clicked, this, &QDialog::reject);
}

int TWinValidCQ::LevelCount() const {
    return analyte_ ? std::clamp(static_cast<int>(analyte_->LevelCount), 0, MaxLevels) : 0;
}

bool TWinValidCQ::Execute(TAnalyte& analyte, TResu& run) {
    Prepare(analyte, run);
    const bool ok = exec() == QDialog::Accepted;
    analyte_ = nullptr;
    run_ = nullptr;
    return ok;
}

void TWinValidCQ::Prepare(TAnalyte& analyte, TResu& run) {
    analyte_ = &analyte;
    run_ = &run;
    panel1_->setText(FromAnsi(run.AnalyteName));
    panelDate_->setText(FromAnsi(FormatDate(run.DateTime) + " " + FormatTime(run.DateTime)));
    panelOperator_->setText(FromAnsi(run.Operator));
    panelOperator_->setVisible(!run.Operator.empty());
    lblOperator_->setVisible(!run.Operator.empty());
    SetElidedText(panelComment_, FromAnsi(run.Comment));
    panelComment_->setVisible(!run.Comment.empty());
    lblComment_->setVisible(!run.Comment.empty());
    // All three flags, not only the analyte's levels: a flag left from an earlier run of an analyte
    // with more levels would otherwise discard a level this run does not have.
    rejected_ = {};
    Evaluate(analyte.HasOption(aoWestgard));
}

void TWinValidCQ::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        Activate();
}

void TWinValidCQ::Activate() {
    if (!analyte_ || !run_)
        return;
    const int n = LevelCount();
    panel1_->setText(FromAnsi(analyte_->Name.str()));
    lblUnite_->setText(FromAnsi(analyte_->UnitName.str()));
    lblUnite_->adjustSize();
    panel2_->resize(width(), Scaled(this, RunPanelHeight(n)));
    for (int level = 0; level < MaxLevels; ++level) {
        if (level < n) {
            SetUpRow(level);
        } else {
            run_->Levels[static_cast<std::size_t>(level)].Status = qsNoValue;
            HideRow(level);
        }
    }
    cbWestg_->setChecked(analyte_->HasOption(aoWestgard));
    Evaluate(cbWestg_->isChecked());
    btOK_->setFocus();
}

void TWinValidCQ::SetUpRow(int level) {
    const auto l = static_cast<std::size_t>(level);
    TLevelRow& row = rows_[l];
    row.Gauge->show();
    UpdateRejectCaption(level);
    row.Reject->setEnabled(run_->Levels[l].Status != qsNoValue);
    row.Reject->show();
    row.Material->setText(FromAnsi(LevelMaterialText(*analyte_, Materials, level)));
    row.Material->adjustSize();
    row.Material->show();
    row.LimitMode->setText(QString::fromLatin1(LimitsModeName(analyte_->LimitsMode[l])));
    row.LimitMode->adjustSize();
    row.LimitMode->show();
}

void TWinValidCQ::HideRow(int level) {
    TLevelRow& row = rows_[static_cast<std::size_t>(level)];
    row.Gauge->hide();
    row.Reject->hide();
    row.Material->hide();
    row.LimitMode->hide();
}

void TWinValidCQ::UpdateRejectCaption(int level) {
    const QString verb = Rejected(level) ? QStringLiteral("Retrieve QC") : QStringLiteral("Reject QC");
    RejectButton(level)->setText(verb + u'&' + QString::number(level + 1));
}

void TWinValidCQ::ToggleReject(int level) {
    if (!run_ || level < 0 || level >= LevelCount() || run_->Levels[static_cast<std::size_t>(level)].Status == qsNoValue)
        return;
    auto& flag = rejected_[static_cast<std::size_t>(level)];
    flag = !flag;
    UpdateRejectCaption(level);
    Evaluate(cbWestg_->isChecked());
    btOK_->setFocus();
}

void TWinValidCQ::CBWestgClick() {
    if (run_)
        Evaluate(cbWestg_->isChecked());
}

void TWinValidCQ::Evaluate(bool multirules) {
    result_ = EvaluateRun(*analyte_, *run_, rejected_, multirules);
    PlaceForParticipation();
    RefreshGauges();
    pboxWGAcross_->SetStates(result_.Across, result_.ParticipatingCount);
}

// The across-level panel only with two or three participating levels; the dialog's height follows
// and it stays centred vertically on the screen.
void TWinValidCQ::PlaceForParticipation() {
    const int n = LevelCount();
    const bool across = result_.ShowsAcross();
    const int height = Scaled(this, DialogHeight(n, across));
    panel2_->resize(width(), Scaled(this, RunPanelHeight(n)));
    panelWGAcross_->move(0, Scaled(this, AcrossPanelTop(n)));
    panelWGAcross_->setVisible(across);
    const int bottomTop = Scaled(this, AcrossPanelTop(n) + (across ? AcrossPanelHeight : 0));
    panelBottom_->setGeometry(0, bottomTop, width(), height - bottomTop);
    setFixedSize(width(), height);
    setGeometry(geometry().x(), (ScreenHeight(this) - height) / 2, width(), height);
}

void TWinValidCQ::RefreshGauges() {
    for (int level = 0; level < LevelCount(); ++level) {
        const auto l = static_cast<std::size_t>(level);
        TGaugeView view;
        view.Setup = SetUpGauge(run_->Levels[l], analyte_->Current[l]);
        view.Rejected = rejected_[l];
        view.Participates = result_.Participating[l];
        view.Rules = result_.Rules[l];
        rows_[l].Gauge->SetView(view);
        rows_[l].Gauge->setAccessibleName(rows_[l].Material->text());
        rows_[l].Gauge->setAccessibleDescription(GaugeDescription(rows_[l].Material->text(), view));
    }
}

void TWinValidCQ::ApplyOK() {
    if (!analyte_ || !run_)
        return;
    for (std::size_t l = 0; l < MaxLevels; ++l)
        if (rejected_[l])
            run_->Levels[l].Status = qsDiscarded;
    if (cbWestg_->isChecked())
        analyte_->Options |= aoWestgard;
    else
        analyte_->Options &= static_cast<TAnalyteOptions>(~aoWestgard);
}

void TWinValidCQ::BtOKClick() {
    ApplyOK();
    accept();
}

} // namespace tervanix
