// The maintenance file library with what it links: the engine, the reading
// type and the pick-list stores.
#include "entry/picklist.h"
#include "maintenance/files.h"
#include "platform/dao/dao.h"
#include "shell/reading.h"
