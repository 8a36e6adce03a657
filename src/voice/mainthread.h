#pragma once

#include <QCoreApplication>
#include <QMetaObject>

#include <utility>

namespace vexa::voice {

// Runs `work` on the main thread's event loop, from any thread. The application object is the
// context, so it lives as long as there is a loop to run it; `work` checks its own targets.
template <typename Work>
void postToMainThread(Work work)
{
    if (QCoreApplication *app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, std::move(work), Qt::QueuedConnection);
}

} // namespace vexa::voice
