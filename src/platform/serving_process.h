#pragma once
// A process that goes on serving after the command that started it has
// ended (a clipboard's owner, say): a grandchild in a session of its own,
// with none of the caller's output, so that a script reading the command's
// output does not wait for it. It keeps the caller's memory (a copy) but
// none of its open files.

#include <functional>
#include <string>

namespace platform {

// What the serving process said once it was ready, or why not.
struct ServingAnswer {
    bool serving = false;
    // The process's reason when it is not serving ("" when it said nothing
    // in time).
    std::string text;
};

// Starts `serve` in the serving process and waits up to `deadlineMs` for
// its answer on the descriptor it is given: "1" once it serves, else its
// reason. `serve` never returns.
ServingAnswer StartServingProcess(const std::function<void(int ready)>& serve, int deadlineMs);

// For `serve`: says `answer` on `ready` and closes it.
void AnswerCaller(int ready, const std::string& answer);

}  // namespace platform
