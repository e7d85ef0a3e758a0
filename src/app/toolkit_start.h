#pragma once

namespace app {

// While it lives, a toolkit that cannot start (no such platform plugin as
// -platform or QT_QPA_PLATFORM names, or one that fails to load) ends the
// program with one line on standard error instead of the toolkit's
// paragraph and an abort: exit status 2 for a platform that does not
// exist, 1 for one that failed.
class ToolkitStartGuard {
  public:
    ToolkitStartGuard();
    ~ToolkitStartGuard();
    ToolkitStartGuard(const ToolkitStartGuard&) = delete;
    ToolkitStartGuard& operator=(const ToolkitStartGuard&) = delete;
};

}  // namespace app
