#pragma once
// Where the session bus is. With DBUS_SESSION_BUS_ADDRESS unset, the D-Bus
// library tries $XDG_RUNTIME_DIR/bus and then starts a bus of its own for
// the X display (with the portals it activates, all outliving us). That
// last step must never happen, so the address is settled before anything
// can connect.

#include <string>

namespace platform {

// Call before anything may connect to the session bus (the toolkit's
// accessibility and theme code do, from QApplication on). Sets
// DBUS_SESSION_BUS_ADDRESS when it is unset or empty: to the per-user bus
// socket when this user owns one, else to an address no connection can be
// made to. A bus that gives no answer within a few seconds is treated as
// none: the address becomes one no connection can be made to.
void SettleSessionBusAddress();

// Why there is no session bus to connect to, or empty when there may be.
std::string MissingSessionBus();

// Whether there is a bus but it gave no answer (MissingSessionBus says so).
bool SessionBusIsSilent();

}  // namespace platform
