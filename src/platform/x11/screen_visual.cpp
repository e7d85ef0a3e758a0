#include "platform/x11/screen_visual.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <cstdint>
#include <string>

namespace platform {
namespace {

const char* ClassName(std::uint8_t visualClass) {
    switch (visualClass) {
        case XCB_VISUAL_CLASS_STATIC_GRAY:
            return "StaticGray";
        case XCB_VISUAL_CLASS_GRAY_SCALE:
            return "GrayScale";
        case XCB_VISUAL_CLASS_STATIC_COLOR:
            return "StaticColor";
        case XCB_VISUAL_CLASS_PSEUDO_COLOR:
            return "PseudoColor";
        default:
            return "an unknown visual";
    }
}

}  // namespace

std::string ScreenTheToolkitCannotDraw() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection) {
        return {};
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!screen) {
        return {};
    }
    for (auto depths = xcb_screen_allowed_depths_iterator(screen); depths.rem;
         xcb_depth_next(&depths)) {
        for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem;
             xcb_visualtype_next(&visuals)) {
            if (visuals.data->visual_id != screen->root_visual) {
                continue;
            }
            const std::uint8_t visualClass = visuals.data->_class;
            if (visualClass == XCB_VISUAL_CLASS_TRUE_COLOR ||
                visualClass == XCB_VISUAL_CLASS_DIRECT_COLOR) {
                return {};
            }
            return "the X screen has " + std::to_string(depths.data->depth) + "-bit " +
                   ClassName(visualClass) + " visual, which the window toolkit cannot draw on";
        }
    }
    return {};
}

}  // namespace platform
