#pragma once
// The backend of a Windows desktop: the virtual screen through GDI, the
// window in front, RegisterHotKey, the monitors and the pointer. Every
// rectangle it gives counts from the virtual screen's top left corner, as
// the screen source's pixels do, and in device pixels (the program
// declares itself aware of each monitor's DPI).

#include <memory>

#include "platform/backend.h"

namespace platform {

std::shared_ptr<Backend> OpenWin32Backend();

}  // namespace platform
