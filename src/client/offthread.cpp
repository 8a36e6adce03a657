#include "offthread.h"

#include <QGlobalStatic>

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace vexa::offthread {

namespace {
Q_GLOBAL_STATIC(QThreadPool, clientPool)
} // namespace

namespace detail {
QAtomicInt &counter()
{
    static QAtomicInt count;
    return count;
}

void lowerThisThreadsPriority()
{
#ifdef Q_OS_LINUX
    // Linux keeps a nice value per thread; a thread may lower its own priority but never raise
    // it again, which is why this pool is the client's alone.
    static thread_local bool lowered = false;
    if (!lowered) {
        setpriority(PRIO_PROCESS, id_t(gettid()), 5);
        lowered = true;
    }
#endif
}
} // namespace detail

int inFlight()
{
    return detail::counter().loadAcquire();
}

QThreadPool *pool()
{
    return clientPool();
}

} // namespace vexa::offthread
