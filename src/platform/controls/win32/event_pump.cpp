#include "platform/controls/event_pump.h"

#include <deque>

#include "platform/controls/win32/form_impl.h"

namespace controls {
namespace {

constexpr UINT kRunJobs = WM_APP + 1;

std::deque<std::function<void()>>& Jobs() {
    static std::deque<std::function<void()>> jobs;
    return jobs;
}

LRESULT CALLBACK JobWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kRunJobs) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    // Jobs posted by these jobs wait for their own message.
    std::deque<std::function<void()>> due;
    due.swap(Jobs());
    for (std::function<void()>& job : due) {
        if (job) {
            job();
        }
    }
    return 0;
}

// A message-only window whose messages run the posted jobs.
HWND JobWindow() {
    static HWND window = [] {
        WNDCLASSEXW type{};
        type.cbSize = sizeof(type);
        type.lpfnWndProc = JobWindowProc;
        type.hInstance = win32::Instance();
        type.lpszClassName = L"TessarineJobs";
        RegisterClassExW(&type);
        return CreateWindowExW(0, type.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               win32::Instance(), nullptr);
    }();
    return window;
}

}  // namespace

void DoEvents() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // The quit is for the event loop proper.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        win32::DispatchMessageForForms(message);
    }
}

void PostToEventLoop(std::function<void()> job) {
    const bool first = Jobs().empty();
    Jobs().push_back(std::move(job));
    if (first) {
        PostMessageW(JobWindow(), kRunJobs, 0, 0);
    }
}

int RunEventLoop() {
    MSG message;
    for (;;) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            return static_cast<int>(message.wParam);
        }
        if (got < 0) {
            return 1;
        }
        win32::DispatchMessageForForms(message);
    }
}

void QuitEventLoop(int code) {
    PostQuitMessage(code);
}

}  // namespace controls
