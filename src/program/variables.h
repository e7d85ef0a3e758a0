#pragma once
// Program-wide state shared by the capture paths, the preview, the crop tool
// and saving. Everything here is touched only on the user-interface thread.

#include <cstdint>
#include <string>

#include "output/picture_format.h"
#include "platform/raster/gdi.h"

namespace variables {

inline raster::HDC CaptureDC = 0;
inline raster::HBITMAP CaptureBitmap = 0;
inline raster::HDC SelectionScreenDC = 0;
inline std::int16_t DragStartX = 0;
inline std::int16_t DragStartY = 0;
inline std::string SaveFileName;
inline bool SaveNameKnown = false;
// The format chosen in the save dialog with SaveFileName.
inline output::PictureFormat SaveFileFormat = output::PictureFormat::Bitmap;
inline std::int16_t CaptureWidth = 0;
inline std::int16_t CaptureHeight = 0;
inline bool CropArmed = false;

// Back to the start-up values (used by tests; a run starts from these).
void Reset();

}  // namespace variables
