#pragma once
// The interface font: one narrow sans-serif face at a size whose captions
// fit the classic control sizes the windows are laid out in at 96 dots per
// inch ("[Current Resolution]" in its 97-pixel label is the tightest).

namespace app {

inline constexpr const char* kInterfaceFontFamily = "DejaVu Sans Condensed";
inline constexpr double kInterfacePointSize = 7.5;
// Where the windows ask for the classic "MS Sans Serif" by name (the popup
// buttons, the banner): a face with Arial's metrics, close to its own.
inline constexpr const char* kClassicSansStandIn = "Liberation Sans";

// Makes the interface font the application's font, and sets the stand-in.
void UseInterfaceFont();

}  // namespace app
