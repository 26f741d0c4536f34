#include "platform/ThreadPriority.h"

#include <QtGlobal>

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#endif

void GiveWayToWindow()
{
#ifdef Q_OS_LINUX
    setpriority(PRIO_PROCESS, 0, 10); // on Linux, 0 is this thread alone
#endif
}
