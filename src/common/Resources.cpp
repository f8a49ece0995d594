#include "common/Resources.h"

#include <QtGlobal>

static void initCoreResourcesImpl()
{
    Q_INIT_RESOURCE(core);
}

void initCoreResources()
{
    static bool done = false;
    if (!done) {
        done = true;
        initCoreResourcesImpl();
    }
}
