#include "platform/controls/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace controls {
namespace {

QByteArray Bytes(std::span<const std::uint8_t> bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

}  // namespace

void SetClipboardPicture(std::span<const std::uint8_t> png, std::span<const std::uint8_t> bitmap) {
    auto* data = new QMimeData;
    data->setData(QStringLiteral("image/png"), Bytes(png));
    data->setData(QStringLiteral("image/bmp"), Bytes(bitmap));
    // The clipboard owns the data from here on.
    QGuiApplication::clipboard()->setMimeData(data, QClipboard::Clipboard);
}

}  // namespace controls
