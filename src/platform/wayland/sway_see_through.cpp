#include "platform/wayland/sway_see_through.h"

#include <QJsonArray>
#include <QJsonObject>
#include <cstdio>
#include <string>

#include "platform/wayland/sway_ipc.h"

namespace platform::sway {
namespace {

// sway keeps a window's opacity as a float in [0, 1] and tells nobody
// what it is; it refuses a step that would take it below 0. Taking 1, then
// 1/2, 1/4, ... in turn, each where it fits, takes all of an opaque
// window's and all but less than the last step of another's (nothing that
// shows), and the steps taken add up to what it was.
constexpr int kSteps = 25;

std::string Criteria(platform::HWND xWindow) {
    return "[id=" + std::to_string(xWindow) + "] ";
}

// Exact for the binary fractions used here.
std::string Amount(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

}  // namespace

bool SeeThrough::stepAside(platform::HWND xWindow) {
    if (xWindow != 0 && xWindow == window_) {
        return true;
    }
    if (xWindow == 0 || window_ != 0) {
        return false;
    }
    const QJsonObject node =
        FindNode(Ask(kGetTree, {}).object(), [xWindow](const QJsonObject& node) {
            return node.value("window").toDouble(-1) == static_cast<double>(xWindow);
        });
    if (node.value("type").toString() != "con" || node.value("fullscreen_mode").toInt(-1) != 0) {
        return false;
    }
    std::string command;
    double step = 2;
    for (int i = 0; i < kSteps; ++i) {
        step /= 2;
        command += Criteria(xWindow) + "opacity minus " + Amount(step) + ";";
    }
    const QJsonArray results = Ask(kRunCommand, QByteArray::fromStdString(command)).array();
    double taken = 0;
    // (A window that shows again after being hidden is a new one to sway,
    // opaque: hiding it undoes what an answer that never came did.)
    bool refused = results.size() != kSteps;
    step = 2;
    for (const QJsonValue& value : results) {
        step /= 2;
        const QJsonObject result = value.toObject();
        if (result.value("success").toBool()) {
            taken += step;
        } else if (!result.value("error").toString().contains("out of bounds")) {
            refused = true;  // the window went, or sway refuses the command
        }
    }
    window_ = xWindow;
    taken_ = taken;
    if (refused) {
        stepBack(xWindow);
        return false;
    }
    return true;
}

void SeeThrough::stepBack(platform::HWND xWindow) {
    if (xWindow == 0 || xWindow != window_) {
        return;
    }
    window_ = 0;
    if (taken_ == 0) {
        return;
    }
    if (const std::string failure =
            RunCommand(Criteria(xWindow) + "opacity plus " + Amount(taken_));
        !failure.empty()) {
        std::fprintf(stderr, "tessarine: the window could not be shown again: %s\n",
                     failure.c_str());
    }
}

}  // namespace platform::sway
