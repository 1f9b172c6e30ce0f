// A full redraw of a 160 x 40 button: face, picture and caption, per style and state.
#include "controls/GlossButton.h"
#include "controls/GlossFace.h"

#include <QApplication>
#include <QPainter>
#include <benchmark/benchmark.h>

using namespace velt;

namespace {

gloss::Look sampleLook(int style) {
    gloss::Look look;
    look.style = style;
    look.caption = QStringLiteral("&Convert");
    QPixmap picture(16, 16);
    picture.fill(QColor(200, 40, 40));
    look.picture = picture;
    look.pictureAlignment = 2;
    return look;
}

void BM_RenderFace(benchmark::State& state) {
    const gloss::Look look = sampleLook(static_cast<int>(state.range(0)));
    const int visual = static_cast<int>(state.range(1));
    for (auto _ : state)
        benchmark::DoNotOptimize(gloss::render(look, QSize(160, 40), visual));
}
BENCHMARK(BM_RenderFace)->ArgsProduct({{0, 1, 2, 3, 4, 5, 6, 7}, {0, 1, 3}})->Unit(benchmark::kMicrosecond);

// The widget's own path: state change, render, paint into a pixmap.
void BM_WidgetRedraw(benchmark::State& state) {
    GlossButton button;
    button.resize(160, 40);
    button.setButtonStyle(static_cast<int>(state.range(0)));
    button.setCaption(QStringLiteral("&Convert"));
    QPixmap target(160, 40);
    for (auto _ : state) {
        button.setCheckedLook(false); // a property write redraws
        button.render(&target);
    }
}
BENCHMARK(BM_WidgetRedraw)->DenseRange(0, 7)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
