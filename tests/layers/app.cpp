// Layer probe: the main window, which only the desktop library may include.
#include "app/lcd_form.h"
