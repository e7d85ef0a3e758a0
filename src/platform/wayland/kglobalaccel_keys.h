#pragma once
// What KDE's global shortcut service (kglobalaccel) really gave a
// component, and giving it back. Plasma 5.27's portal describes each
// shortcut by the key asked for even when another program already holds
// that key and kglobalaccel left ours without one; kglobalaccel itself
// tells. The portal registers a session's shortcuts in a component named
// after the session and, when the session ends, only marks them inactive:
// kglobalaccel keeps their keys from every other program until they are
// unregistered.

#include <QString>
#include <QStringList>
#include <optional>

namespace platform {

// The shortcuts of `component` that no key press reaches: those kglobalaccel
// holds with no active key, and those whose combination KWin reports under
// another key that another program holds (see kglobalaccel_keys.cpp).
// Where KWin reports a combination under another key, that key is added to
// the shortcut's. Empty when kglobalaccel does not run, does not know the
// component, or does not answer within timeoutMs.
std::optional<QStringList> ShortcutsNoPressReaches(const QString& component, int timeoutMs);

// Unregisters `names` of `component`, freeing their keys.
void ReleaseShortcuts(const QString& component, const QStringList& names, int timeoutMs);

// Unregisters the shortcuts of `component` that no running program holds:
// those a run that was killed left behind.
void ReleaseLeftShortcuts(const QString& component, int timeoutMs);

}  // namespace platform
