#include "gui/PrintHarness.h"

#include <QApplication>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryFile>

#include "charts/UPrnTable.h"
#include "gui/GuiHarness.h"
#include "model/UDateTime.h"

namespace tervanix::test {

TImagePages::TImagePages(QSize size, int dotsPerInch) : size_(size), dotsPerInch_(dotsPerInch) { StartPage(); }

TImagePages::~TImagePages() { Finish(); }

void TImagePages::StartPage() {
    QImage image(size_, QImage::Format_RGB32);
    image.fill(Qt::white);
    const int dotsPerMetre = qRound(dotsPerInch_ / 0.0254);
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    images_.push_back(std::move(image));
    painter_.begin(&images_.back());
}

void TImagePages::NewPage() {
    ContinuePainting(painter_, [this] { StartPage(); });
}

void TImagePages::Finish() {
    if (painter_.isActive()) painter_.end();
}

TPdfPrintService::TPdfPrintService() : previous_(SetPrintService(this)) {}

TPdfPrintService::~TPdfPrintService() { SetPrintService(previous_); }

TPrintOutcome TPdfPrintService::Print(QWidget*, const TPrintJob& job) {
    if (cancel_) return TPrintOutcome::Cancelled;
    lastTitle_ = job.Title;
    pdfs_.push_back(RenderPdf(job));
    return TPrintOutcome::Printed;
}

TPrintJob NumberedRowsJob(int rows) {
    std::vector<TTableCell> cells = {{QStringLiteral("Row"), csShaded}};
    for (int i = 1; i <= rows; ++i) cells.push_back({QStringLiteral("row %1").arg(i), csPlain});
    TPrintJob job;
    job.Title = QStringLiteral("Printing QC data");
    job.Draw = [cells](TPrintPages& pages) { PrintTable(pages, QStringLiteral("Rows"), {}, cells, false, {20}, 1); };
    return NamedJob(job, QStringLiteral("QC data - Glucose"), EncodeDate(2026, 12, 8));
}

bool CancelPrintWait() {
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* progress = qobject_cast<QProgressDialog*>(top); progress && progress->isVisible()) {
            Click(progress->findChild<QPushButton*>());
            return true;
        }
    return false;
}

QString PdfToolOutput(const QByteArray& pdf, const QString& tool, QStringList arguments) {
    QTemporaryFile file;
    if (!file.open()) return {};
    file.write(pdf);
    file.flush();
    for (QString& argument : arguments)
        if (argument == QLatin1String("%file")) argument = file.fileName();
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(30000)) return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString PdfText(const QByteArray& pdf) {
    return PdfToolOutput(pdf, QStringLiteral("pdftotext"),
                         {QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"),
                          QStringLiteral("%file"), QStringLiteral("-")});
}

QStringList PdfPages(const QByteArray& pdf) {
    QStringList pages = PdfText(pdf).split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.back().trimmed().isEmpty()) pages.removeLast();
    return pages;
}

QStringList PageLines(const QString& page) {
    QStringList lines;
    for (const QString& line : page.split(QLatin1Char('\n'))) {
        const QString simple = line.simplified();
        if (!simple.isEmpty()) lines << simple;
    }
    return lines;
}

} // namespace tervanix::test
