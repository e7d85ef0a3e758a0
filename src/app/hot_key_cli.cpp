#include "app/hot_key_cli.h"

#include <QCoreApplication>
#include <memory>

#include "cli/cli_capture.h"
#include "platform/wayland/hot_key_bus.h"
#include "platform/wayland/session_bus.h"

namespace app {

int HandHotKeyOver(const std::string& name) {
    platform::SettleSessionBusAddress();
    static int argumentCount = 1;
    static char programName[] = "tessarine";
    static char* arguments[] = {programName, nullptr};
    std::unique_ptr<QCoreApplication> application;
    if (!QCoreApplication::instance()) {
        application = std::make_unique<QCoreApplication>(argumentCount, arguments);
    }
    const std::string error = platform::SendHotKeyCommand(name);
    if (!error.empty()) {
        return ReportCaptureFailure("cannot hand " + name + " to the window program: " + error);
    }
    return kExitSuccess;
}

}  // namespace app
