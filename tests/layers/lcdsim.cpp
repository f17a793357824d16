// Layer probe: the controller model, which only its own library and the desktop program see.
#include "lcdsim/lcd_controller.h"
