#include "program/variables.h"

namespace variables {

void Reset() {
    CaptureDC = 0;
    CaptureBitmap = 0;
    SelectionScreenDC = 0;
    DragStartX = 0;
    DragStartY = 0;
    SaveFileName.clear();
    SaveNameKnown = false;
    SaveFileFormat = output::PictureFormat::Bitmap;
    CaptureWidth = 0;
    CaptureHeight = 0;
    CropArmed = false;
}

}  // namespace variables
