#include "platform/win32/clipboard_picture.h"

#include <wincodec.h>
#include <windows.h>

#include <chrono>
#include <cstring>
#include <thread>
#include <utility>

#include "platform/win32/system_message.h"

// Outside namespace platform, whose HWND is another type.
static const ::HWND kMessageOnlyParent = HWND_MESSAGE;

namespace platform::win32 {
namespace {

template <class T>
struct Released {
    T* object = nullptr;
    ~Released() {
        if (object != nullptr) {
            object->Release();
        }
    }
};

// Memory the clipboard takes over once SetClipboardData succeeds.
class ClipboardMemory {
  public:
    ClipboardMemory() = default;
    ~ClipboardMemory() { reset(0); }
    // Fresh memory of `size` bytes, none for 0.
    void reset(std::size_t size) {
        if (memory_ != nullptr) {
            ::GlobalFree(memory_);
        }
        memory_ = size > 0 ? ::GlobalAlloc(GMEM_MOVEABLE, size) : nullptr;
    }
    ClipboardMemory(const ClipboardMemory&) = delete;
    ClipboardMemory& operator=(const ClipboardMemory&) = delete;
    HGLOBAL get() const { return memory_; }
    HGLOBAL handOver() { return std::exchange(memory_, nullptr); }

  private:
    HGLOBAL memory_ = nullptr;
};

std::string Failure(const char* what, HRESULT result) {
    return std::string("cannot copy the picture: ") + what + ": " +
           SystemMessage(static_cast<unsigned long>(result));
}

// The PNG decoded by Windows into a bottom-up 32-bit DIB: a
// BITMAPINFOHEADER and the rows, as CF_DIB holds them.
std::string MakeDib(const std::vector<std::uint8_t>& png, ClipboardMemory& dib) {
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    struct ComEnd {
        HRESULT started;
        ~ComEnd() {
            if (SUCCEEDED(started)) {
                ::CoUninitialize();
            }
        }
    } comEnd{com};
    Released<IWICImagingFactory> factory;
    HRESULT result = ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_PPV_ARGS(&factory.object));
    Released<IWICStream> stream;
    if (SUCCEEDED(result)) {
        result = factory.object->CreateStream(&stream.object);
    }
    if (SUCCEEDED(result)) {
        result = stream.object->InitializeFromMemory(const_cast<BYTE*>(png.data()),
                                                     static_cast<DWORD>(png.size()));
    }
    Released<IWICBitmapDecoder> decoder;
    if (SUCCEEDED(result)) {
        result = factory.object->CreateDecoderFromStream(
            stream.object, nullptr, WICDecodeMetadataCacheOnDemand, &decoder.object);
    }
    Released<IWICBitmapFrameDecode> frame;
    if (SUCCEEDED(result)) {
        result = decoder.object->GetFrame(0, &frame.object);
    }
    Released<IWICFormatConverter> converter;
    if (SUCCEEDED(result)) {
        result = factory.object->CreateFormatConverter(&converter.object);
    }
    if (SUCCEEDED(result)) {
        result = converter.object->Initialize(frame.object, GUID_WICPixelFormat32bppBGR,
                                              WICBitmapDitherTypeNone, nullptr, 0,
                                              WICBitmapPaletteTypeCustom);
    }
    UINT width = 0;
    UINT height = 0;
    if (SUCCEEDED(result)) {
        result = converter.object->GetSize(&width, &height);
    }
    if (FAILED(result)) {
        return Failure("Windows cannot read the picture", result);
    }
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    const std::size_t imageBytes = rowBytes * height;
    dib.reset(sizeof(BITMAPINFOHEADER) + imageBytes);
    auto* header = static_cast<BITMAPINFOHEADER*>(dib.get() ? ::GlobalLock(dib.get()) : nullptr);
    if (header == nullptr) {
        return "cannot copy the picture: there is not enough memory for it";
    }
    *header = {};
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = static_cast<LONG>(width);
    header->biHeight = static_cast<LONG>(height);
    header->biPlanes = 1;
    header->biBitCount = 32;
    header->biCompression = BI_RGB;
    header->biSizeImage = static_cast<DWORD>(imageBytes);
    auto* pixels = reinterpret_cast<BYTE*>(header + 1);
    // Bottom-up, as programs that paste expect: one row at a time, from
    // the last.
    for (UINT y = 0; y < height && SUCCEEDED(result); ++y) {
        const WICRect row{0, static_cast<INT>(y), static_cast<INT>(width), 1};
        result = converter.object->CopyPixels(&row, static_cast<UINT>(rowBytes),
                                              static_cast<UINT>(rowBytes),
                                              pixels + rowBytes * (height - 1 - y));
    }
    ::GlobalUnlock(dib.get());
    return SUCCEEDED(result) ? "" : Failure("Windows cannot read the picture", result);
}

std::string CopyOf(const std::vector<std::uint8_t>& bytes, ClipboardMemory& memory) {
    memory.reset(bytes.size());
    void* target = memory.get() ? ::GlobalLock(memory.get()) : nullptr;
    if (target == nullptr) {
        return "cannot copy the picture: there is not enough memory for it";
    }
    std::memcpy(target, bytes.data(), bytes.size());
    ::GlobalUnlock(memory.get());
    return {};
}

// Another program may hold the clipboard open for a moment.
bool OpenClipboardWithin(::HWND owner, std::chrono::milliseconds deadline) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!::OpenClipboard(owner)) {
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

}  // namespace

bool PutPngOnClipboard(const std::vector<std::uint8_t>& png, std::string& error) {
    ClipboardMemory dib;
    ClipboardMemory pngCopy;
    error = MakeDib(png, dib);
    if (error.empty()) {
        error = CopyOf(png, pngCopy);
    }
    if (!error.empty()) {
        return false;
    }
    const UINT pngFormat = ::RegisterClipboardFormatW(L"PNG");
    // The clipboard's owner: with none, SetClipboardData may fail.
    const ::HWND owner = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, kMessageOnlyParent,
                                           nullptr, ::GetModuleHandleW(nullptr), nullptr);
    struct OwnerEnd {
        ::HWND window;
        ~OwnerEnd() {
            if (window != nullptr) {
                ::DestroyWindow(window);
            }
        }
    } ownerEnd{owner};
    if (!OpenClipboardWithin(owner, std::chrono::seconds(2))) {
        error = "cannot copy the picture: another program keeps the clipboard open";
        return false;
    }
    bool ok = ::EmptyClipboard() != FALSE && ::SetClipboardData(CF_DIB, dib.get()) != nullptr;
    if (ok) {
        dib.handOver();
        ok = pngFormat == 0 || ::SetClipboardData(pngFormat, pngCopy.get()) != nullptr;
        if (ok && pngFormat != 0) {
            pngCopy.handOver();
        }
    }
    const DWORD failure = ::GetLastError();
    ::CloseClipboard();
    if (!ok) {
        error = "cannot copy the picture: " + SystemMessage(failure);
    }
    return ok;
}

}  // namespace platform::win32
