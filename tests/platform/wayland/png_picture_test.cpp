#include "platform/wayland/png_picture.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>

namespace {

TEST(PngPicture, ReadsEveryPixelAsRgbAndRefusesWhatIsNoPng) {
    // An odd width, and colours whose channels differ, so that a swapped
    // or shifted channel shows.
    QImage image(47, 33, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            image.setPixel(x, y, qRgb(x * 5, y * 7, (x + y) * 3 + 1));
        }
    }
    QTemporaryDir dir;
    const QString path = dir.filePath("shot.png");
    ASSERT_TRUE(image.save(path, "PNG"));

    std::string error;
    const std::optional<platform::Picture> picture =
        platform::ReadPngPicture(path.toStdString(), error);
    ASSERT_TRUE(picture) << error;
    ASSERT_EQ(picture->width, 47);
    ASSERT_EQ(picture->height, 33);
    for (int y = 0; y < 33; ++y) {
        for (int x = 0; x < 47; ++x) {
            ASSERT_EQ(picture->pixels[y * 47 + x], image.pixel(x, y) & 0x00FFFFFFu)
                << x << "," << y;
        }
    }

    const QString bitmap = dir.filePath("shot.bmp");
    ASSERT_TRUE(image.save(bitmap, "BMP"));
    EXPECT_FALSE(platform::ReadPngPicture(bitmap.toStdString(), error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(platform::ReadPngPicture(dir.filePath("missing.png").toStdString(), error));
}

}  // namespace
