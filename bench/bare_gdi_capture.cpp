// The least a Windows program does to write the screen to a bitmap file:
// BitBlt from the screen, GetDIBits in the file's own row order, one
// WriteFile. What bench/wine_capture.py compares tessarine.exe with.
//
//   bare_gdi_capture.exe FILE.bmp

#include <windows.h>

#include <vector>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        return 2;
    }
    const int left = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int width = ::GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int height = ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
    const HDC screen = ::GetDC(nullptr);
    const HDC memory = ::CreateCompatibleDC(screen);
    const HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    const HGDIOBJ previous = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, left, top, SRCCOPY);
    ::SelectObject(memory, previous);

    const DWORD rowBytes = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    const DWORD imageBytes = rowBytes * static_cast<DWORD>(height);
    std::vector<unsigned char> file(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) +
                                    imageBytes);
    auto* fileHeader = reinterpret_cast<BITMAPFILEHEADER*>(file.data());
    auto* info = reinterpret_cast<BITMAPINFO*>(file.data() + sizeof(BITMAPFILEHEADER));
    fileHeader->bfType = 0x4D42;
    fileHeader->bfSize = static_cast<DWORD>(file.size());
    fileHeader->bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info->bmiHeader.biWidth = width;
    info->bmiHeader.biHeight = height;
    info->bmiHeader.biPlanes = 1;
    info->bmiHeader.biBitCount = 24;
    info->bmiHeader.biCompression = BI_RGB;
    const int rows = ::GetDIBits(screen, bitmap, 0, static_cast<UINT>(height),
                                 file.data() + fileHeader->bfOffBits, info, DIB_RGB_COLORS);
    // GetDIBits fills in the header's image size; the file's says none.
    info->bmiHeader.biSizeImage = 0;
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    if (rows != height) {
        return 1;
    }
    const HANDLE out = ::CreateFileW(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    const bool ok =
        out != INVALID_HANDLE_VALUE &&
        ::WriteFile(out, file.data(), static_cast<DWORD>(file.size()), &written, nullptr) &&
        written == file.size();
    if (out != INVALID_HANDLE_VALUE) {
        ::CloseHandle(out);
    }
    return ok ? 0 : 1;
}
