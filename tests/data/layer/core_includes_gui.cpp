// A core file that names a GUI header by its path: core's include root has no editors folder,
// so this must not compile.
#include "common/Reporter.h"
#include "editors/WdgOrv.h"
