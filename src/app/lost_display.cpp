#include "app/lost_display.h"

#include <QtGlobal>

#include "platform/x11/display_lost.h"

namespace app {
namespace {

QtMessageHandler previousHandler = nullptr;

// The toolkit's xcb backend says this, and then calls exit(1), when it finds
// its connection broken.
bool SaysConnectionBroke(const QString& message) {
    return message.startsWith(QLatin1String("The X11 connection broke"));
}

void Handler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (SaysConnectionBroke(message)) {
        platform::DisplayLost();
    }
    if (previousHandler) {
        previousHandler(type, context, message);
    } else {
        qt_message_output(type, context, message);
    }
}

}  // namespace

void InstallLostDisplayHandler() {
    previousHandler = qInstallMessageHandler(Handler);
}

}  // namespace app
