#include "platform/controls/picture_box.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "platform/raster/raster.h"

namespace controls {

int ButtonCode(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return 1;
        case Qt::RightButton:
            return 2;
        case Qt::MiddleButton:
            return 4;
        default:
            return 0;
    }
}

int ButtonCodes(Qt::MouseButtons buttons) {
    return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) |
           (buttons & Qt::MiddleButton ? 4 : 0);
}

int ShiftCode(Qt::KeyboardModifiers modifiers) {
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    const HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    dc_ = CreateCompatibleDC(display);
    DeleteDC(display);
    resizeImage(std::max(1, width()), std::max(1, height()));
}

PictureBox::~PictureBox() {
    DeleteDC(dc_);
    DeleteObject(bitmap_);
}

void PictureBox::resizeImage(int width, int height) {
    width = std::max(1, width);
    height = std::max(1, height);
    if (const auto current = raster::BitmapPixels(bitmap_);
        current && current->width == width && current->height == height) {
        return;
    }
    // The new image keeps what the old one held where they overlap.
    const HDC scratch = CreateCompatibleDC(dc_);
    const HBITMAP image = CreateCompatibleBitmap(dc_, width, height);
    if (!image) {
        DeleteDC(scratch);
        return;
    }
    SelectObject(scratch, image);
    raster::FillContext(scratch, backColor_);
    if (const auto old = raster::BitmapPixels(bitmap_)) {
        BitBlt(scratch, 0, 0, old->width, old->height, dc_, 0, 0, SRCCOPY);
    }
    DeleteDC(scratch);
    SelectObject(dc_, image);
    DeleteObject(bitmap_);
    bitmap_ = image;
}

void PictureBox::Cls() {
    raster::FillContext(dc_, backColor_);
    update();
}

void PictureBox::Refresh() {
    repaint();
}

void PictureBox::setBackColor(std::uint32_t rgb) {
    backColor_ = rgb & 0xFFFFFF;
    Cls();
}

void PictureBox::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const auto view = raster::ContextPixels(dc_);
    if (!view) {
        painter.fillRect(event->rect(), QColor::fromRgb(backColor_));
        return;
    }
    const QRect area = event->rect() & QRect(0, 0, view->width, view->height);
    QImage image(area.size(), QImage::Format_RGB32);
    for (int y = 0; y < area.height(); ++y) {
        const std::uint32_t* in = view->row(area.y() + y) + area.x();
        auto* out = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        for (int x = 0; x < area.width(); ++x) {
            out[x] = in[x] | 0xFF000000u;
        }
    }
    painter.drawImage(area.topLeft(), image);
}

void PictureBox::resizeEvent(QResizeEvent* event) {
    resizeImage(event->size().width(), event->size().height());
    QWidget::resizeEvent(event);
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    emit MouseDown(ButtonCode(event->button()), ShiftCode(event->modifiers()),
                   static_cast<float>(event->position().x()),
                   static_cast<float>(event->position().y()));
}

void PictureBox::mouseMoveEvent(QMouseEvent* event) {
    emit MouseMove(ButtonCodes(event->buttons()), ShiftCode(event->modifiers()),
                   static_cast<float>(event->position().x()),
                   static_cast<float>(event->position().y()));
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
    emit MouseUp(ButtonCode(event->button()), ShiftCode(event->modifiers()),
                 static_cast<float>(event->position().x()),
                 static_cast<float>(event->position().y()));
}

}  // namespace controls
