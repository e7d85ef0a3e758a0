// JPEG through the Windows Imaging Component: the pixels go to the encoder
// a band of rows at a time, as 24-bit blue, green, red, which is what its
// JPEG encoder takes; the file is made in memory.

#include <wincodec.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/files/jpeg_encoder.h"

namespace platform::files {
namespace {

// COM for this thread, for as long as the encoder needs it. A thread that
// already uses COM in another apartment (RPC_E_CHANGED_MODE) may still
// use WIC, whose factory takes calls from any thread.
class ComUse {
  public:
    ComUse() : result_(::CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ComUse(const ComUse&) = delete;
    ComUse& operator=(const ComUse&) = delete;
    ~ComUse() {
        if (SUCCEEDED(result_)) {
            ::CoUninitialize();
        }
    }
    HRESULT result() const { return result_ == RPC_E_CHANGED_MODE ? S_OK : result_; }

  private:
    HRESULT result_;
};

template <class T>
class ComPtr {
  public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() {
        if (object_) {
            object_->Release();
        }
    }
    T* operator->() const { return object_; }
    T* get() const { return object_; }
    T** out() { return &object_; }

  private:
    T* object_ = nullptr;
};

std::string Failure(const char* what, HRESULT result) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
    return std::string("the Windows Imaging Component could not ") + what + " (" + code + ")";
}

// The rows per call to WritePixels: a band, not a copy of the picture.
constexpr int kBandRows = 64;

std::string WriteRows(IWICBitmapFrameEncode& frame, const JpegPixels& image) {
    const UINT rowBytes = static_cast<UINT>(image.width) * 3;
    std::vector<BYTE> band(static_cast<std::size_t>(rowBytes) * kBandRows);
    for (int top = 0; top < image.height; top += kBandRows) {
        const int rows = std::min(kBandRows, image.height - top);
        BYTE* to = band.data();
        for (int y = top; y < top + rows; ++y) {
            const std::uint32_t* row = image.pixels + image.stride * y;
            for (int x = 0; x < image.width; ++x) {
                *to++ = static_cast<BYTE>(row[x]);
                *to++ = static_cast<BYTE>(row[x] >> 8);
                *to++ = static_cast<BYTE>(row[x] >> 16);
            }
        }
        if (const HRESULT result = frame.WritePixels(
                static_cast<UINT>(rows), rowBytes, rowBytes * static_cast<UINT>(rows), band.data());
            FAILED(result)) {
            return Failure("take the pixels", result);
        }
    }
    return {};
}

// Sets the quality (0 to 1 for WIC, as the percentage libjpeg takes) and
// the 4:2:0 sampling the Linux files have.
std::string SetOptions(IPropertyBag2& options, int quality) {
    PROPBAG2 names[2] = {};
    names[0].pstrName = const_cast<LPOLESTR>(L"ImageQuality");
    names[1].pstrName = const_cast<LPOLESTR>(L"JpegYCrCbSubsampling");
    VARIANT values[2] = {};
    values[0].vt = VT_R4;
    values[0].fltVal = static_cast<float>(quality) / 100.0f;
    values[1].vt = VT_UI1;
    values[1].bVal = WICJpegYCrCbSubsampling420;
    if (const HRESULT result = options.Write(1, names, values); FAILED(result)) {
        return Failure("set the JPEG quality", result);
    }
    // Encoders without the option (before Windows 8) sample 4:2:0 anyway.
    options.Write(1, names + 1, values + 1);
    return {};
}

std::string Encode(IWICImagingFactory& factory, IStream& stream, const JpegPixels& image,
                   int quality) {
    ComPtr<IWICBitmapEncoder> encoder;
    HRESULT result = factory.CreateEncoder(GUID_ContainerFormatJpeg, nullptr, encoder.out());
    if (SUCCEEDED(result)) {
        result = encoder->Initialize(&stream, WICBitmapEncoderNoCache);
    }
    ComPtr<IWICBitmapFrameEncode> frame;
    ComPtr<IPropertyBag2> options;
    if (SUCCEEDED(result)) {
        result = encoder->CreateNewFrame(frame.out(), options.out());
    }
    if (FAILED(result)) {
        return Failure("make a JPEG encoder", result);
    }
    if (std::string reason = SetOptions(*options.get(), quality); !reason.empty()) {
        return reason;
    }
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    result = frame->Initialize(options.get());
    if (SUCCEEDED(result)) {
        result = frame->SetSize(static_cast<UINT>(image.width), static_cast<UINT>(image.height));
    }
    if (SUCCEEDED(result)) {
        // 96 dots per inch, as the bitmaps say.
        result = frame->SetResolution(96.0, 96.0);
    }
    if (SUCCEEDED(result)) {
        result = frame->SetPixelFormat(&format);
    }
    if (FAILED(result)) {
        return Failure("start the JPEG frame", result);
    }
    if (format != GUID_WICPixelFormat24bppBGR) {
        return "the Windows Imaging Component's JPEG encoder does not take 24-bit pixels";
    }
    if (std::string reason = WriteRows(*frame.get(), image); !reason.empty()) {
        return reason;
    }
    result = frame->Commit();
    if (SUCCEEDED(result)) {
        result = encoder->Commit();
    }
    return FAILED(result) ? Failure("finish the JPEG file", result) : std::string();
}

// The bytes `stream` holds, copied out of it.
std::string TakeBytes(IStream& stream, EncodedJpeg& out) {
    STATSTG status{};
    HGLOBAL memory = nullptr;
    HRESULT result = stream.Stat(&status, STATFLAG_NONAME);
    if (SUCCEEDED(result)) {
        result = ::GetHGlobalFromStream(&stream, &memory);
    }
    if (FAILED(result) || status.cbSize.QuadPart == 0) {
        return Failure("hand over the JPEG file", FAILED(result) ? result : E_FAIL);
    }
    const auto* data = static_cast<const std::uint8_t*>(::GlobalLock(memory));
    if (data == nullptr) {
        return Failure("hand over the JPEG file", HRESULT_FROM_WIN32(::GetLastError()));
    }
    auto bytes = std::make_shared<std::vector<std::uint8_t>>(
        data, data + static_cast<std::size_t>(status.cbSize.QuadPart));
    ::GlobalUnlock(memory);
    out.bytes = std::shared_ptr<const std::uint8_t>(bytes, bytes->data());
    out.size = bytes->size();
    return {};
}

}  // namespace

std::string EncodeJpeg(const JpegPixels& image, int quality, EncodedJpeg& out) {
    const ComUse com;
    if (FAILED(com.result())) {
        return Failure("start", com.result());
    }
    ComPtr<IWICImagingFactory> factory;
    HRESULT result = ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_PPV_ARGS(factory.out()));
    if (FAILED(result)) {
        return Failure("start", result);
    }
    ComPtr<IStream> stream;
    result = ::CreateStreamOnHGlobal(nullptr, TRUE, stream.out());
    if (FAILED(result)) {
        return Failure("make room for the JPEG file", result);
    }
    if (std::string reason = Encode(*factory.get(), *stream.get(), image, quality);
        !reason.empty()) {
        return reason;
    }
    return TakeBytes(*stream.get(), out);
}

}  // namespace platform::files
