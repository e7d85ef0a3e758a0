#pragma once
// What KDE's global shortcut service (kglobalaccel) really gave a
// component. Plasma 5.27's portal describes each shortcut by the key asked
// for even when another program already holds that key and kglobalaccel
// left ours without one; kglobalaccel itself tells.

#include <QString>
#include <QStringList>
#include <optional>

namespace platform {

// The shortcuts of `component` that kglobalaccel holds with no active key.
// Empty when kglobalaccel does not run, does not know the component, or
// does not answer within timeoutMs.
std::optional<QStringList> ShortcutsWithoutKeys(const QString& component, int timeoutMs);

}  // namespace platform
