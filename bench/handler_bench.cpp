// Times the full-screen capture handler, Form1::mnuScreen_Click, from entry
// to return inside the real program's main window on the current X
// display, and prints each run's time less the handler's fixed 100 ms
// pause.
//
//   tess_handler_bench [RUNS]
//
// Output: one line "handler_ms <median of the work>" and then
// "samples_ms <t1> <t2> ..." (every run, pause already taken off).

#include <malloc.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls/event_pump.h"
#include "platform/open_backend.h"
#include "platform/raster/handle_release.h"
#include "platform/raster/raster.h"
#include "program/do_events.h"
#include "program/variables.h"
#include "ui/main/form1.h"

namespace {

// The handler's own pause between hiding the window and copying the screen.
constexpr double kPauseMs = 100.0;

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
    // As the program starts: the same allocator setting and platform.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
    qputenv("QT_QPA_PLATFORM", "xcb");
    std::string error;
    bool unreachable = false;
    std::shared_ptr<platform::Backend> backend =
        platform::OpenBackend(platform::SessionKind::X11, nullptr, error, unreachable);
    if (!backend) {
        std::fprintf(stderr, "tess_handler_bench: %s\n", error.c_str());
        return 1;
    }
    platform::InstallBackend(std::move(backend));
    int fakeArgc = 1;
    QApplication application(fakeArgc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    std::vector<double> work;
    {
        auto form = std::make_unique<Form1>();
        form->Form_Load();
        for (int i = 0; i < 20; ++i) {
            controls::DoEvents();
        }
        // One run first, so that every timed run replaces an earlier capture
        // as the user's second and later captures do.
        form->mnuScreen_Click();
        for (int i = 0; i < runs; ++i) {
            controls::DoEvents();
            const auto start = std::chrono::steady_clock::now();
            form->mnuScreen_Click();
            const auto stop = std::chrono::steady_clock::now();
            work.push_back(std::chrono::duration<double, std::milli>(stop - start).count() -
                           kPauseMs);
        }
        raster::DeleteDC(variables::CaptureDC);
        raster::DeleteObject(variables::CaptureBitmap);
        raster::DeleteDC(form->ScreenDC);
        form->ScreenDC = 0;
        variables::Reset();
        raster::ReleaseRetired();
    }
    platform::InstallBackend(nullptr);

    std::vector<double> sorted = work;
    std::sort(sorted.begin(), sorted.end());
    std::printf("handler_ms %.3f\nsamples_ms", sorted[sorted.size() / 2]);
    for (double ms : work) {
        std::printf(" %.3f", ms);
    }
    std::printf("\n");
    return 0;
}
