#include "platform/gstreamer/EngineThread.h"

#include <QCoreApplication>
#include <QThread>

#include <gst/gst.h>

namespace yk::gst {

namespace {

QThread* g_thread = nullptr;
QObject* g_context = nullptr;

void stopThread()
{
    if (!g_thread)
        return;
    // Queued behind the work already posted: pipelines let go first.
    QMetaObject::invokeMethod(g_context, [] { QThread::currentThread()->quit(); }, Qt::QueuedConnection);
    g_thread->wait();
    delete g_context;
    delete g_thread;
    g_context = nullptr;
    g_thread = nullptr;
}

} // namespace

void EngineThread::start()
{
    if (g_thread)
        return;
    g_thread = new QThread;
    g_thread->setObjectName(QStringLiteral("media engine"));
    g_context = new QObject;
    g_context->moveToThread(g_thread);
    g_thread->start();
    QMetaObject::invokeMethod(g_context, [] { gst_init(nullptr, nullptr); }, Qt::QueuedConnection);
    if (QCoreApplication::instance())
        qAddPostRoutine(stopThread);
}

QThread* EngineThread::thread()
{
    start();
    return g_thread;
}

void EngineThread::post(std::function<void()> work)
{
    start();
    QMetaObject::invokeMethod(g_context, std::move(work), Qt::QueuedConnection);
}

} // namespace yk::gst
