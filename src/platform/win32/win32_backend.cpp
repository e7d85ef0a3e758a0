#include "platform/win32/win32_backend.h"

#include <windows.h>

#include <dwmapi.h>

#include "platform/files/utf16.h"
#include "platform/win32/gdi_screen.h"
#include "platform/win32/hot_keys.h"
#include "platform/win32/pointer_picture.h"
#include "platform/win32/system_message.h"

namespace platform {
namespace {

// Window handles fit in 32 bits, sign-extended, on 64-bit Windows too (so
// that 32- and 64-bit programs can share them).
HWND IdOf(::HWND window) {
    return static_cast<HWND>(reinterpret_cast<std::uintptr_t>(window));
}

::HWND HandleOf(HWND id) {
    return reinterpret_cast<::HWND>(static_cast<std::intptr_t>(static_cast<std::int32_t>(id)));
}

RECT FromScreenOrigin(const ::RECT& desktop) {
    const win32::ScreenOrigin origin = win32::VirtualScreenOrigin();
    return {desktop.left - origin.x, desktop.top - origin.y, desktop.right - origin.x,
            desktop.bottom - origin.y};
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, ::HDC, LPRECT, LPARAM list) {
    MONITORINFOEXW info{};
    info.cbSize = sizeof(info);
    if (::GetMonitorInfoW(monitor, &info)) {
        // "\\.\DISPLAY1" is typed as DISPLAY1.
        std::wstring_view name = info.szDevice;
        if (name.starts_with(L"\\\\.\\")) {
            name.remove_prefix(4);
        }
        reinterpret_cast<std::vector<MonitorArea>*>(list)->push_back(
            {files::Utf8FromWide(name), FromScreenOrigin(info.rcMonitor)});
    }
    return TRUE;
}

class Win32Backend : public Backend {
  public:
    Win32Backend() : screen_(win32::GdiScreenSource()) {}

    std::shared_ptr<raster::ScreenSource> screenSource() override { return screen_; }

    HWND foregroundWindow() override { return IdOf(::GetForegroundWindow()); }

    bool windowRect(HWND id, RECT* rect) override {
        const ::HWND window = HandleOf(id);
        if (id == 0 || !::IsWindow(window)) {
            return false;
        }
        // The frame as drawn; DWM leaves out the invisible borders that
        // GetWindowRect counts in. Where DWM does not answer (Wine, or
        // composition off), the window's own rectangle.
        ::RECT bounds{};
        if (FAILED(::DwmGetWindowAttribute(window, DWMWA_EXTENDED_FRAME_BOUNDS, &bounds,
                                           sizeof(bounds))) &&
            !::GetWindowRect(window, &bounds)) {
            return false;
        }
        *rect = FromScreenOrigin(bounds);
        return true;
    }

    bool knowsForegroundWindow() const override { return true; }
    std::string windowQueryFailure() override { return {}; }

    ClaimOutcome claimKeys(const KeyCombination& keys, std::function<void()> onPress) override {
        return win32::RegisterKeys(keys, std::move(onPress));
    }

    bool screenInDevicePixels() const override { return false; }

    std::vector<MonitorArea> monitors() override {
        std::vector<MonitorArea> list;
        ::EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&list));
        return list;
    }

    std::optional<std::pair<std::int32_t, std::int32_t>> pointerPosition() override {
        POINT point{};
        if (!::GetCursorPos(&point)) {
            return std::nullopt;
        }
        const win32::ScreenOrigin origin = win32::VirtualScreenOrigin();
        return std::make_pair(point.x - origin.x, point.y - origin.y);
    }

    std::optional<PointerPicture> pointerPicture() override {
        std::optional<PointerPicture> picture = win32::CurrentPointerPicture();
        if (picture) {
            const win32::ScreenOrigin origin = win32::VirtualScreenOrigin();
            picture->left -= origin.x;
            picture->top -= origin.y;
        }
        return picture;
    }

  private:
    std::shared_ptr<raster::ScreenSource> screen_;
};

}  // namespace

std::shared_ptr<Backend> OpenWin32Backend() {
    return std::make_shared<Win32Backend>();
}

}  // namespace platform
