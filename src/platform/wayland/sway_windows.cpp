#include "platform/wayland/sway_windows.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/wayland/sway_ipc.h"

namespace platform::sway {
namespace {

bool IsFocusedWindow(const QJsonObject& node) {
    const QString type = node.value("type").toString();
    return node.value("focused").toBool() && (type == "con" || type == "floating_con");
}

// Screenshots of the whole desktop are taken at the largest output scale;
// zero when sway cannot be asked.
double LargestScale(const QJsonDocument& outputs) {
    double scale = outputs.isArray() ? 1 : 0;
    for (const QJsonValue& output : outputs.array()) {
        const QJsonObject object = output.toObject();
        if (object.value("active").toBool(true)) {
            scale = std::max(scale, object.value("scale").toDouble(1));
        }
    }
    return scale;
}

}  // namespace

double LargestOutputScale() {
    const double scale = LargestScale(Ask(kGetOutputs, {}));
    // A scale outside what sway accepts is not an answer.
    return scale > 0 && scale <= 256 ? scale : 0;
}

std::optional<Extent> DesktopDeviceSize() {
    const QJsonDocument outputs = Ask(kGetOutputs, {});
    const double scale = LargestScale(outputs);
    double left = 0, top = 0, right = 0, bottom = 0;
    bool any = false;
    for (const QJsonValue& output : outputs.array()) {
        const QJsonObject object = output.toObject();
        const QJsonObject rect = object.value("rect").toObject();
        if (!object.value("active").toBool(true) || rect.isEmpty()) {
            continue;
        }
        const double x = rect.value("x").toDouble(), y = rect.value("y").toDouble();
        left = any ? std::min(left, x) : x;
        top = any ? std::min(top, y) : y;
        right = std::max(any ? right : x, x + rect.value("width").toDouble());
        bottom = std::max(any ? bottom : y, y + rect.value("height").toDouble());
        any = true;
    }
    if (!any || scale <= 0) {
        return std::nullopt;
    }
    return Extent{std::ceil((right - left) * scale), std::ceil((bottom - top) * scale)};
}

platform::HWND ForegroundWindow() {
    const QJsonObject focused = FindNode(Ask(kGetTree, {}).object(), &IsFocusedWindow);
    return focused.isEmpty() ? 0 : static_cast<platform::HWND>(focused.value("id").toDouble());
}

bool WindowRect(platform::HWND window, platform::RECT* rect) {
    const QJsonObject root = Ask(kGetTree, {}).object();
    const QJsonObject node =
        window == 0 ? QJsonObject() : FindNode(root, [window](const QJsonObject& node) {
            return node.value("id").toDouble() == window;
        });
    if (node.isEmpty() || !rect) {
        return false;
    }
    const QJsonObject area = node.value("rect").toObject();
    const QJsonObject desktop = root.value("rect").toObject();
    // The title bar sits above the rectangle sway gives (deco_rect).
    const int title = node.value("deco_rect").toObject().value("height").toInt();
    const double scale = LargestScale(Ask(kGetOutputs, {}));
    if (scale <= 0) {
        return false;
    }
    const auto device = [scale](double logical) {
        return static_cast<std::int32_t>(std::lround(logical * scale));
    };
    const double left = area.value("x").toDouble() - desktop.value("x").toDouble();
    const double top = area.value("y").toDouble() - desktop.value("y").toDouble() - title;
    rect->left = device(left);
    rect->top = device(top);
    rect->right = device(left + area.value("width").toDouble());
    rect->bottom = device(top + title + area.value("height").toDouble());
    return true;
}

}  // namespace platform::sway
