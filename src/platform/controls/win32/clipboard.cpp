#include "platform/controls/clipboard.h"

#include <chrono>
#include <cstring>

#include "platform/controls/message_box.h"
#include "platform/controls/win32/control_impl.h"

namespace controls {
namespace {

// Moveable memory holding `bytes`, for the clipboard to own; null when
// there is no room.
HGLOBAL Copy(const std::uint8_t* bytes, std::size_t size) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    void* at = memory ? GlobalLock(memory) : nullptr;
    if (!at) {
        if (memory) {
            GlobalFree(memory);
        }
        return nullptr;
    }
    std::memcpy(at, bytes, size);
    GlobalUnlock(memory);
    return memory;
}

bool Offer(UINT format, const std::uint8_t* bytes, std::size_t size) {
    HGLOBAL memory = Copy(bytes, size);
    if (memory && SetClipboardData(format, memory)) {
        return true;
    }
    if (memory) {
        GlobalFree(memory);
    }
    return false;
}

// The clipboard's owner while it holds our picture: opened without an
// owner, the clipboard takes no data.
HWND ClipboardOwner() {
    static HWND owner = [] {
        WNDCLASSEXW type{};
        type.cbSize = sizeof(type);
        type.lpfnWndProc = DefWindowProcW;
        type.hInstance = win32::Instance();
        type.lpszClassName = L"TessarineClipboard";
        RegisterClassExW(&type);
        return CreateWindowExW(0, type.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               win32::Instance(), nullptr);
    }();
    return owner;
}

// Another program may have the clipboard open for a moment.
bool OpenClipboardSoon() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (!OpenClipboard(ClipboardOwner())) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        Sleep(10);
    }
    return true;
}

}  // namespace

void SetClipboardPicture(std::span<const std::uint8_t> png, std::span<const std::uint8_t> bitmap) {
    // The bitmap file less its file header is the clipboard's device-
    // independent bitmap.
    const std::size_t fileHeader = sizeof(BITMAPFILEHEADER);
    std::string failure;
    if (bitmap.size() <= fileHeader) {
        failure = "the bitmap is incomplete";
    } else if (!OpenClipboardSoon()) {
        failure = "another program holds the clipboard";
    } else {
        EmptyClipboard();
        const bool done = Offer(CF_DIB, bitmap.data() + fileHeader, bitmap.size() - fileHeader) &&
                          Offer(RegisterClipboardFormatW(L"PNG"), png.data(), png.size());
        CloseClipboard();
        if (!done) {
            failure = "the clipboard took no picture (out of memory?)";
        }
    }
    if (!failure.empty()) {
        ShowMessage(nullptr, MessageIcon::Warning, "Tessarine",
                    "Could not copy the picture: " + failure + ".");
    }
}

}  // namespace controls
