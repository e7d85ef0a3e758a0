#pragma once
// The information windows are laid out in twips: 15 twips to a pixel.

#include "base/rounding.h"
#include "platform/controls/control.h"
#include "program/screen_size.h"

namespace info {

inline int TwipsToPixels(double twips) {
    return base::ToInt32OrZero(twips / app::kTwipsPerPixel);
}

// Places `control` at a place and size given in twips.
inline void MoveInTwips(controls::Control& control, double left, double top, double width,
                        double height) {
    control.Move(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                 TwipsToPixels(height));
}

}  // namespace info
