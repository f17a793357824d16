// Layer probe: the serial download, which the stream and the cores below it may not include.
#include "download/pacer.h"
