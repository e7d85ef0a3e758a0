// The picture stored with the "Camel" window, and how the window shows it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QtEndian>
#include <cstdint>

#include "platform/controls/event_pump.h"
#include "platform/controls/qt/form_window.h"
#include "program/default_form.h"
#include "ui/info/form3.h"

namespace {

std::uint32_t U32(const QByteArray& b, int at) {
    return qFromLittleEndian<std::uint32_t>(b.constData() + at);
}
std::uint16_t U16(const QByteArray& b, int at) {
    return qFromLittleEndian<std::uint16_t>(b.constData() + at);
}

TEST(CamelPicture, IsA300By300UncompressedTrueColourBitmap) {
    QFile file(":/pictures/camel.bmp");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_EQ(bytes.size(), 270054);

    // File header.
    EXPECT_EQ(bytes.left(2), QByteArray("BM"));
    EXPECT_EQ(U32(bytes, 2), 270054u);  // file size
    EXPECT_EQ(U32(bytes, 10), 54u);     // pixel data offset
    // Information header.
    EXPECT_EQ(U32(bytes, 14), 40u);  // BITMAPINFOHEADER
    EXPECT_EQ(static_cast<std::int32_t>(U32(bytes, 18)), 300);
    EXPECT_EQ(static_cast<std::int32_t>(U32(bytes, 22)), 300);  // positive: bottom-up
    EXPECT_EQ(U16(bytes, 26), 1);                               // planes
    EXPECT_EQ(U16(bytes, 28), 24);                              // bits per pixel
    EXPECT_EQ(U32(bytes, 30), 0u);                              // BI_RGB
    const std::uint32_t imageSize = U32(bytes, 34);
    EXPECT_TRUE(imageSize == 0 || imageSize == 270000u) << imageSize;

    const QImage picture(QString(":/") + Form3::kPicture);
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), QSize(300, 300));
    // A real picture, not a blank: the top row is sky and the bottom sand.
    EXPECT_NE(picture.pixel(150, 0), picture.pixel(150, 299));
}

TEST(CamelWindow, ShowsThePictureAtItsOwnSizeClippedByTheBox) {
    using controls::qt::WidgetOf;
    using controls::qt::WindowOf;
    Form3& form = app::DefaultForm<Form3>::Get();
    QWidget* window = WindowOf(form);
    auto* box = qobject_cast<QLabel*>(WidgetOf(form.Picture1));
    EXPECT_EQ(box->pixmap().size(), QSize(300, 300));
    EXPECT_EQ(QSize(form.Picture1.PictureWidth(), form.Picture1.PictureHeight()), QSize(300, 300));
    EXPECT_EQ(box->alignment(), Qt::AlignLeft | Qt::AlignTop);
    // An ordinary window: minimize and maximize buttons, resizable.
    EXPECT_TRUE(window->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(window->windowFlags() & Qt::WindowType_Mask, Qt::Window);

    // Resizing leaves the box where it is.
    form.Show();
    window->resize(500, 400);
    EXPECT_EQ(box->geometry(), QRect(8, 8, 305, 281));

    // Esc does not close it; the close box unloads it.
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(window, &esc);
    EXPECT_EQ(app::DefaultForm<Form3>::IfLoaded(), &form);
    EXPECT_TRUE(form.Visible());
    window->close();
    EXPECT_EQ(app::DefaultForm<Form3>::IfLoaded(), nullptr);
    EXPECT_FALSE(form.Visible());
    controls::DoEvents();
}

}  // namespace
