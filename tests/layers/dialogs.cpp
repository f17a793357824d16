// Layer probe: a window of the desktop program, which only the desktop library may include.
#include "dialogs/viewer.h"
