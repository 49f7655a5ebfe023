// What a print job offers and honours: the PDF file name and title, the pages of a range, the
// paper of the country.
#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QPrinter>
#include <gtest/gtest.h>

#include "charts/UDailyQCPages.h"
#include "charts/UPrintService.h"
#include "charts/UPrnTable.h"
#include "gui/PrintHarness.h"
#include "main/USystemLocale.h"
#include "model/UDateTime.h"

namespace tervanix {
namespace {

TEST(DefaultPdfFileName, NamesPrintoutAnalyteAndIsoDateWithCharactersAFileCanHold) {
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("QC charts - Glucose"), QStringLiteral("QC charts - Glucose 2026-12-08.pdf")},
        {QStringLiteral("QC data - Na/K"), QStringLiteral("QC data - Na-K 2026-12-08.pdf")},
        {QStringLiteral("QC limits - a\\b:c*d?e\"f<g>h|i"), QStringLiteral("QC limits - a-b-c-d-e-f-g-h-i 2026-12-08.pdf")},
    };
    for (const auto& [document, expected] : cases) {
        TPrintJob job;
        job.Title = QStringLiteral("Printing QC charts");
        EXPECT_EQ(DefaultPdfFileName(NamedJob(job, document, EncodeDate(2026, 12, 8))), expected);
    }
}

// The daily sheet's title carries the date in the desktop's short format, slashes and all; the file
// name offered by the print dialog carries the ISO date instead.
TEST(PreparePrinter, OffersTheDocumentsFileNameAndOrientation) {
    const TDateTime day = EncodeDate(2026, 12, 8);
    TPrintJob job = DailyPrintJob({}, day);
    job.Orientation = QPageLayout::Landscape;
    QPrinter printer;
    PreparePrinter(printer, job);
    EXPECT_EQ(printer.docName(), QStringLiteral("Cumulative daily QC 2026-12-08"));
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
}

TEST(LocalePaper, LetterInTheUnitedStatesAndCanadaA4Elsewhere) {
    const std::pair<const char*, QPageSize::PageSizeId> cases[] = {
        {"en_US", QPageSize::Letter}, {"en_CA", QPageSize::Letter}, {"fr_CA", QPageSize::Letter},
        {"en_GB", QPageSize::A4},     {"de_DE", QPageSize::A4},     {"fr_FR", QPageSize::A4},
    };
    for (const auto& [name, paper] : cases) EXPECT_EQ(LocalePaper(QLocale(QString::fromLatin1(name))), paper) << name;
}

QString PdfTitle(const QByteArray& pdf) {
    const QString info = test::PdfToolOutput(pdf, QStringLiteral("pdfinfo"), {QStringLiteral("%file")});
    for (const QString& line : info.split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("Title:"))) return line.mid(6).trimmed();
    return {};
}

// Three pages of a numbered table; the document "QC data - Glucose".
TPrintJob ThreePageJob() { return test::NumberedRowsJob(100); }

TEST(RenderPdf, APageRangeGivesThosePagesOnlyAndARangeBeyondTheDocumentIsRefused) {
    const TPrintJob job = ThreePageJob();
    const QByteArray whole = RenderPdf(job);
    const QStringList all = test::PdfPages(whole);
    ASSERT_EQ(all.size(), 3);
    EXPECT_EQ(PdfTitle(whole), QStringLiteral("QC data - Glucose"));
    struct TCase {
        TPageRange Range;
        QStringList Expected;
    };
    const TCase cases[] = {
        {{2, 2}, {all[1]}},
        {{2, 3}, {all[1], all[2]}},
        {{1, 9}, all}, // to the last page there is
    };
    for (const TCase& c : cases) {
        const QStringList pages = test::PdfPages(RenderPdf(job, QPageSize(QPageSize::A4), c.Range));
        EXPECT_EQ(pages, c.Expected) << c.Range.From << "-" << c.Range.To;
    }
    EXPECT_THROW(RenderPdf(job, QPageSize(QPageSize::A4), {4, 5}), EQCError);
}

// The lowest word of the PDF's first page, in points from the top (pdftotext -bbox).
double LowestWord(const QByteArray& pdf) {
    const QString html = test::PdfToolOutput(pdf, QStringLiteral("pdftotext"),
                                             {QStringLiteral("-bbox"), QStringLiteral("-l"), QStringLiteral("1"),
                                              QStringLiteral("%file"), QStringLiteral("-")});
    double lowest = 0;
    for (qsizetype at = html.indexOf(QLatin1String("yMax=\"")); at >= 0; at = html.indexOf(QLatin1String("yMax=\""), at + 1))
        lowest = std::max(lowest, html.mid(at + 6, html.indexOf(QLatin1Char('"'), at + 6) - at - 6).toDouble());
    return lowest;
}

// Print to File keeps the margins chosen in the dialog: the footer stands above the bottom margin.
TEST(RenderPdf, TheMarginsChosenAreKept) {
    const double pageHeight = 841.89, pointsPerMm = 72 / 25.4;
    const double byDefault = LowestWord(RenderPdf(ThreePageJob()));
    const double wide = LowestWord(RenderPdf(ThreePageJob(), QPageSize(QPageSize::A4), {}, QMarginsF(30, 30, 30, 30)));
    EXPECT_GT(byDefault, pageHeight - 30 * pointsPerMm);
    EXPECT_LE(byDefault, pageHeight - 10 * pointsPerMm);
    EXPECT_LE(wide, pageHeight - 30 * pointsPerMm);
}

// Qt's print and file dialogs follow the desktop's language; without Qt's translations they stay
// in English.
TEST(QtTranslations, QtsOwnDialogsSpeakTheDesktopsLanguage) {
    if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qt_de.qm")))
        GTEST_SKIP() << "Qt's translations (qt6-translations-l10n) are not installed";
    const std::unique_ptr<QTranslator> german = QtTranslations(QLocale(QStringLiteral("de_DE")));
    ASSERT_NE(german, nullptr);
    ASSERT_TRUE(QCoreApplication::installTranslator(german.get()));
    const QString print = QCoreApplication::translate("QPrintDialog", "Print");
    QCoreApplication::removeTranslator(german.get());
    EXPECT_EQ(print, QStringLiteral("Drucken"));
}

} // namespace
} // namespace tervanix
