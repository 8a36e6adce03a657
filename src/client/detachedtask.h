#pragma once

#include <QCoro/QCoroTask>

namespace vexa {

// Starts a coroutine and lets it finish on its own: the screen commands fire and forget, and
// the task's frame frees itself when the coroutine ends.
template <typename T>
inline void detach(QCoro::Task<T> task)
{
    Q_UNUSED(task);
}

} // namespace vexa
