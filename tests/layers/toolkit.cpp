// Layer probe: a toolkit header, which the toolkit-free libraries may not include.
#include <QString>
