#pragma once

#include "posix/offthread.h"

#include <QCoreApplication>
#include <QObject>
#include <QPointer>
#include <functional>

// Runs work off the GUI thread (runDetached) and hands its answer to done on the GUI thread,
// through the event loop, unless context is gone by then. Never waits. The handle says when
// the work itself has ended, for an owner whose work uses what it owns and must wait for it.
// done always comes through the event loop, also when the work ran here for want of a thread
// (fallback RunHere), so a caller sees its events in the same order either way.
template<class T>
PendingAnswer<bool> runThenPost(QObject *context, std::function<T()> work,
                                std::function<void(T)> done, WithoutThread fallback)
{
    return PendingAnswer<bool>(
        [guard = QPointer<QObject>(context), work = std::move(work), done = std::move(done)] {
            T value = work();
            if (QCoreApplication *application = QCoreApplication::instance())
                QMetaObject::invokeMethod(
                    application,
                    [guard, done, value = std::move(value)]() mutable {
                        if (guard)
                            done(std::move(value));
                    },
                    Qt::QueuedConnection);
            return true;
        },
        fallback);
}
