// Drawing an all-black .bit picture into the main window's view, repaint
// included, against drawing it into an in-memory view. The window's view
// repaints once per command, however many pixels it sets, so the two stay
// within a small factor. Each benchmark checks that every pixel came out black.

#include <array>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <string>

#include <QApplication>
#include <QImage>
#include <QWidget>

#include "PictureView.h"
#include "Routines.h"
#include "ScreenCanvas.h"

namespace {

bool failed = false;

// An in-memory 96 x 48 view, white when cleared.
using MemoryView = Routines::ScreenCanvas;

bool AllBlack(const Routines::ImageView& view) {
    Routines::ScreenPixels pixels;
    view.ReadScreen(pixels);
    for (const Routines::Colour colour : pixels) {
        if (colour != Routines::Black) return false;
    }
    return true;
}

// Draws and lets the view repaint, command after command.
void Draw(benchmark::State& state, Routines::ImageView& view) {
    Routines::ImageBits = std::string(Routines::ScreenBitCount, '1');
    for (auto _ : state) {
        Routines::DrawScreen(view);
        QCoreApplication::processEvents();
    }
    if (!AllBlack(view)) {
        failed = true;
        state.SkipWithError("the drawn picture is not all black");
    }
}

// The engine's drawing into an in-memory view, pixel by pixel.
void BM_DrawIntoMemoryView(benchmark::State& state) {
    MemoryView view;
    Draw(state, view);
}
BENCHMARK(BM_DrawIntoMemoryView)->Unit(benchmark::kMicrosecond);

// The engine's drawing into the main window's view, shown, with its repaint.
void BM_DrawIntoWindowView(benchmark::State& state) {
    QWidget window;
    auto* view = new PictureView(&window);
    window.show();
    QCoreApplication::processEvents();
    Draw(state, *view);
}
BENCHMARK(BM_DrawIntoWindowView)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (failed) std::fprintf(stderr, "a benchmark drew the wrong picture\n");
    return failed ? 1 : 0;
}
