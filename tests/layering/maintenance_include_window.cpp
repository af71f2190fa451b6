// The maintenance file library reaching into a window: must not build.
#include "shell/displayrecord.h"
