// Edit > Copy: the capture onto the clipboard as a picture, in PNG and in
// bitmap form, for whatever program it is pasted into.

#include <QClipboard>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMimeData>
#include <algorithm>

#include "output/bitmap_file.h"
#include "output/png_file.h"
#include "platform/controls/message_box.h"
#include "platform/raster/raster.h"
#include "program/variables.h"
#include "ui/main/form1.h"

void Form1::mnuCopy_Click() {
    // Before the first capture there is nothing to copy, and nothing to say.
    const std::optional<raster::PixelView> pixels =
        variables::CaptureDC ? raster::ContextPixels(variables::CaptureDC) : std::nullopt;
    const int width = pixels ? std::min<int>(variables::CaptureWidth, pixels->width) : 0;
    const int height = pixels ? std::min<int>(variables::CaptureHeight, pixels->height) : 0;
    if (width <= 0 || height <= 0) {
        return;
    }
    const output::PixelRows image{pixels->pixels, width, height, pixels->width};
    const output::EncodedPng png = output::EncodePng(image);
    const output::EncodedBitmap bitmap = output::EncodeBitmap(image);
    if (png.bytes.empty() || !bitmap.bytes) {
        controls::ShowMessage(
            this, QMessageBox::Warning, QStringLiteral("Tessarine"),
            QStringLiteral("Could not copy the picture: %1.")
                .arg(QString::fromStdString(png.bytes.empty() ? png.error : bitmap.error)));
        return;
    }
    auto* data = new QMimeData;
    data->setData(QStringLiteral("image/png"),
                  QByteArray(reinterpret_cast<const char*>(png.bytes.data()),
                             static_cast<qsizetype>(png.bytes.size())));
    data->setData(QStringLiteral("image/bmp"),
                  QByteArray(reinterpret_cast<const char*>(bitmap.bytes.get()),
                             static_cast<qsizetype>(bitmap.size)));
    // The clipboard owns the data from here on, and serves it for as long
    // as the program runs or until something else is copied.
    QGuiApplication::clipboard()->setMimeData(data, QClipboard::Clipboard);
}
