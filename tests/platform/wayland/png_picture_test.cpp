#include "platform/wayland/png_picture.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QImage>
#include <QTemporaryDir>

namespace {

std::optional<platform::Picture> ReadFile(const QString& path, std::string& error) {
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC);
    struct stat status {};
    if (fd < 0 || ::fstat(fd, &status) != 0) {
        return std::nullopt;
    }
    platform::PngLimits limits;
    limits.fileSize = status.st_size;
    std::optional<platform::Picture> picture = platform::ReadPngPicture(fd, limits, error);
    ::close(fd);
    return picture;
}

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
    const std::optional<platform::Picture> picture = ReadFile(path, error);
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
    EXPECT_FALSE(ReadFile(bitmap, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(ReadFile(dir.filePath("missing.png"), error));
}

}  // namespace
