#include "platform/controls/image_box.h"

#include <QImage>
#include <QLabel>
#include <QPixmap>

#include "platform/controls/qt/control_impl.h"

namespace controls {
namespace {

QLabel* BoxOf(const ImageBox& box) {
    return static_cast<QLabel*>(qt::WidgetOf(box));
}

}  // namespace

ImageBox::ImageBox(Control& container)
    : Control(std::make_unique<Impl>(new QLabel(qt::ClientOf(container)))) {
    BoxOf(*this)->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void ImageBox::setBackColor(std::uint32_t rgb) {
    if (QLabel* box = BoxOf(*this)) {
        QPalette palette = box->palette();
        palette.setColor(QPalette::Window, QColor::fromRgb(rgb & 0xFFFFFF));
        box->setPalette(palette);
        box->setAutoFillBackground(true);
    }
}

bool ImageBox::setPicture(std::string_view name) {
    QLabel* box = BoxOf(*this);
    if (!box) {
        return false;
    }
    // Pictures are stored as the program's resources.
    const QImage picture(QStringLiteral(":/") + qt::Text(name));
    box->setPixmap(picture.isNull() ? QPixmap() : QPixmap::fromImage(picture));
    return !picture.isNull();
}

int ImageBox::PictureWidth() const {
    QLabel* box = BoxOf(*this);
    return box ? box->pixmap().width() : 0;
}

int ImageBox::PictureHeight() const {
    QLabel* box = BoxOf(*this);
    return box ? box->pixmap().height() : 0;
}

}  // namespace controls
