#pragma once

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <functional>
#include <system_error>
#include <thread>

// Runs work on a thread of its own and hands its answer to done on the GUI thread, unless
// context is gone by then. A detached thread rather than a pool's: one stuck in the kernel
// (a volume that stopped answering) must not hold back the program's exit. Without a thread
// to be had the work runs here.
template<class T>
void answerLater(QObject *context, std::function<T()> work, std::function<void(T)> done)
{
    auto post = [guard = QPointer<QObject>(context), done](T answer) mutable {
        QCoreApplication *application = QCoreApplication::instance();
        if (!application)
            return;
        QMetaObject::invokeMethod(
            application,
            [guard, done = std::move(done), answer = std::move(answer)]() mutable {
                if (guard)
                    done(std::move(answer));
            },
            Qt::QueuedConnection);
    };
    try {
        std::thread([work, post]() mutable { post(work()); }).detach();
    } catch (const std::system_error &) {
        post(work());
    }
}
