// Layer probe: the command stream, which the picture core may not include.
#include "download/stream/command_stream.h"
