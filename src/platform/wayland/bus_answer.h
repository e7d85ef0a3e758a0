#pragma once
// Whether the session bus answers at all. A bus that takes the connection
// and then says nothing (its daemon stopped) would hold the D-Bus library's
// connect for ever, with no deadline of its own, so it is asked here first:
// plain sockets, before any D-Bus library touches it.

#include <string>

namespace platform {

// Connects to the first Unix socket of `address`, authenticates and says
// Hello, each within `timeoutMs` in all. Empty when the bus answered, or
// when there is nothing to ask (no Unix socket in the address, or the
// connection failed at once, which the library finds as fast); otherwise
// why not, in a few words.
std::string SessionBusSilence(const std::string& address, int timeoutMs);

}  // namespace platform
