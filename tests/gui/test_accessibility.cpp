// Screen readers and desktop automation find every control by its name: each window of the program
// is walked here, and an input, button, list or paint box without a name (or with a caption's
// trailing blank) fails. A new window joins the walk with one line in Windows().
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStackedWidget>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTextEdit>
#include <cmath>
#include <functional>
#include <map>
#include <gtest/gtest.h>
#include <memory>

#include "charts/UDailyQC.h"
#include "charts/UDrawChart.h"
#include "charts/UPrnCharts.h"
#include "charts/UPrnData.h"
#include "charts/UShowLimits.h"
#include "dialogs/UAbout.h"
#include "dialogs/UAnimCopyFic.h"
#include "dialogs/UArchives.h"
#include "dialogs/UAuditTrail.h"
#include "dialogs/UDefAnalytes.h"
#include "dialogs/UDefSerum.h"
#include "dialogs/UEmployees.h"
#include "dialogs/UImport.h"
#include "dialogs/UMotPass.h"
#include "dialogs/UNewPsw.h"
#include "dialogs/UOptions.h"
#include "dialogs/URandom.h"
#include "dialogs/URisks.h"
#include "dialogs/USerumByAnal.h"
#include "dialogs/USetUp.h"
#include "dialogs/UShowArchive.h"
#include "dialogs/UShowData.h"
#include "dialogs/UWinComment.h"
#include "gui/GuiHarness.h"
#include "main/UAccessible.h"
#include "main/UMain.h"
#include "main/UTabList.h"
#include "main/UValidCQ.h"
#include "model/UGlobals.h"
#include "support/AnalyteBuilders.h"

namespace tervanix {
namespace {

TEST(AccessibleCaption, DropsMnemonicsAndTrailingBlanks) {
    EXPECT_EQ(AccessibleCaption(QStringLiteral("&Westgard multirules ")),
              QStringLiteral("Westgard multirules"));
    EXPECT_EQ(AccessibleCaption(QStringLiteral("Anal&ytes")), QStringLiteral("Analytes"));
    EXPECT_EQ(AccessibleCaption(QStringLiteral("R&&D  ")), QStringLiteral("R&D"));
    EXPECT_EQ(AccessibleCaption(QStringLiteral(" Queue : 3")), QStringLiteral(" Queue : 3"));
}

bool IsControl(const QWidget* w) {
    return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLineEdit*>(w) ||
           qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QComboBox*>(w) ||
           qobject_cast<const QAbstractItemView*>(w) || qobject_cast<const QPlainTextEdit*>(w) ||
           qobject_cast<const QTextEdit*>(w) || w->objectName().startsWith(QStringLiteral("PBox"));
}

// The pieces Qt builds inside a combo box, a date edit, a calendar or a tab bar are named by their
// owner.
bool InsideAnotherControl(const QWidget* w, const QWidget* root) {
    for (const QWidget* p = w->parentWidget(); p && p != root; p = p->parentWidget())
        if (qobject_cast<const QComboBox*>(p) || qobject_cast<const QAbstractSpinBox*>(p) ||
            qobject_cast<const QTabBar*>(p) || qobject_cast<const QCalendarWidget*>(p) ||
            qobject_cast<const QMenuBar*>(p) || qobject_cast<const QAbstractItemView*>(p))
            return true;
    return false;
}

QStringList UnnamedControls(QWidget* root) {
    QStringList unnamed;
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* w : widgets) {
        if (!IsControl(w) || InsideAnotherControl(w, root)) continue;
        QAccessibleInterface* access = QAccessible::queryAccessibleInterface(w);
        const QString name = access ? access->text(QAccessible::Name) : QString();
        if (name.isEmpty() || name != AccessibleCaption(name))
            unnamed << QStringLiteral("%1 %2 [%3]")
                           .arg(QString::fromLatin1(w->metaObject()->className()), w->objectName(), name);
    }
    return unnamed;
}

using TWindowFactory = std::function<std::unique_ptr<QWidget>()>;

std::vector<std::pair<const char*, TWindowFactory>> Windows() {
    return {
        {"main window", [] { return std::unique_ptr<QWidget>(new TWinMain()); }},
        {"validation", [] { return std::unique_ptr<QWidget>(new TWinValidCQ()); }},
        {"about", [] { return std::unique_ptr<QWidget>(new TWinAbout()); }},
        {"setup", [] { return std::unique_ptr<QWidget>(new TWinSetUp()); }},
        {"password prompt", [] { return std::unique_ptr<QWidget>(new TWinEntryPsw()); }},
        {"new password", [] { return std::unique_ptr<QWidget>(new TWinNewPsw()); }},
        {"comment pop-up", [] { return std::unique_ptr<QWidget>(new TWinComment()); }},
        {"copy to diskette", [] { return std::unique_ptr<QWidget>(new TWinAnimCopyFic()); }},
        {"archives", [] { return std::unique_ptr<QWidget>(new TWinArchives()); }},
        {"audit trail", [] { return std::unique_ptr<QWidget>(new TWinAuditTrail()); }},
        {"archive", [] { return std::unique_ptr<QWidget>(new TWinShowArchive()); }},
        {"daily QC", [] { return std::unique_ptr<QWidget>(new TWinDailyQC()); }},
        {"print data", [] { return std::unique_ptr<QWidget>(new TWinPrnData()); }},
        {"risks", [] { return std::unique_ptr<QWidget>(new TWinRisks([] { return nullptr; })); }},
        {"control limits", [] { return std::unique_ptr<QWidget>(new TWinShowLimits()); }},
        {"analytes", [] { return std::unique_ptr<QWidget>(new TWinDefAnalytes()); }},
        {"control materials", [] { return std::unique_ptr<QWidget>(new TWinDefSerum()); }},
        {"assignment of materials", [] { return std::unique_ptr<QWidget>(new TWinSerumByAnal()); }},
        {"import", [] { return std::unique_ptr<QWidget>(new TWinImport()); }},
        {"data table", [] { return std::unique_ptr<QWidget>(new TWinShowData()); }},
        {"print charts", [] { return std::unique_ptr<QWidget>(new TWinPrnCharts()); }},
        {"random generator", [] { return std::unique_ptr<QWidget>(new TWinRandom()); }},
        {"operators", [] { return std::unique_ptr<QWidget>(new TWinEmployees()); }},
        {"backup options", [] { return std::unique_ptr<QWidget>(new TWinOptions()); }},
    };
}

// Every window, made in a program folder of its own with Glucose on three levels over 40 days (the
// main window then shows the dates under its charts), goes through `check`; what it finds fails.
void CheckEveryWindow(const std::function<QStringList(QWidget* window)>& check) {
    QTemporaryDir folder;
    const std::string savedDir = ProgramDir;
    SetProgramDir(folder.path().toStdString());
    Analytes.FreeAll();
    TAnalyte& a = Analytes.Add(std::make_unique<TAnalyte>("Glucose", "mmol/L", 2, 3, false));
    for (int day = 0; day < 40; ++day) a.AddPoint(test::MakeRun(45000 + day, {5.0f + day % 3 * 0.1f, 10.0f, 15.0f}));
    a.RecomputeAll();
    for (const auto& [title, make] : Windows()) {
        std::unique_ptr<QWidget> window = make();
        if (auto* main = qobject_cast<TWinMain*>(window.get())) main->RebuildAnalyteList();
        const QStringList found = check(window.get());
        EXPECT_TRUE(found.isEmpty()) << title << ": " << found.join(QStringLiteral("; ")).toStdString();
    }
    Analytes.FreeAll();
    SetProgramDir(savedDir);
}

TEST(Accessibility, EveryControlOfEveryWindowHasAName) { CheckEveryWindow(UnnamedControls); }
} // namespace
} // namespace tervanix

namespace tervanix {
namespace {

// A screen reader's "toggle" on a line of the analyte list selects that analyte.
TEST(Accessibility, AnalyteLineSelectedThroughTheAccessibilityInterface) {
    QTemporaryDir folder;
    const std::string savedDir = ProgramDir;
    SetProgramDir(folder.path().toStdString());
    Analytes.FreeAll();
    for (const char* name : {"Glucose", "Calcium"})
        Analytes.Add(std::make_unique<TAnalyte>(name, "mmol/L", 2, 1, false));
    {
        TWinMain window;
        window.RebuildAnalyteList();
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(window.LBAnalytes());
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->text(QAccessible::Name), QStringLiteral("Analytes"));
        QAccessibleInterface* calcium = list->child(1);
        ASSERT_TRUE(calcium && calcium->actionInterface());
        calcium->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        EXPECT_EQ(window.CurrentAnalyte(), &Analytes[1]);
    }
    Analytes.FreeAll();
    SetProgramDir(savedDir);
}

TEST(Accessibility, GaugeDescriptionTellsWhichRulesFired) {
    TGaugeView view;
    view.Setup.HasValue = true;
    view.Participates = true;
    view.Rules[wr12s] = TRuleState::Warning;
    view.Rules[wr13s] = TRuleState::Reject;
    EXPECT_EQ(GaugeDescription(QStringLiteral("Lyphocheck 1"), view),
              QStringLiteral("Lyphocheck 1: 1:2s warning, 1:3s reject"));
    view.Rejected = true;
    EXPECT_EQ(GaugeDescription(QStringLiteral("Lyphocheck 1"), view),
              QStringLiteral("Lyphocheck 1: Discarded"));
}

// A person who cannot see the chart reads N and the CV of every level as the legend shows them.
TEST(Accessibility, ChartDescriptionReadsEachLevelsLegend) {
    TListSerum materials;
    const std::int32_t first = materials.AddMaterial("Lyphocheck 1", "111").Id;
    const std::int32_t second = materials.AddMaterial("Lyphocheck 2", "222").Id;
    TAnalyte glucose("Glucose", "mmol/L", 2, 2, true);
    glucose.MaterialId = {first, second, 0};
    test::AddSeries(glucose, {2.9f, 3.0f, 3.1f});
    glucose.LimitsMode[1] = lmFixed;
    glucose.RecomputeAll();
    TChartView view;
    view.First = 0;
    view.Last = 2;
    const QString text = ChartDescription(glucose, view, materials);
    EXPECT_TRUE(text.contains(
        QStringLiteral("; QC1 Lyphocheck 1: Mobile limits, m = 3.000 mmol/L, CV = 3.3 %, N = 3, Common CV;")))
        << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral("; QC2 Lyphocheck 2: Fixed limits, N = 0"))) << text.toStdString();
}

} // namespace
} // namespace tervanix

namespace tervanix {
namespace {

// The letter after a single '&', upper-cased; none for a text without a mnemonic.
QChar MnemonicOf(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != u'&') continue;
        if (text[i + 1] != u'&') return text[i + 1].toUpper();
        ++i; // "&&" is a plain ampersand
    }
    return {};
}

// The texts of the window that answer Alt+letter while it shows them: the menu bar's titles, and
// the buttons and the labels with a buddy that can be seen.
QStringList WindowMnemonicTexts(QWidget* window) {
    QStringList texts;
    for (const QMenuBar* bar : window->findChildren<QMenuBar*>())
        for (const QAction* menu : bar->actions()) texts << menu->text();
    for (const QAbstractButton* b : window->findChildren<QAbstractButton*>())
        if (b->isVisibleTo(window) && !InsideAnotherControl(b, window)) texts << b->text();
    for (const QLabel* l : window->findChildren<QLabel*>())
        if (l->buddy() && l->isVisibleTo(window)) texts << l->text();
    return texts;
}

// "Alt+P: &Parameters, &Print charts" for every letter that more than one text claims.
QStringList Collisions(const QStringList& texts) {
    std::map<QChar, QStringList> byLetter;
    for (const QString& text : texts)
        if (const QChar letter = MnemonicOf(text); !letter.isNull()) byLetter[letter] << text;
    QStringList collisions;
    for (const auto& [letter, claimants] : byLetter)
        if (claimants.size() > 1)
            collisions << QStringLiteral("Alt+%1: %2").arg(letter).arg(claimants.join(QStringLiteral(", ")));
    return collisions;
}

// Every page of the window's page controls in turn, with what each page shows.
QStringList WindowCollisions(QWidget* window) {
    QStringList found = Collisions(WindowMnemonicTexts(window));
    for (QStackedWidget* pages : window->findChildren<QStackedWidget*>()) {
        const int shown = pages->currentIndex();
        for (int page = 0; page < pages->count(); ++page) {
            pages->setCurrentIndex(page);
            found << Collisions(WindowMnemonicTexts(window));
        }
        pages->setCurrentIndex(shown);
    }
    for (const QMenu* menu : window->findChildren<QMenu*>()) {
        QStringList items;
        for (const QAction* item : menu->actions()) items << item->text();
        found << Collisions(items);
    }
    found.removeDuplicates();
    return found;
}

TEST(Mnemonics, MnemonicOfReadsTheLetterAfterASingleAmpersand) {
    EXPECT_EQ(MnemonicOf(QStringLiteral("&Print charts")), QChar(u'P'));
    EXPECT_EQ(MnemonicOf(QStringLiteral("Anal&ytes")), QChar(u'Y'));
    EXPECT_TRUE(MnemonicOf(QStringLiteral("R&&D")).isNull());
    EXPECT_EQ(MnemonicOf(QStringLiteral("R&&D &now")), QChar(u'N'));
}

TEST(Mnemonics, NoTwoTextsOfOneWindowAnswerTheSameAltLetter) { CheckEveryWindow(WindowCollisions); }

} // namespace
} // namespace tervanix

namespace tervanix {
namespace {

// Two lots of one material on two levels of an analyte, a third material on the last level.
class TwoLots : public testing::Test {
protected:
    void SetUp() override {
        savedMaterials_ = Materials;
        Analytes.FreeAll();
        a_ = &Analytes.Add(std::make_unique<TAnalyte>("HbA1c", "%", 1, 3, false));
        a_->MaterialId = {Materials.AddMaterial("Lypho", "A1").Id, Materials.AddMaterial("Lypho", "B2").Id,
                          Materials.AddMaterial("Other", "X").Id};
        test::AddSeries(*a_, {5.0f, 5.2f, 4.9f});
    }
    void TearDown() override {
        Analytes.FreeAll();
        Materials = savedMaterials_;
    }
    const QStringList expected_{QStringLiteral("Lypho (A1)"), QStringLiteral("Lypho (B2)"), QStringLiteral("Other")};
    TAnalyte* a_ = nullptr;
    TListSerum savedMaterials_;
};

TEST_F(TwoLots, EveryWindowShowingTheLevelsAddsTheLotWhereTheNamesAreAlike) {
    TWinMain main;
    main.RebuildAnalyteList();
    TResu run = test::MakeRun(45000, {5.0f, 5.1f, 5.2f});
    TWinValidCQ validation;
    validation.Prepare(*a_, run);
    validation.Activate();
    TWinPrnCharts print;
    print.Prepare(*a_, Materials);
    for (int level = 0; level < 3; ++level) {
        SCOPED_TRACE(level);
        EXPECT_EQ(main.LevelMaterial(level)->text(), expected_[level]);
        EXPECT_EQ(main.LevelCaption(level), expected_[level]); // the special pages' boxes and the chart
        EXPECT_EQ(main.LevelEdit(level)->accessibleName(), QStringLiteral("QC%1 ").arg(level + 1) + expected_[level]);
        EXPECT_EQ(validation.MaterialLabel(level)->text(), expected_[level]);
        EXPECT_EQ(print.LevelBox(level)->text(), expected_[level]);
    }
}

// Names a screen reader reads anywhere under the interface.
void CollectAccessibleNames(QAccessibleInterface* node, QStringList& names, int depth = 0) {
    if (!node || depth > 30) return;
    names << node->text(QAccessible::Name);
    for (int i = 0; i < node->childCount(); ++i) CollectAccessibleNames(node->child(i), names, depth + 1);
}

TEST_F(TwoLots, TheMainWindowShowsNoInternalNameToScreenReaders) {
    test::TScriptedMessages boxes;
    const TSettings saved = Settings;
    Settings.ShowAboutAtStart = 0; // its box would wait for the operator
    TWinMain main;
    main.SetScreenChecks(false);
    main.RebuildAnalyteList();
    test::ShowActive(&main);
    QStringList names;
    CollectAccessibleNames(QAccessible::queryAccessibleInterface(&main), names);
    for (const QString& name : names) EXPECT_FALSE(name.startsWith(QStringLiteral("TabSheet"))) << name.toStdString();
    Settings = saved;
}

} // namespace
} // namespace tervanix

namespace tervanix {
namespace {

double Luminance(const QColor& c) {
    const auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double Contrast(const QColor& a, const QColor& b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The colour a widget's text is drawn on: that of the nearest widget that paints its background.
QColor BackgroundUnder(const QWidget* w) {
    for (; w; w = w->parentWidget())
        if (w->autoFillBackground() || w->isWindow()) return w->palette().color(QPalette::Window);
    return QApplication::palette().color(QPalette::Window);
}

// Labels whose text hardly stands out from what is under it: "LblX: white on white".
QStringList UnreadableLabels(QWidget* window) {
    QStringList unreadable;
    for (const QLabel* label : window->findChildren<QLabel*>()) {
        const QColor text = label->palette().color(QPalette::WindowText);
        const QColor under = BackgroundUnder(label);
        if (Contrast(text, under) < 3.0)
            unreadable << QStringLiteral("%1 \"%2\": %3 on %4")
                              .arg(label->objectName(), label->text(), text.name(), under.name());
    }
    return unreadable;
}

// A dark desktop palette, as a dark theme sets it.
QPalette DarkPalette() {
    QPalette dark;
    const QColor face(53, 53, 53), base(35, 35, 35), light(230, 230, 230);
    for (auto role : {QPalette::Window, QPalette::Button}) dark.setColor(role, face);
    for (auto role : {QPalette::Base, QPalette::AlternateBase, QPalette::ToolTipBase}) dark.setColor(role, base);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::ToolTipText})
        dark.setColor(role, light);
    return dark;
}

TEST(DarkPalette, EveryLabelOfEveryWindowStaysReadable) {
    const QPalette saved = QApplication::palette();
    QApplication::setPalette(DarkPalette());
    CheckEveryWindow(UnreadableLabels);
    QApplication::setPalette(saved);
}

// The reference-data lists paint their lines white and light cyan: their text must not be the
// dark palette's light one.
TEST(DarkPalette, ListLinesKeepDarkText) {
    const QPalette saved = QApplication::palette();
    QApplication::setPalette(DarkPalette());
    TTabList list("LBox", QStringLiteral("Analytes"), {125}, nullptr);
    list.resize(200, 60);
    list.addItem(QStringLiteral("Glucose\t3"));
    list.addItem(QStringLiteral("Calcium\t2"));
    test::ShowActive(&list); // the lines are laid out once the list shows
    const QImage image = test::Grab(list.viewport());
    QApplication::setPalette(saved);
    for (int row = 0; row < 2; ++row) {
        const QRect line = list.visualItemRect(list.item(row)) & image.rect();
        int dark = 0;
        for (int y = line.top(); y <= line.bottom(); ++y)
            for (int x = line.left(); x <= line.right(); ++x) dark += Luminance(image.pixelColor(x, y)) < 0.2;
        EXPECT_GT(dark, 20) << row;
    }
}

} // namespace
} // namespace tervanix
