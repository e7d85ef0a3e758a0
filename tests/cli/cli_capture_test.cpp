#include "cli/cli_capture.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "capture/foreground_window.h"
#include "output/bmp_decode.h"
#include "platform/raster/raster.h"
#include "support/fake_screen.h"

namespace {

using testing_support::FakeScreen;

struct FakeFront {
    static inline platform::HWND window = 0;
    static inline platform::RECT rect{};
    static platform::HWND Foreground() { return window; }
    static bool Rect(platform::HWND w, platform::RECT* out) {
        if (w != window || w == 0) {
            return false;
        }
        *out = rect;
        return true;
    }
};

class CommandLineCapture : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string name = (std::filesystem::temp_directory_path() / "tess-cli.XXXXXX").string();
        folder_ = ::mkdtemp(name.data());
        FakeFront::window = 0;
        windows_.emplace([](testing_support::FakeBackend& fake) {
            fake.foreground = &FakeFront::Foreground;
            fake.rect = &FakeFront::Rect;
        });
        handlesBefore_ = raster::LiveHandleCount();
    }
    void TearDown() override {
        windows_.reset();
        // Every context and bitmap of the capture is released, on every path.
        EXPECT_EQ(raster::LiveHandleCount(), handlesBefore_);
        std::filesystem::remove_all(folder_);
    }

    app::CaptureRequest Request(app::CaptureArea area, const char* geometry = nullptr) {
        app::CaptureRequest request;
        request.area = area;
        request.file = folder_ + "/shot.bmp";
        if (geometry) {
            std::string error;
            request.geometry = *app::ParseGeometry(geometry, error);
        }
        return request;
    }

    // The file's pixels equal the screen's from (x, y) on; those off the
    // screen are black.
    void ExpectScreenPart(const std::string& path, int x, int y, int width, int height) {
        const auto image = testing_support::ReadBitmapFile(path);
        ASSERT_TRUE(image) << path;
        ASSERT_EQ(image->width, width);
        ASSERT_EQ(image->height, height);
        int wrong = 0;
        for (int row = 0; row < height; ++row) {
            for (int col = 0; col < width; ++col) {
                const int sx = x + col, sy = y + row;
                const bool on = sx >= 0 && sy >= 0 && sx < kWidth && sy < kHeight;
                wrong += image->at(col, row) != (on ? FakeScreen::PatternAt(sx, sy) : 0u);
            }
        }
        EXPECT_EQ(wrong, 0);
    }

    static constexpr int kWidth = 320;
    static constexpr int kHeight = 200;
    testing_support::ScopedFakeScreen screen_{kWidth, kHeight};
    std::optional<testing_support::ScopedFakeBackend> windows_;
    std::string folder_;
    std::size_t handlesBefore_ = 0;
};

TEST_F(CommandLineCapture, WritesTheScreenOrTheNamedRectangle) {
    auto request = Request(app::CaptureArea::Screen);
    EXPECT_EQ(app::CaptureToFile(request), "");
    ExpectScreenPart(request.file, 0, 0, kWidth, kHeight);

    request = Request(app::CaptureArea::Geometry, "17x9-3-0");
    EXPECT_EQ(app::CaptureToFile(request), "");
    ExpectScreenPart(request.file, kWidth - 3 - 17, kHeight - 9, 17, 9);
}

// A screen that came as a PNG file goes to a whole-screen PNG byte for
// byte; a rectangle, a bitmap or a picture with the pointer takes pixels.
TEST_F(CommandLineCapture, WholeScreenPngIsTheFileTheScreenCameIn) {
    screen_->pngFile_ = {0x89, 'P', 'N', 'G', 1, 2, 3};
    const auto contents = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
    };
    auto request = Request(app::CaptureArea::Screen);
    request.file = folder_ + "/shot.png";
    request.format = output::PictureFormat::Png;
    EXPECT_EQ(app::CaptureToFile(request), "");
    EXPECT_EQ(contents(request.file), screen_->pngFile_);

    for (const bool pointer : {false, true}) {
        request.area = pointer ? app::CaptureArea::Screen : app::CaptureArea::Geometry;
        std::string error;
        request.geometry = *app::ParseGeometry("17x9+0+0", error);
        request.pointer = pointer;
        request.file = folder_ + "/part.png";
        app::CaptureToFile(request);
        const std::vector<std::uint8_t> written = contents(request.file);
        EXPECT_GT(written.size(), 50u) << pointer;
        EXPECT_NE(written, screen_->pngFile_) << pointer;
    }
    request = Request(app::CaptureArea::Screen);
    EXPECT_EQ(app::CaptureToFile(request), "");
    ExpectScreenPart(request.file, 0, 0, kWidth, kHeight);
}

TEST_F(CommandLineCapture, ActiveWindowIsItsFrameRectangleWithOffScreenPartsBlack) {
    FakeFront::window = 42;
    FakeFront::rect = {-10, 150, 90, 230};  // hangs off the left and bottom
    auto request = Request(app::CaptureArea::ActiveWindow);
    EXPECT_EQ(app::CaptureToFile(request), "");
    ExpectScreenPart(request.file, -10, 150, 100, 80);
}

TEST_F(CommandLineCapture, FailuresNameTheCauseAndWriteNothing) {
    auto request = Request(app::CaptureArea::ActiveWindow);
    EXPECT_EQ(app::CaptureToFile(request), "no window is in the foreground");
    FakeFront::window = 7;
    FakeFront::rect = {5, 5, 5, 40};
    EXPECT_EQ(app::CaptureToFile(request),
              "the window in front is 0 x 35 pixels, which is no size a capture can have (1 to "
              "32767 pixels wide and high)");
    (*windows_)->rect = [](platform::HWND, platform::RECT*) { return false; };
    EXPECT_EQ(app::CaptureToFile(request),
              "no window is in the foreground (the window that was in front has closed)");
    (*windows_)->rect = &FakeFront::Rect;

    request = Request(app::CaptureArea::Geometry, "10x10+311+0");
    EXPECT_EQ(app::CaptureToFile(request),
              "the rectangle \"10x10+311+0\" does not lie within the 320x200 screen");
    EXPECT_FALSE(std::filesystem::exists(request.file));

    request = Request(app::CaptureArea::Screen);
    request.file = folder_ + "/missing/shot.bmp";
    EXPECT_EQ(app::CaptureToFile(request), "cannot save the picture to \"" + request.file +
                                               "\": No such file or directory (the folder \"" +
                                               folder_ + "/missing\" does not exist)");
    EXPECT_TRUE(std::filesystem::is_empty(folder_));
}

TEST_F(CommandLineCapture, ScreenThatCannotBeReadIsAFailure) {
    raster::SetScreenSource(nullptr);
    auto request = Request(app::CaptureArea::Screen);
    EXPECT_EQ(app::CaptureToFile(request), "the size of the X screen cannot be read");
    EXPECT_FALSE(std::filesystem::exists(request.file));

    // X requests reach no pixel past 32767 across or down.
    testing_support::ScopedFakeScreen wide(40000, 64);
    EXPECT_EQ(app::CaptureToFile(request),
              "the X screen is 40000 x 64 pixels, and a capture can be at most 32767 pixels wide "
              "and 32767 high");
    request = Request(app::CaptureArea::Geometry, "10x10-0+0");
    EXPECT_EQ(app::CaptureToFile(request),
              "the rectangle starts at (39990, 0), and the X server reads no pixel beyond 32767 "
              "across or down");
    EXPECT_FALSE(std::filesystem::exists(request.file));
}

}  // namespace
