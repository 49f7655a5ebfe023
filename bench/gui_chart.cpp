// Cost of one paint of the main window's chart area: three levels of 31 points with their legends,
// the date band and the comment marks.
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

#include "charts/UDrawChart.h"
#include "model/UDateTime.h"
#include "model/URandom.h"

using namespace tervanix;

namespace {

TLevelTriple Triple(float a, float b, float c) { return {{{a, 0, {}}, {b, 0, {}}, {c, 0, {}}}}; }

std::unique_ptr<TAnalyte> ThreeLevelsOf31Points() {
    Random().SetSeed(1234);
    auto a = std::make_unique<TAnalyte>("Glucose", "mmol/L", 2, 3, true);
    a->GenerateRandomPoints(31, Triple(5.5f, 12, 250), Triple(3, 3, 4), EncodeDate(2023, 12, 10));
    a->Point(5).CommentId = a->Comments.Add("recalibrated");
    a->Point(8).Levels[0].Status = qsDiscarded;
    a->LimitsMode[1] = lmLocked;
    a->LockFirst[1] = 3;
    a->LockLast[1] = 20;
    return a;
}

TChartView FullWindow() {
    TChartView view;
    view.Last = 30;
    view.SelectedPoint = 12;
    view.IntervalFrom = 3;
    view.IntervalTo = 20;
    return view;
}

using TPaint = void (*)(QPainter&, QRect, const TAnalyte&, const TChartView&);

// Each iteration paints on a fresh painter, as every paint event of the paint box does.
void PaintLoop(benchmark::State& state, TPaint paint) {
    const auto analyte = ThreeLevelsOf31Points();
    const TChartView view = FullWindow();
    QImage image(PaintBoxWidth, PaintBoxHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter canvas(&image);
        canvas.setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
        paint(canvas, image.rect(), *analyte, view);
        canvas.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}

void BM_PaintThreeLevelChartOf31Points(benchmark::State& state) { PaintLoop(state, PaintAnalyteCharts); }
BENCHMARK(BM_PaintThreeLevelChartOf31Points)->Unit(benchmark::kMicrosecond);

// What scrolling by one point costs: the plots without their legends.
void BM_RedrawChartWindowAfterScrolling(benchmark::State& state) { PaintLoop(state, RedrawChartWindow); }
BENCHMARK(BM_RedrawChartWindowAfterScrolling)->Unit(benchmark::kMicrosecond);

} // namespace
