// Layer probe: a header of the font library, which the picture core may not include.
#include "fonts/text_render.h"
