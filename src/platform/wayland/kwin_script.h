#pragma once
// Runs a small script inside KWin (its scripting D-Bus interface) and waits
// for the one answer the script sends back over the session bus. KWin's
// scripts are files: the source goes to a file of our own, readable only by
// us, for as long as KWin needs it. The script is unloaded and the file
// removed however the run ends.

#include <QString>
#include <functional>
#include <optional>

namespace platform::kwin {

struct ScriptCallback {
    QString service;    // our name on the session bus
    QString path;       // the object that takes the answer
    QString interface;  // its interface; the method is "Answer"
    QString token;      // sent back with the answer, to tell it from others
};

// Runs the script `makeSource(callback)` builds, which must call
//   callDBus(service, path, interface, "Answer", text)
// once, with a JSON object holding "token". Returns that object's text, or
// empty with the reason in *failure, within timeoutMs in all.
std::optional<QString> RunScript(const std::function<QString(const ScriptCallback&)>& makeSource,
                                 int timeoutMs, QString* failure);

// The owner of `name` on the session bus (a unique name), or empty.
QString BusOwner(const QString& name, int timeoutMs);

}  // namespace platform::kwin
