#pragma once
// The Win32 side of a control: the window that draws it, where its own
// controls go if it holds any, and the messages it answers. Every window of
// ours carries its Impl as a window property, so that a parent can pass a
// child's notifications (WM_COMMAND, WM_DRAWITEM, WM_CTLCOLOR*) back to it.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0A00
#endif
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/controls/control.h"

namespace controls {
namespace win32 {
struct FormImpl;
}

struct Control::Impl {
    Impl() = default;
    virtual ~Impl();
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    // Messages to the control's own window; true when answered (`result`).
    virtual bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Notifications the control's window sent its parent.
    virtual bool onNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // The form moved to a monitor of another resolution: sizes in pixels
    // that the control keeps (fonts) are made again.
    virtual void dpiChanged() {}

    // Pixels per inch of the form's monitor, and a length in the controls'
    // units (pixels at 96 dpi) in pixels and back.
    int dpi() const;
    int toPixels(int units) const { return MulDiv(units, dpi(), 96); }
    int toUnits(int pixels) const { return MulDiv(pixels, 96, dpi()); }

    // The area's background colour and a brush of it.
    void setBackColor(std::uint32_t rgb);
    void setBackColorRef(COLORREF colour);
    COLORREF backColor() const { return backColor_; }
    HBRUSH backBrush() const;

    HWND hwnd = nullptr;
    // Where controls built on this one put their windows.
    HWND client = nullptr;
    win32::FormImpl* form = nullptr;
    std::string name;
    // Whether Tab stops on it.
    bool tabStop = false;
    // An option button: Tab stops only at the group's chosen one, and the
    // arrow keys choose among them.
    bool optionButton = false;
    // Whether its place is in the screen's pixels rather than the form's
    // units (the crop band's, on its picture box).
    bool inDevicePixels = false;

  private:
    COLORREF backColor_ = GetSysColor(COLOR_BTNFACE);
    mutable HBRUSH brush_ = nullptr;
};

namespace win32 {

// A control drawn over a picture in the screen's pixels, which the mouse
// passes through to the picture and which paints itself whole (the crop
// band, the label beside the pointer).
struct PassThroughImpl : Control::Impl {
    PassThroughImpl() { inDevicePixels = true; }

    bool onMessage(UINT message, WPARAM, LPARAM, LRESULT& result) override {
        switch (message) {
            case WM_NCHITTEST:
                result = HTTRANSPARENT;
                return true;
            case WM_ERASEBKGND:
                result = 1;
                return true;
            case WM_PAINT:
                paint();
                result = 0;
                return true;
            default:
                return false;
        }
    }

    virtual void paint() = 0;
};

// UTF-8 inside, UTF-16 at the system's boundary.
std::wstring Wide(std::string_view text);
std::string Utf8(std::wstring_view text);
std::string WindowText(HWND window);

// The Impl a window of ours carries; null for other windows.
Control::Impl* ImplOf(HWND window);

// The program's own window class, for controls that draw themselves.
inline constexpr const wchar_t* kControlClass = L"TessarineControl";

// Makes `impl`'s window: of our own class when `className` is null, else a
// system control (subclassed so that it reaches `impl` too). Child windows
// go on top of the controls built before them, as in the form's design.
HWND CreateControlWindow(Control::Impl& impl, const Control& container, const wchar_t* className,
                         std::wstring_view text, DWORD style, DWORD exStyle = 0);

// The font controls show their text in unless told otherwise (the desktop's
// message font at the form's resolution).
HFONT DefaultFont(int dpi);

// The handlers' codes from a mouse message's key state.
int ButtonCodes(WPARAM keys);
int ShiftCode();
// The mouse position of a mouse message in the control's units.
float UnitsX(const Control::Impl& impl, LPARAM lParam);
float UnitsY(const Control::Impl& impl, LPARAM lParam);

// A colour given as 0x00RRGGBB.
inline COLORREF ToColorRef(std::uint32_t rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// The program's instance.
HINSTANCE Instance();

}  // namespace win32
}  // namespace controls
