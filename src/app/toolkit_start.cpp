#include "app/toolkit_start.h"

#include <unistd.h>

#include <QRegularExpression>
#include <QString>
#include <QtGlobal>
#include <cstdio>

#include "cli/cli_capture.h"
#include "platform/text/printable.h"

namespace app {
namespace {

QtMessageHandler previousHandler = nullptr;
QString missingPlatform;  // as the toolkit named it while looking for it

void Handler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    static const QRegularExpression notFound(
        QStringLiteral("Could not (?:find|load) the Qt platform plugin \"([^\"]*)\""));
    if (type != QtFatalMsg) {
        if (const QRegularExpressionMatch match = notFound.match(message); match.hasMatch()) {
            missingPlatform = match.captured(1);
            return;  // said below, in one line
        }
        if (previousHandler) {
            previousHandler(type, context, message);
        }
        return;
    }
    static const QRegularExpression available(
        QStringLiteral("Available platform plugins are: ([^\\n]*?)\\.?\\s*$"),
        QRegularExpression::MultilineOption);
    const QString offered = available.match(message).captured(1);
    std::string line;
    int status = kExitFailure;
    if (!missingPlatform.isEmpty() && message.contains(QLatin1String("no Qt platform plugin")) &&
        !offered.split(QStringLiteral(", ")).contains(missingPlatform)) {
        status = kExitUsage;
        line = "cannot start the user interface: there is no platform \"" +
               missingPlatform.toStdString() + "\"" +
               (offered.isEmpty() ? std::string() : "; Qt has " + offered.toStdString()) +
               " (see tessarine --help)";
    } else {
        line = "cannot start the user interface: " +
               message.section(QLatin1Char('\n'), 0, 0).toStdString();
    }
    std::fprintf(stderr, "tessarine: %s\n", platform::Printable(line).c_str());
    std::fflush(stderr);
    // The toolkit is half made: nothing of ours needs tidying up yet.
    ::_exit(status);
}

}  // namespace

ToolkitStartGuard::ToolkitStartGuard() {
    previousHandler = qInstallMessageHandler(Handler);
}

ToolkitStartGuard::~ToolkitStartGuard() {
    qInstallMessageHandler(previousHandler);
}

}  // namespace app
