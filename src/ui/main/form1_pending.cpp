// Handlers whose features are still being built. Each moves to its own file
// when its feature lands.

#include "ui/main/form1.h"

