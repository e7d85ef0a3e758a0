#include "platform/controls/picture_box.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "platform/controls/qt/control_impl.h"
#include "platform/raster/raster.h"

namespace controls {
namespace {

using MouseHandler = std::function<void(int, int, float, float)>;

class PictureBoxWidget : public QWidget {
  public:
    PictureBoxWidget(QWidget* parent, PictureBox& box);
    ~PictureBoxWidget() override;

    raster::HDC hDC() const { return dc_; }
    QSize pixels() const { return PixelsFor(size()); }
    void resizeToPixels(int width, int height);
    void ShowContext(raster::HDC source, QPoint origin);
    void Cls();
    void setBackColor(std::uint32_t rgb);
    std::uint32_t backColor() const { return backColor_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void resizeImage(int width, int height);
    // The screen pixels that a size in the toolkit's scaled units covers.
    QSize PixelsFor(QSize units) const;
    // Toolkit units over screen pixels (1 on an unscaled desktop).
    qreal ratio() const { return devicePixelRatioF(); }
    void emitMouse(const MouseHandler& handler, int button, QMouseEvent* event);

    PictureBox& box_;
    raster::HDC dc_ = 0;
    raster::HBITMAP bitmap_ = 0;
    raster::HDC shown_ = 0;
    QPoint shownOrigin_;
    // The size resizeToPixels asked for, and the box's size it gave.
    QSize exactPixels_;
    QSize exactUnits_;
    std::uint32_t backColor_ = PictureBox::kScrollBarColour;
};

PictureBoxWidget::PictureBoxWidget(QWidget* parent, PictureBox& box) : QWidget(parent), box_(box) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    const raster::HDC display = raster::CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    dc_ = raster::CreateCompatibleDC(display);
    raster::DeleteDC(display);
    resizeImage(std::max(1, width()), std::max(1, height()));
}

PictureBoxWidget::~PictureBoxWidget() {
    raster::DeleteDC(dc_);
    raster::DeleteObject(bitmap_);
}

QSize PictureBoxWidget::PixelsFor(QSize units) const {
    if (units == exactUnits_) {
        return exactPixels_;
    }
    // A hair below the next whole pixel still counts as that pixel.
    const auto pixels = [this](int n) { return static_cast<int>(std::ceil(n * ratio() - 1e-6)); };
    return {pixels(units.width()), pixels(units.height())};
}

void PictureBoxWidget::resizeToPixels(int width, int height) {
    // On a scaled desktop the box's units may not divide the pixels evenly:
    // the box covers them and the image is exactly as asked.
    const auto units = [this](int n) { return static_cast<int>(std::ceil(n / ratio() - 1e-6)); };
    exactUnits_ = QSize(units(width), units(height));
    exactPixels_ = QSize(width, height);
    resize(exactUnits_);
    resizeImage(width, height);
}

void PictureBoxWidget::ShowContext(raster::HDC source, QPoint origin) {
    shown_ = source;
    shownOrigin_ = origin;
    // The box's own image is no longer needed: with a context that holds no
    // bitmap, drawing into hDC() draws nothing.
    const raster::HDC empty = raster::CreateCompatibleDC(dc_);
    raster::DeleteDC(dc_);
    raster::DeleteObject(bitmap_);
    dc_ = empty;
    bitmap_ = 0;
    update();
}

void PictureBoxWidget::resizeImage(int width, int height) {
    if (shown_) {
        return;
    }
    width = std::max(1, width);
    height = std::max(1, height);
    if (const auto current = raster::BitmapPixels(bitmap_);
        current && current->width == width && current->height == height) {
        return;
    }
    // The new image keeps what the old one held where they overlap.
    const raster::HDC scratch = raster::CreateCompatibleDC(dc_);
    const raster::HBITMAP image = raster::CreateCompatibleBitmap(dc_, width, height);
    if (!image) {
        raster::DeleteDC(scratch);
        return;
    }
    raster::SelectObject(scratch, image);
    raster::FillContext(scratch, backColor_);
    if (const auto old = raster::BitmapPixels(bitmap_)) {
        raster::BitBlt(scratch, 0, 0, old->width, old->height, dc_, 0, 0, raster::SRCCOPY);
    }
    raster::DeleteDC(scratch);
    raster::SelectObject(dc_, image);
    raster::DeleteObject(bitmap_);
    bitmap_ = image;
}

void PictureBoxWidget::Cls() {
    raster::FillContext(dc_, backColor_);
    update();
}

void PictureBoxWidget::setBackColor(std::uint32_t rgb) {
    backColor_ = rgb & 0xFFFFFF;
    Cls();
}

void PictureBoxWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const auto view = raster::ContextPixels(shown_ ? shown_ : dc_);
    if (!view) {
        painter.fillRect(event->rect(), QColor::fromRgb(backColor_));
        return;
    }
    // The exposed area in image pixels, drawn a band of rows at a time: a
    // screen-sized image is then never copied whole.
    const qreal r = ratio();
    const QRectF exposed = event->rect();
    const QPoint origin = shown_ ? shownOrigin_ : QPoint();
    const QRect area =
        QRect(QPoint(static_cast<int>(std::floor(exposed.left() * r)),
                     static_cast<int>(std::floor(exposed.top() * r))),
              QPoint(static_cast<int>(std::ceil((exposed.left() + exposed.width()) * r)) - 1,
                     static_cast<int>(std::ceil((exposed.top() + exposed.height()) * r)) - 1)) &
        QRect(-origin, QSize(view->width, view->height));
    if (area.isEmpty()) {
        return;
    }
    constexpr int kBandRows = 256;
    QImage band(area.width(), std::min(kBandRows, area.height()), QImage::Format_RGB32);
    band.setDevicePixelRatio(r);
    for (int top = area.top(); top <= area.bottom(); top += kBandRows) {
        const int rows = std::min(kBandRows, area.bottom() + 1 - top);
        for (int y = 0; y < rows; ++y) {
            const std::uint32_t* in = view->row(origin.y() + top + y) + origin.x() + area.x();
            auto* out = reinterpret_cast<std::uint32_t*>(band.scanLine(y));
            for (int x = 0; x < area.width(); ++x) {
                out[x] = in[x] | 0xFF000000u;
            }
        }
        painter.drawImage(QPointF(area.x() / r, top / r), band, QRectF(0, 0, area.width(), rows));
    }
}

void PictureBoxWidget::resizeEvent(QResizeEvent* event) {
    const QSize pixels = PixelsFor(event->size());
    resizeImage(pixels.width(), pixels.height());
    QWidget::resizeEvent(event);
}

void PictureBoxWidget::emitMouse(const MouseHandler& handler, int button, QMouseEvent* event) {
    if (!handler) {
        return;
    }
    // The toolkit rounds a widget's event position to whole units, which a
    // scaled desktop makes larger than a pixel; the position in the window
    // keeps the fraction, so the pixel is found from that.
    const qreal r = ratio();
    const QPointF inWindow = event->scenePosition() - QPointF(mapTo(window(), QPoint(0, 0)));
    handler(button, qt::ShiftCode(event->modifiers()), static_cast<float>(inWindow.x() * r),
            static_cast<float>(inWindow.y() * r));
}

void PictureBoxWidget::mousePressEvent(QMouseEvent* event) {
    emitMouse(box_.MouseDown, qt::ButtonCode(event->button()), event);
}

void PictureBoxWidget::mouseMoveEvent(QMouseEvent* event) {
    emitMouse(box_.MouseMove, qt::ButtonCodes(event->buttons()), event);
}

void PictureBoxWidget::mouseReleaseEvent(QMouseEvent* event) {
    emitMouse(box_.MouseUp, qt::ButtonCode(event->button()), event);
}

PictureBoxWidget* WidgetOfBox(const PictureBox& box) {
    return static_cast<PictureBoxWidget*>(qt::WidgetOf(box));
}

}  // namespace

PictureBox::PictureBox(Control& container)
    : Control(std::make_unique<Impl>(new PictureBoxWidget(qt::ClientOf(container), *this))) {}

PictureBox::~PictureBox() = default;

raster::HDC PictureBox::hDC() const {
    const PictureBoxWidget* widget = WidgetOfBox(*this);
    return widget ? widget->hDC() : 0;
}

int PictureBox::ScaleWidth() const {
    const PictureBoxWidget* widget = WidgetOfBox(*this);
    return widget ? widget->pixels().width() : 0;
}

int PictureBox::ScaleHeight() const {
    const PictureBoxWidget* widget = WidgetOfBox(*this);
    return widget ? widget->pixels().height() : 0;
}

void PictureBox::resizeToPixels(int width, int height) {
    if (PictureBoxWidget* widget = WidgetOfBox(*this)) {
        widget->resizeToPixels(width, height);
    }
}

void PictureBox::ShowContext(raster::HDC source, int originX, int originY) {
    if (PictureBoxWidget* widget = WidgetOfBox(*this)) {
        widget->ShowContext(source, QPoint(originX, originY));
    }
}

void PictureBox::Cls() {
    if (PictureBoxWidget* widget = WidgetOfBox(*this)) {
        widget->Cls();
    }
}

void PictureBox::Refresh() {
    if (PictureBoxWidget* widget = WidgetOfBox(*this)) {
        widget->repaint();
    }
}

void PictureBox::setBackColor(std::uint32_t rgb) {
    if (PictureBoxWidget* widget = WidgetOfBox(*this)) {
        widget->setBackColor(rgb);
    }
}

std::uint32_t PictureBox::backColor() const {
    const PictureBoxWidget* widget = WidgetOfBox(*this);
    return widget ? widget->backColor() : kScrollBarColour;
}

void PictureBox::setTabStop(bool on) {
    if (PictureBoxWidget* widget = WidgetOfBox(*this)) {
        widget->setFocusPolicy(on ? Qt::StrongFocus : Qt::NoFocus);
    }
}

void PictureBox::setMousePointer(MousePointer pointer) {
    if (PictureBoxWidget* widget = WidgetOfBox(*this)) {
        if (pointer == MousePointer::Crosshair) {
            widget->setCursor(Qt::CrossCursor);
        } else {
            widget->unsetCursor();
        }
    }
}

}  // namespace controls
