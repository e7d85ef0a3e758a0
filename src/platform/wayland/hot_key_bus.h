#pragma once
// Hot keys handed over on the session bus: `tessarine --hot-key NAME` calls
// the running window program, which owns a bus name of its own for this.
// Only the bus's own socket is involved; nothing listens on the network.

#include <functional>
#include <memory>
#include <string>

#include "platform/backend.h"

namespace platform {

// The bus name, object and interface the window program answers on.
extern const char* const kHotKeyBusName;
extern const char* const kHotKeyBusPath;
extern const char* const kHotKeyBusInterface;

// While the returned object lives, a press handed over for `keys` runs
// `onPress` from the event loop. The first listener puts this program on
// the session bus. Null when the combination has no command name.
class HotKeyListener {
  public:
    virtual ~HotKeyListener() = default;
};
std::unique_ptr<HotKeyListener> ListenForHotKeyCommand(const KeyCombination& keys,
                                                       std::function<void()> onPress);

// While the returned object lives, `onOwned` runs from the event loop when
// this program, queued for the bus name behind another window program,
// gets it (that window closed). Null when the program is not on the bus.
std::unique_ptr<HotKeyListener> WhenHotKeyCommandsComeHere(std::function<void()> onOwned);

// Whether presses handed over reach this program: it owns the bus name.
// False when there is no session bus, or another window program owns it;
// then `why` says which.
bool HotKeyCommandsReachThisProgram(std::string* why = nullptr);

// Hands a press of `name` to the running window program. Returns empty when
// it took the press, otherwise why not (no window program runs, no bus, it
// gave no answer within a few seconds). Needs a QCoreApplication.
std::string SendHotKeyCommand(const std::string& name);

}  // namespace platform
