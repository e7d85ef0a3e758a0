#include "platform/wayland/kwin_windows.h"

#include <QDBusConnection>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <cmath>
#include <cstdint>
#include <map>

#include "platform/text/printable.h"
#include "platform/wayland/kwin_script.h"

namespace platform::kwin {
namespace {

constexpr int kAnswerMs = 3000;
// Coordinates beyond this are no desktop's.
constexpr double kLargestCoordinate = 1 << 20;

std::string& LastFailure() {
    static std::string failure;
    return failure;
}

// KWin's ids of the windows asked about, by the numbers handed out for them.
std::map<platform::HWND, QString>& Windows() {
    static std::map<platform::HWND, QString> windows;
    return windows;
}

// The window asked for: the active one when `window` is empty. The answer
// holds its frame and the desktop's rectangle in logical pixels, and the
// outputs' scales, which KWin 5 tells only in its support information.
QString Source(const ScriptCallback& callback, const QString& window) {
    QJsonObject ask{{"service", callback.service},
                    {"path", callback.path},
                    {"interface", callback.interface},
                    {"token", callback.token},
                    {"window", window}};
    return "var ask = " + QString::fromUtf8(QJsonDocument(ask).toJson(QJsonDocument::Compact)) +
           ";\n" + R"JS(
var answer = {token: ask.token, window: ""};
try {
    // Plasma 6 renamed activeClient and clientList.
    var client = null;
    if (ask.window === "") {
        client = "activeWindow" in workspace ? workspace.activeWindow : workspace.activeClient;
    } else {
        var all = "windowList" in workspace ? workspace.windowList() : workspace.clientList();
        for (var i = 0; i < all.length; ++i) {
            if (String(all[i].internalId) === ask.window) {
                client = all[i];
            }
        }
    }
    if (client && !client.desktopWindow && !client.dock) {
        var g = client.frameGeometry;
        answer.window = String(client.internalId);
        answer.frame = [g.x, g.y, g.width, g.height];
    }
    var d = workspace.virtualScreenGeometry;
    answer.desktop = [d.x, d.y, d.width, d.height];
    var scales = String(workspace.supportInformation()).match(/^\s*Scale: *[0-9.]+/gm) || [];
    answer.scale = 1;
    for (var j = 0; j < scales.length; ++j) {
        answer.scale = Math.max(answer.scale, parseFloat(scales[j].split(":")[1]));
    }
} catch (e) {
    answer.error = String(e);
}
callDBus(ask.service, ask.path, ask.interface, "Answer", JSON.stringify(answer));
)JS";
}

// Four finite numbers within the desktop's range; width and height above 0.
bool ReadRect(const QJsonValue& value, double out[4]) {
    const QJsonArray array = value.toArray();
    if (array.size() != 4) {
        return false;
    }
    for (int i = 0; i < 4; ++i) {
        if (!array[i].isDouble() || !std::isfinite(array[i].toDouble()) ||
            std::abs(array[i].toDouble()) > kLargestCoordinate) {
            return false;
        }
        out[i] = array[i].toDouble();
    }
    return out[2] > 0 && out[3] > 0;
}

// Asks about `window` (the active one when empty).
std::optional<Frame> Ask(const QString& window) {
    LastFailure().clear();
    QString why;
    const std::optional<QString> answer =
        RunScript([&window](const ScriptCallback& callback) { return Source(callback, window); },
                  kAnswerMs, &why);
    std::optional<Frame> frame = answer ? ParseAnswer(*answer, &why) : std::nullopt;
    if (!frame) {
        LastFailure() = why.toStdString();
    }
    return frame;
}

}  // namespace

std::optional<Frame> ParseAnswer(const QString& answer, QString* why) {
    const QJsonObject object = QJsonDocument::fromJson(answer.toUtf8()).object();
    if (object.contains("error")) {
        *why = "KWin's script failed: " +
               QString::fromStdString(
                   Printable(object.value("error").toString().left(200).toStdString()));
        return std::nullopt;
    }
    double desktop[4];
    const double scale = object.value("scale").toDouble(0);
    if (!ReadRect(object.value("desktop"), desktop) || !std::isfinite(scale) || scale < 0.25 ||
        scale > 8) {
        *why = "KWin's answer does not describe a desktop";
        return std::nullopt;
    }
    Frame frame;
    frame.window = object.value("window").toString();
    if (frame.window.isEmpty()) {
        return frame;
    }
    double rect[4];
    if (frame.window.size() > 100 || !ReadRect(object.value("frame"), rect)) {
        *why = "KWin's answer does not describe a window";
        return std::nullopt;
    }
    const auto device = [scale](double logical) {
        return static_cast<std::int32_t>(std::lround(logical * scale));
    };
    const double left = rect[0] - desktop[0], top = rect[1] - desktop[1];
    frame.rect.left = device(left);
    frame.rect.top = device(top);
    frame.rect.right = device(left + rect[2]);
    frame.rect.bottom = device(top + rect[3]);
    return frame;
}

bool Available() {
    return QDBusConnection::sessionBus().isConnected() &&
           !BusOwner("org.kde.KWin", kAnswerMs).isEmpty();
}

std::string Failure() {
    return LastFailure();
}

platform::HWND ForegroundWindow() {
    const std::optional<Frame> frame = Ask(QString());
    if (!frame || frame->window.isEmpty()) {
        return 0;
    }
    // The same window keeps its number for the run.
    for (const auto& [number, id] : Windows()) {
        if (id == frame->window) {
            return number;
        }
    }
    // Numbers are not reused; the oldest are forgotten past a few hundred.
    static platform::HWND next = 0;
    if (Windows().size() >= 256) {
        Windows().erase(Windows().begin());
    }
    next = next == UINT32_MAX ? 1 : next + 1;
    Windows()[next] = frame->window;
    return next;
}

bool WindowRect(platform::HWND window, platform::RECT* rect) {
    const auto it = Windows().find(window);
    if (it == Windows().end() || !rect) {
        return false;
    }
    const std::optional<Frame> frame = Ask(it->second);
    if (!frame || frame->window != it->second) {
        return false;
    }
    *rect = frame->rect;
    return true;
}

}  // namespace platform::kwin
