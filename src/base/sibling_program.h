#pragma once
// Finding another program of this installation (or build tree) from this
// one's own place, so that an installation under another prefix works too.

#include <unistd.h>

#include <filesystem>
#include <string>

namespace base {

// The first executable file, other than this program, among: `name` beside
// this program, `name` in `fromHere` (a folder relative to this program's),
// and `installed`. An absolute path; empty when there is none.
inline std::string SiblingProgram(const std::string& name, const std::string& fromHere,
                                  const std::string& installed) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    fs::path candidates[3];
    if (!error) {
        candidates[0] = self.parent_path() / name;
        candidates[1] = (self.parent_path() / fromHere / name).lexically_normal();
    }
    candidates[2] = installed;
    for (const fs::path& candidate : candidates) {
        if (!candidate.empty() && candidate.is_absolute() && candidate != self &&
            fs::is_regular_file(candidate, error) && ::access(candidate.c_str(), X_OK) == 0) {
            return candidate.string();
        }
    }
    return {};
}

}  // namespace base
