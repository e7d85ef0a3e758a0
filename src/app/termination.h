#pragma once
// SIGTERM, SIGINT and SIGHUP end the window program as closing it does:
// the event loops end and everything it holds on the desktop (key
// bindings among them) is given back before the process exits. Where that
// takes more than a few seconds, the process ends without it.

namespace app {

// Call once the application object exists.
void EndEventLoopOnTermination();

}  // namespace app
