// Edit > Copy: the capture onto the clipboard as a picture, in PNG and in
// bitmap form, for whatever program it is pasted into.

#include <algorithm>

#include "output/bitmap_file.h"
#include "output/png_file.h"
#include "platform/controls/clipboard.h"
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
            this, controls::MessageIcon::Warning, "Tessarine",
            "Could not copy the picture: " + (png.bytes.empty() ? png.error : bitmap.error) + ".");
        return;
    }
    controls::SetClipboardPicture(png.bytes, {bitmap.bytes.get(), bitmap.size});
}
