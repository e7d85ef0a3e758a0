#pragma once
// Whether the desktop will ask the user before its portal takes a
// screenshot for us. GNOME does, for a program that is not sandboxed, until
// the user has answered once; the answer is kept in the portal's permission
// store (table "screenshot", entry "screenshot", app id ""). We only read
// it: the permission is the user's to give.

#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

namespace platform {

enum class StoredConsent {
    Yes,      // the user allowed screenshots
    No,       // the user refused them; the desktop refuses without asking
    Unknown,  // nothing stored (or nothing readable): the desktop asks
};

// The consent stored for programs that are not sandboxed (app id ""),
// among the permissions of the "screenshot" entry.
StoredConsent ConsentIn(const QMap<QString, QStringList>& permissions);

// On GNOME, the user's stored answer (Unknown: GNOME will put its dialog
// before the user on the next screenshot); empty on other desktops, which
// do not ask, and without a session bus. Asks the store for at most timeoutMs; a store that does
// not answer counts as Unknown.
std::optional<StoredConsent> GnomeScreenshotConsent(int timeoutMs);

}  // namespace platform
