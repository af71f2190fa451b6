// A report library reaching into the charts: must not build.
#include "charts/window/chart_window.h"
