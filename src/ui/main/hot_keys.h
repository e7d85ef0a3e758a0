#pragma once
// The text of the HotKeys message.

#include <QString>
#include <QStringList>

namespace hot_keys {

// The three lines that describe the keys, and when some combinations could
// not be claimed, a fourth that names them.
QString MessageText(const QStringList& unclaimed);

}  // namespace hot_keys
