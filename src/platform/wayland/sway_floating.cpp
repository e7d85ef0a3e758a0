#include "platform/wayland/sway_floating.h"

#include <QJsonArray>
#include <QJsonObject>
#include <cstdio>
#include <functional>
#include <string>

#include "platform/wayland/sway_ipc.h"

namespace platform::sway {
namespace {

constexpr int kStepMilliseconds = 25;
// Long enough for a loaded machine to map the window; the window stays
// where sway put it after that.
constexpr int kDeadlineMilliseconds = 3000;
// Checks in a row that find the window in place before the last one.
constexpr int kSettledSteps = 8;

// Whether sway has the window in its tree (it is mapped), its frame if it
// floats, and the floating window that has the focus if it is another.
struct Found {
    bool mapped = false;
    std::optional<Frame> floating;
    double otherFocusedFloating = 0;
};

Found Look(platform::HWND xWindow) {
    if (xWindow == 0) {
        return {};
    }
    const QJsonObject tree = Ask(kGetTree, {}).object();
    const QJsonObject node = FindNode(tree, [xWindow](const QJsonObject& node) {
        return node.value("window").toDouble(-1) == static_cast<double>(xWindow);
    });
    if (node.isEmpty()) {
        return {};
    }
    const QJsonObject focused =
        FindNode(tree, [](const QJsonObject& node) { return node.value("focused").toBool(); });
    Found found{true, std::nullopt, 0};
    if (focused.value("type").toString() == "floating_con" &&
        focused.value("id") != node.value("id")) {
        found.otherFocusedFloating = focused.value("id").toDouble();
    }
    if (node.value("type").toString() != "floating_con") {
        return found;
    }
    const QJsonObject rect = node.value("rect").toObject();
    // The title bar lies above sway's rectangle.
    const int title = node.value("deco_rect").toObject().value("height").toInt();
    found.floating = Frame{rect.value("x").toInt(), rect.value("y").toInt() - title,
                           rect.value("width").toInt(), rect.value("height").toInt() + title};
    return found;
}

}  // namespace

std::optional<Frame> FloatingFrame(platform::HWND xWindow) {
    return Look(xWindow).floating;
}

FloatingPlace::FloatingPlace() {
    timer_.setInterval(kStepMilliseconds);
    connect(&timer_, &QTimer::timeout, this, &FloatingPlace::step);
}

void FloatingPlace::remember(platform::HWND xWindow) {
    timer_.stop();
    window_ = xWindow;
    frame_ = FloatingFrame(xWindow);
}

void FloatingPlace::restore(platform::HWND xWindow) {
    if (!frame_ || xWindow != window_) {
        return;
    }
    timesThere_ = 0;
    since_.start();
    timer_.start();
}

void FloatingPlace::step() {
    const Found found = Look(window_);
    if (found.mapped && found.floating == frame_) {
        if (++timesThere_ >= kSettledSteps) {
            timer_.stop();
        }
        return;
    }
    timesThere_ = 0;
    if (since_.elapsed() > kDeadlineMilliseconds) {
        timer_.stop();
        return;
    }
    if (!found.mapped) {
        return;
    }
    // The X window's id is sway's criterion for an XWayland window; its
    // container is new at every map.
    const std::string command =
        "[id=" + std::to_string(window_) + "] floating enable, resize set width " +
        std::to_string(frame_->width) + " px height " + std::to_string(frame_->height) +
        " px, move absolute position " + std::to_string(frame_->x) + " px " +
        std::to_string(frame_->y) + " px";
    std::string failure = RunCommand(command);
    // A window that starts floating goes on top of the others; one that
    // came up meanwhile and has the focus (a message) goes back over it.
    if (failure.empty() && found.otherFocusedFloating != 0) {
        failure = RunCommand(
            "[con_id=" + std::to_string(static_cast<long long>(found.otherFocusedFloating)) +
            "] focus");
    }
    if (!failure.empty()) {
        std::fprintf(stderr, "tessarine: the window could not float where it was: %s\n",
                     failure.c_str());
        timer_.stop();
    }
}

}  // namespace platform::sway
