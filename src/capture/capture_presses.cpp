#include "capture/capture_presses.h"

#include <utility>

#include "platform/controls/event_pump.h"

namespace capture {
namespace {

struct Presses {
    int running = 0;
    std::function<void()> pending;
};

Presses& presses() {
    static Presses p;
    return p;
}

}  // namespace

CaptureRunning::CaptureRunning() {
    ++presses().running;
}

CaptureRunning::~CaptureRunning() {
    Presses& p = presses();
    if (--p.running > 0 || !p.pending) {
        return;
    }
    // Not from here: the capture that ends may itself run inside a nested
    // event loop, and the next one must start from the top of the loop.
    std::function<void()> next = std::exchange(p.pending, nullptr);
    controls::PostToEventLoop([next = std::move(next)] { StartOnPress(next); });
}

bool CaptureIsRunning() {
    return presses().running > 0;
}

void StartOnPress(std::function<void()> capture) {
    if (!capture) {
        return;
    }
    if (CaptureIsRunning()) {
        presses().pending = std::move(capture);
        return;
    }
    capture();
}

}  // namespace capture
