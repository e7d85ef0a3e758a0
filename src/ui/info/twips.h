#pragma once
// The information windows are laid out in twips: 15 twips to a pixel, and
// 20 twips to a point.

#include <QFont>
#include <QRect>
#include <QString>

#include "base/rounding.h"
#include "program/screen_size.h"

namespace info {

inline int TwipsToPixels(double twips) {
    return base::ToInt32OrZero(twips / app::kTwipsPerPixel);
}

inline QRect TwipsRect(double left, double top, double width, double height) {
    return QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                 TwipsToPixels(height));
}

// A font sized in pixels from its size in points at the layout's fixed
// 96 pixels per inch, so that text fits the boxes laid out in twips whatever
// resolution the display reports. A family that is not installed falls back
// to a similar one.
inline QFont LayoutFont(const QString& family, double points, bool bold, bool italic) {
    QFont font(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(base::ToInt32OrZero(points * 20.0 / app::kTwipsPerPixel));
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

}  // namespace info
