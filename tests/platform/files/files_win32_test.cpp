// The Windows side of the files, run under Wine: paths in UTF-8 with
// letters beyond ASCII, files replaced whole with their attributes, the
// refusals a plain write would meet, JPEG through WIC.
#include <gtest/gtest.h>
#include <wincodec.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "output/file_name_template.h"
#include "output/jpeg_file.h"
#include "platform/files/replace_file.h"
#include "platform/files/utf16.h"

namespace {

namespace fs = std::filesystem;
using platform::files::ReplaceFileContents;

std::string Utf8(const fs::path& path) {
    return platform::files::Utf8FromWide(path.wstring());
}

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

bool Save(const fs::path& path, const std::string& text, std::string* message = nullptr) {
    const auto result = ReplaceFileContents(
        Utf8(path), reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    if (message) {
        *message = result.message;
    }
    return result.ok;
}

class FilesWin32 : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / L"tess-files-\u00e9\u00df\u65e5";
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override {
        for (const auto& entry : fs::directory_iterator(folder_)) {
            ::SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
        }
        fs::remove_all(folder_);
    }
    // Only the files the test made: no temporary one left behind.
    std::size_t FileCount() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder_), {}));
    }
    fs::path folder_;
};

TEST_F(FilesWin32, ReplacesWholeKeepingAttributesUnderAWideName) {
    const fs::path file = folder_ / L"Gr\u00f6\u00dfe \u5199\u771f.png";
    ASSERT_TRUE(Save(file, "old"));
    ASSERT_TRUE(::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(Save(file, "new contents"));
    EXPECT_EQ(Read(file), "new contents");
    EXPECT_TRUE(::GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(FileCount(), 1u);

    // A writer that fails leaves the old file whole.
    const auto failed = platform::files::ReplaceFileWith(Utf8(file), [](auto& out) {
        out.write(reinterpret_cast<const std::uint8_t*>("partial"), 7);
        return std::string("the encoder gave up");
    });
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(Read(file), "new contents");
    EXPECT_EQ(FileCount(), 1u);
}

TEST_F(FilesWin32, RefusesWhatAPlainWriteMayNotDo) {
    std::string message;
    const fs::path readOnly = folder_ / "read-only.bmp";
    ASSERT_TRUE(Save(readOnly, "kept"));
    ASSERT_TRUE(::SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(Save(readOnly, "lost", &message));
    EXPECT_NE(message.find(": Permission denied"), std::string::npos) << message;

    const fs::path locked = folder_ / "locked.bmp";
    ASSERT_TRUE(Save(locked, "kept"));
    const HANDLE holder = ::CreateFileW(locked.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(Save(locked, "lost", &message));
    EXPECT_NE(message.find("open in another program"), std::string::npos) << message;
    ::CloseHandle(holder);

    EXPECT_FALSE(Save(folder_, "lost", &message));
    EXPECT_NE(message.find(": Is a directory"), std::string::npos) << message;
    EXPECT_FALSE(Save(folder_ / "missing" / "x.bmp", "lost", &message));
    EXPECT_NE(message.find("does not exist"), std::string::npos) << message;

    EXPECT_EQ(Read(readOnly), "kept");
    EXPECT_EQ(Read(locked), "kept");
    EXPECT_EQ(FileCount(), 2u);
}

TEST_F(FilesWin32, TemplatesMakeFreeNamesWithoutColons) {
    std::tm when{};
    when.tm_year = 2026 - 1900;
    when.tm_mon = 2;
    when.tm_mday = 7;
    when.tm_hour = 9;
    when.tm_min = 5;
    when.tm_sec = 3;
    const std::string name = Utf8(folder_ / "a.b" / "%F_%T.png");
    fs::create_directory(folder_ / "a.b");
    const auto filled = output::FillFileNameTemplate(name, when, 1, 1);
    ASSERT_TRUE(filled);
    EXPECT_EQ(*filled, Utf8(folder_ / "a.b" / "2026-03-07_09-05-03.png"));
    const auto save = [&] {
        return platform::files::ReplaceFileContents(*filled, nullptr, 0,
                                                    platform::files::NameRule::FirstFree)
            .path;
    };
    EXPECT_EQ(save(), *filled);
    EXPECT_EQ(save(), Utf8(folder_ / "a.b" / "2026-03-07_09-05-03_1.png"));
}

// The pixel at (x, y) of a JPEG file, as WIC decodes it: 0x00RRGGBB.
std::uint32_t DecodedPixel(const fs::path& file, int x, int y) {
    IWICImagingFactory* factory = nullptr;
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICFormatConverter* converter = nullptr;
    BYTE bgr[3] = {};
    const WICRect pixel{x, y, 1, 1};
    ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (SUCCEEDED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_PPV_ARGS(&factory))) &&
        SUCCEEDED(factory->CreateDecoderFromFilename(file.c_str(), nullptr, GENERIC_READ,
                                                     WICDecodeMetadataCacheOnDemand, &decoder)) &&
        SUCCEEDED(decoder->GetFrame(0, &frame)) &&
        SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
        SUCCEEDED(converter->Initialize(frame, GUID_WICPixelFormat24bppBGR, WICBitmapDitherTypeNone,
                                        nullptr, 0, WICBitmapPaletteTypeCustom))) {
        converter->CopyPixels(&pixel, 3, 3, bgr);
    }
    for (IUnknown* object : std::initializer_list<IUnknown*>{converter, frame, decoder, factory}) {
        if (object) {
            object->Release();
        }
    }
    return static_cast<std::uint32_t>(bgr[2] << 16 | bgr[1] << 8 | bgr[0]);
}

bool Near(std::uint32_t a, std::uint32_t b) {
    for (int shift = 0; shift < 24; shift += 8) {
        if (std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)) > 12) {
            return false;
        }
    }
    return true;
}

TEST_F(FilesWin32, JpegThroughWic) {
    // Four flat quarters, red, green, blue and grey, apart from 4:2:0's
    // blur at their edges.
    constexpr std::uint32_t kQuarters[] = {0xE02010, 0x20C040, 0x3050D0, 0x808080};
    std::vector<std::uint32_t> pixels(64 * 48);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = kQuarters[(i % 64 >= 32) + 2 * (i / 64 >= 24)];
    }
    const output::PixelRows image{pixels.data(), 64, 48, 64};
    const fs::path small = folder_ / "q10.jpg";
    const fs::path best = folder_ / "q95.jpg";
    ASSERT_EQ(output::WriteJpegFile(Utf8(small), image, 10).message, "");
    ASSERT_EQ(output::WriteJpegFile(Utf8(best), image, 95).message, "");
    for (int quarter = 0; quarter < 4; ++quarter) {
        const std::uint32_t decoded =
            DecodedPixel(best, 8 + quarter % 2 * 32, 8 + quarter / 2 * 24);
        EXPECT_TRUE(Near(decoded, kQuarters[quarter])) << quarter << ": " << std::hex << decoded;
    }
    // Wine's encoder takes the quality but encodes at its default.
    if (!::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version")) {
        EXPECT_LT(Read(small).size(), Read(best).size());
    }
}

}  // namespace
