#pragma once

#include <QMetaObject>
#include <QObject>
#include <QThread>

#include <type_traits>

namespace mvx::ui {

// Runs call on the thread of context (the window's thread) and returns its
// result; a call from that thread runs at once, a call from a worker waits.
template <typename Call>
auto onThreadOf(QObject* context, Call call) -> decltype(call())
{
    using Result = decltype(call());
    if (QThread::currentThread() == context->thread())
        return call();
    if constexpr (std::is_void_v<Result>) {
        QMetaObject::invokeMethod(context, call, Qt::BlockingQueuedConnection);
    } else {
        Result result{};
        QMetaObject::invokeMethod(context, [&] { result = call(); }, Qt::BlockingQueuedConnection);
        return result;
    }
}

// Posts call to the thread of context without waiting (progress updates).
template <typename Call>
void postTo(QObject* context, Call call)
{
    QMetaObject::invokeMethod(context, std::move(call), Qt::QueuedConnection);
}

} // namespace mvx::ui
