#include "platform/win32/hot_keys.h"

#include <windows.h>

#include <utility>

#include "platform/win32/system_message.h"

// Outside namespace platform, whose HWND is another type.
static const ::HWND kMessageOnlyParent = HWND_MESSAGE;

namespace platform::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"TessarineHotKeys";
constexpr int kHotKeyId = 1;

LRESULT CALLBACK HotKeyWindowProc(::HWND window, UINT message, WPARAM wParam, LPARAM lParam);

bool RegisterWindowClass() {
    static const bool registered = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = &HotKeyWindowProc;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kWindowClass;
        return ::RegisterClassExW(&windowClass) != 0 ||
               ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    return registered;
}

class HotKeyGrab : public KeyGrab {
  public:
    explicit HotKeyGrab(std::function<void()> onPress) : onPress_(std::move(onPress)) {}
    ~HotKeyGrab() override {
        if (window_ != nullptr) {
            if (registered_) {
                ::UnregisterHotKey(window_, kHotKeyId);
            }
            ::DestroyWindow(window_);
        }
    }
    HotKeyGrab(const HotKeyGrab&) = delete;
    HotKeyGrab& operator=(const HotKeyGrab&) = delete;

    ClaimResult State() const override {
        return registered_ ? ClaimResult::Claimed : ClaimResult::Refused;
    }

    // Empty when held, otherwise the claim's outcome with its reason.
    ClaimOutcome claim(UINT modifiers, UINT key) {
        if (!RegisterWindowClass()) {
            return {ClaimResult::Refused, nullptr, SystemMessage(::GetLastError())};
        }
        window_ = ::CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, kMessageOnlyParent,
                                    nullptr, ::GetModuleHandleW(nullptr), nullptr);
        if (window_ == nullptr) {
            return {ClaimResult::Refused, nullptr, SystemMessage(::GetLastError())};
        }
        ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        if (!::RegisterHotKey(window_, kHotKeyId, modifiers | MOD_NOREPEAT, key)) {
            const DWORD failure = ::GetLastError();
            if (failure == ERROR_HOTKEY_ALREADY_REGISTERED) {
                return {ClaimResult::HeldByAnother, nullptr, {}};
            }
            return {ClaimResult::Refused, nullptr, SystemMessage(failure)};
        }
        registered_ = true;
        return {ClaimResult::Claimed, nullptr, {}};
    }

    void pressed() const {
        if (onPress_) {
            onPress_();
        }
    }

  private:
    std::function<void()> onPress_;
    ::HWND window_ = nullptr;
    bool registered_ = false;
};

LRESULT CALLBACK HotKeyWindowProc(::HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_HOTKEY && wParam == kHotKeyId) {
        if (auto* grab =
                reinterpret_cast<HotKeyGrab*>(::GetWindowLongPtrW(window, GWLP_USERDATA))) {
            grab->pressed();
        }
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

ClaimOutcome RegisterKeys(const KeyCombination& keys, std::function<void()> onPress) {
    if (keys.key <= 0 || keys.key > 0xFE) {
        return {ClaimResult::NoSuchKey, nullptr, {}};
    }
    const UINT modifiers = (keys.shift ? MOD_SHIFT : 0u) | (keys.control ? MOD_CONTROL : 0u) |
                           (keys.alt ? MOD_ALT : 0u) | (keys.super ? MOD_WIN : 0u);
    auto grab = std::make_unique<HotKeyGrab>(std::move(onPress));
    ClaimOutcome outcome = grab->claim(modifiers, static_cast<UINT>(keys.key));
    if (outcome.result == ClaimResult::Claimed) {
        outcome.grab = std::move(grab);
    }
    return outcome;
}

}  // namespace platform::win32
