#include "platform/wayland/png_picture.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
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
    std::optional<platform::Picture> picture = ReadFile(path, error);
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

    const QString cut = dir.filePath("cut.png");
    ASSERT_TRUE(QFile::copy(path, cut) && QFile::resize(cut, 60));
    EXPECT_FALSE(ReadFile(cut, error));
    EXPECT_EQ(error, "it ends before its picture does");

    // A 16384 x 16384 header, then junk: it fails before the picture's
    // gigabyte is taken (no CRC is checked when no file is kept).
    QFile junk(dir.filePath("junk.png"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray::fromHex("89504e470d0a1a0a0000000d4948445200004000000040000806000000"
                                   "000000000001000049444154") +
               QByteArray(0x10004, '\xAB'));
    junk.close();
    rusage before{}, after{};
    ::getrusage(RUSAGE_SELF, &before);
    EXPECT_FALSE(ReadFile(junk.fileName(), error));
    ::getrusage(RUSAGE_SELF, &after);
    // Whole, the picture would take 1 GiB; a sanitizer's own bookkeeping
    // adds tens of MiB to what the rows decoded so far take.
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 256 << 10) << error;

    // Palette, grey and 16-bit pictures come out as 8-bit RGB, 16 bits cut
    // to their high 8.
    for (const QImage::Format format : {QImage::Format_Indexed8, QImage::Format_Grayscale8,
                                        QImage::Format_Grayscale16, QImage::Format_RGBA64}) {
        const QImage converted = image.convertToFormat(format);
        ASSERT_TRUE(converted.save(path, "PNG"));
        picture = ReadFile(path, error);
        ASSERT_TRUE(picture) << format << ": " << error;
        for (int i = 0; i < 47 * 33; ++i) {
            const QRgba64 c = converted.pixelColor(i % 47, i / 47).rgba64();
            ASSERT_EQ(picture->pixels[i],
                      (c.red() >> 8) << 16 | (c.green() >> 8) << 8 | c.blue() >> 8)
                << format << " at " << i;
        }
    }

    // Translucent pixels come out as the screen shows them, over black: the
    // premultiplied colour they were drawn with.
    QImage translucent(256, 1, QImage::Format_ARGB32_Premultiplied);
    for (int a = 0; a < 256; ++a) {
        translucent.setPixel(a, 0, qRgba(a * 3 / 4, a / 2, a / 5, a));
    }
    ASSERT_TRUE(translucent.save(path, "PNG"));
    picture = ReadFile(path, error);
    ASSERT_TRUE(picture) << error;
    for (int a = 0; a < 256; ++a) {
        ASSERT_EQ(picture->pixels[a], translucent.pixel(a, 0) & 0x00FFFFFFu) << "alpha " << a;
    }

    // 9 x 9, 4-bit grey, Adam7 interlaced: grey level (3x + 5y) mod 16.
    QFile adam7(dir.filePath("adam7.png"));
    ASSERT_TRUE(adam7.open(QIODevice::WriteOnly));
    adam7.write(QByteArray::fromHex(
        "89504e470d0a1a0a0000000d4948445200000009000000090400000001770d845b000000464944415478"
        "da63e060686038c0e0c0e0708021896119c32b8605390a0c4f162430587e65b83c9fa1d69241fc32c3c6"
        "5a86887d225517183e01a9028639404a80c10c486d00009cf11779c92bcf820000000049454e44ae4260"
        "82"));
    adam7.close();
    picture = ReadFile(adam7.fileName(), error);
    ASSERT_TRUE(picture) << error;
    for (int i = 0; i < 81; ++i) {
        const std::uint32_t grey = (i % 9 * 3 + i / 9 * 5) % 16 * 17;
        ASSERT_EQ(picture->pixels[i], grey * 0x010101u) << i;
    }
}

// A file kept to be copied is the whole file, checked in full: a chunk's
// CRC wrong after the pixels, which decoding alone never reads, refuses it.
// A translucent picture keeps no file: a copy would not show its pixels; nor
// does an animation, or an ancillary chunk with a wrong CRC (decoding skips
// both).
TEST(PngPicture, KeptFileIsTheWholeCheckedFileOfAnOpaquePicture) {
    QImage image(31, 7, QImage::Format_RGB32);
    image.fill(qRgb(10, 200, 30));
    QTemporaryDir dir;
    const QString path = dir.filePath("shot.png");
    ASSERT_TRUE(image.save(path, "PNG"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    file.close();
    const auto read = [&path](bool keep, std::string& error) {
        const int fd = ::open(path.toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC);
        platform::PngLimits limits;
        limits.fileSize = QFileInfo(path).size();
        limits.keepFile = keep;
        std::optional<platform::Picture> picture = platform::ReadPngPicture(fd, limits, error);
        ::close(fd);
        return picture;
    };
    std::string error;
    std::optional<platform::Picture> picture = read(true, error);
    ASSERT_TRUE(picture) << error;
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(picture->file.data()),
                         static_cast<qsizetype>(picture->file.size())),
              bytes);
    ASSERT_TRUE(read(false, error));
    EXPECT_TRUE(read(false, error)->file.empty());

    QByteArray broken = bytes;
    broken[broken.size() - 1] = static_cast<char>(broken[broken.size() - 1] ^ 1);  // IEND's CRC
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(broken) == broken.size());
    file.close();
    EXPECT_TRUE(read(false, error));
    EXPECT_FALSE(read(true, error));

    for (const char* chunk : {"000000086163544c0000000200000000f38d9370",  // acTL
                              "0000000174455874414e9dabe0"}) {             // tEXt, CRC wrong
        const QByteArray changed = QByteArray(bytes).insert(33, QByteArray::fromHex(chunk));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(changed) == changed.size());
        file.close();
        picture = read(true, error);
        ASSERT_TRUE(picture) << error;
        EXPECT_TRUE(picture->file.empty());
    }

    image = image.convertToFormat(QImage::Format_ARGB32);
    image.setPixel(3, 3, qRgba(10, 20, 30, 128));
    ASSERT_TRUE(image.save(path, "PNG"));
    picture = read(true, error);
    ASSERT_TRUE(picture) << error;
    EXPECT_TRUE(picture->file.empty());
}

}  // namespace
