// Prints a program's version record as Windows reads it
// (GetFileVersionInfoW, VerQueryValueW), one "Name=Value" line a field,
// for the tests to compare.

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string Utf8(const wchar_t* text) {
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length > 0 ? length : 1), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), length, nullptr, nullptr);
    utf8.resize(utf8.size() - 1);
    return utf8;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: version_record PROGRAM.exe\n");
        return 2;
    }
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(argv[1], &ignored);
    std::vector<unsigned char> record(size);
    if (size == 0 || !::GetFileVersionInfoW(argv[1], 0, size, record.data())) {
        std::fprintf(stderr, "no version record (error %lu)\n", ::GetLastError());
        return 1;
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (::VerQueryValueW(record.data(), L"\\", reinterpret_cast<void**>(&fixed), &length)) {
        std::printf("FileVersionNumber=%lu.%lu.%lu.%lu\n", fixed->dwFileVersionMS >> 16,
                    fixed->dwFileVersionMS & 0xffff, fixed->dwFileVersionLS >> 16,
                    fixed->dwFileVersionLS & 0xffff);
        std::printf("ProductVersionNumber=%lu.%lu.%lu.%lu\n", fixed->dwProductVersionMS >> 16,
                    fixed->dwProductVersionMS & 0xffff, fixed->dwProductVersionLS >> 16,
                    fixed->dwProductVersionLS & 0xffff);
    }
    struct Translation {
        WORD language;
        WORD codePage;
    }* translations = nullptr;
    if (!::VerQueryValueW(record.data(), L"\\VarFileInfo\\Translation",
                          reinterpret_cast<void**>(&translations), &length)) {
        return 1;
    }
    for (UINT i = 0; i < length / sizeof(Translation); ++i) {
        wchar_t block[64];
        std::swprintf(block, 64, L"\\StringFileInfo\\%04x%04x\\", translations[i].language,
                      translations[i].codePage);
        std::printf("Translation=%04x %u\n", translations[i].language, translations[i].codePage);
        for (const wchar_t* name :
             {L"ProductName", L"FileVersion", L"ProductVersion", L"InternalName",
              L"OriginalFilename", L"CompanyName", L"FileDescription", L"LegalCopyright"}) {
            wchar_t* value = nullptr;
            if (::VerQueryValueW(record.data(), (std::wstring(block) + name).c_str(),
                                 reinterpret_cast<void**>(&value), &length)) {
                std::printf("%s=%s\n", Utf8(name).c_str(), Utf8(value).c_str());
            }
        }
    }
    return 0;
}
