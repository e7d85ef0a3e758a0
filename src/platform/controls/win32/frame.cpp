#include "platform/controls/frame.h"

#include "platform/controls/win32/control_impl.h"

namespace controls {
namespace {

// A group box that holds the controls built on it. It draws beneath them
// (no clipping of its children), as they draw see-through.
struct FrameImpl : Control::Impl {
    explicit FrameImpl(Frame& frame) : frame(frame) {}

    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        switch (message) {
            case WM_NCHITTEST:
                // A group box lets the mouse through; this one holds controls
                // and answers moves itself.
                result = HTCLIENT;
                return true;
            case WM_ERASEBKGND: {
                RECT area;
                GetClientRect(hwnd, &area);
                FillRect(reinterpret_cast<HDC>(wParam), &area, backBrush());
                result = 1;
                return true;
            }
            case WM_MOUSEMOVE:
                if (frame.MouseMove) {
                    frame.MouseMove(win32::ButtonCodes(wParam), win32::ShiftCode(),
                                    win32::UnitsX(*this, lParam), win32::UnitsY(*this, lParam));
                }
                return false;
            default:
                return false;
        }
    }

    Frame& frame;
};

}  // namespace

Frame::Frame(Control& container, std::string_view caption)
    : Control(std::make_unique<FrameImpl>(*this)) {
    win32::CreateControlWindow(impl(), container, L"BUTTON", win32::Wide(caption),
                               WS_VISIBLE | BS_GROUPBOX);
}

}  // namespace controls
