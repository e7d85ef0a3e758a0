#pragma once
// sway's IPC: one request on $SWAYSOCK and its JSON answer, within a few
// seconds in all.

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdint>
#include <functional>
#include <string>

namespace platform::sway {

inline constexpr std::uint32_t kRunCommand = 0;
inline constexpr std::uint32_t kGetOutputs = 3;
inline constexpr std::uint32_t kGetTree = 4;
inline constexpr std::uint32_t kGetConfig = 9;

// True when $SWAYSOCK names a socket: sway's.
bool Available();

// The answer to one request; empty when sway cannot be asked, with the
// reason in Failure().
QJsonDocument Ask(std::uint32_t type, const QByteArray& request);

// Runs one command, or a list of them joined by commas; empty when sway
// did all of it, otherwise why not.
std::string RunCommand(const std::string& command);

// Why the last request got no answer (sway answers within a few seconds or
// not at all); empty when it answered.
std::string Failure();

// The first node of a tree sway gave, depth first through tiled and
// floating children, that `match` accepts; empty when none does.
QJsonObject FindNode(const QJsonObject& node, const std::function<bool(const QJsonObject&)>& match);

}  // namespace platform::sway
