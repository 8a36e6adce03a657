#include "offthread.h"

namespace vexa::offthread {

namespace detail {
QAtomicInt &counter()
{
    static QAtomicInt count;
    return count;
}
} // namespace detail

int inFlight()
{
    return detail::counter().loadAcquire();
}

} // namespace vexa::offthread
