#include "platform/controls/message_box.h"

#include <cstring>
#include <string>

#include "platform/controls/win32/control_impl.h"

namespace controls {
namespace {

// What Ctrl+C puts on the clipboard while the box shows: title, text and
// button between separator lines, as the system's own boxes copy
// themselves (not every system's do: one copy, made here, serves all).
std::wstring* copyText = nullptr;

void CopyToClipboard(HWND owner, const std::wstring& text) {
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    void* at = memory ? GlobalLock(memory) : nullptr;
    if (!at) {
        if (memory) {
            GlobalFree(memory);
        }
        return;
    }
    std::memcpy(at, text.c_str(), bytes);
    GlobalUnlock(memory);
    if (OpenClipboard(owner)) {
        EmptyClipboard();
        if (SetClipboardData(CF_UNICODETEXT, memory)) {
            memory = nullptr;
        }
        CloseClipboard();
    }
    if (memory) {
        GlobalFree(memory);
    }
}

LRESULT CALLBACK CopyKey(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const MSG*>(lParam);
    if (code == MSGF_DIALOGBOX && copyText && message->message == WM_KEYDOWN &&
        message->wParam == 'C' && GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0) {
        CopyToClipboard(GetAncestor(message->hwnd, GA_ROOT), *copyText);
        return TRUE;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

void ShowMessage(const Control* owner, MessageIcon icon, std::string_view title,
                 std::string_view text) {
    const UINT shown = icon == MessageIcon::Critical  ? MB_ICONERROR
                       : icon == MessageIcon::Warning ? MB_ICONWARNING
                                                      : MB_ICONINFORMATION;
    HWND parent = owner && owner->impl().hwnd ? GetAncestor(owner->impl().hwnd, GA_ROOT) : nullptr;
    const std::wstring wideTitle = win32::Wide(title);
    const std::wstring wideText = win32::Wide(text);
    const std::wstring line = L"---------------------------\r\n";
    std::wstring copy =
        line + wideTitle + L"\r\n" + line + wideText + L"\r\n" + line + L"OK   \r\n" + line;
    std::wstring* outer = copyText;
    copyText = &copy;
    HHOOK hook = SetWindowsHookExW(WH_MSGFILTER, CopyKey, nullptr, GetCurrentThreadId());
    // Without an owner, the program's windows wait for it all the same.
    MessageBoxW(parent, wideText.c_str(), wideTitle.c_str(),
                MB_OK | shown | (parent ? MB_APPLMODAL : MB_TASKMODAL));
    if (hook) {
        UnhookWindowsHookEx(hook);
    }
    copyText = outer;
}

}  // namespace controls
