#pragma once
// SIGTERM, SIGINT and SIGHUP end the window program as closing it does:
// the event loops end and everything it holds on the desktop (key
// bindings among them) is given back before the process exits.

namespace app {

// Call once the application object exists.
void EndEventLoopOnTermination();

}  // namespace app
