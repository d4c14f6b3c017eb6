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
    QMetaObject::invokeMethod(
        g_context, [] { QThread::currentThread()->quit(); }, Qt::QueuedConnection);
    g_thread->wait();
    delete g_context;
    delete g_thread;
    g_context = nullptr;
    g_thread = nullptr;
}

// Where a decoder of the codec's own library exists beside libav's, the
// own one is taken: loading libav's plugin maps FFmpeg with every codec and
// filter library it links (x265, flite, librsvg, ...), some 20 MiB, to play
// an MP3. Movies still decode through libav, which is what they need.
void preferLeanDecoders()
{
    GstRegistry* registry = gst_registry_get();
    for (const char* name : { "mpg123audiodec", "faad" }) {
        if (GstPluginFeature* feature = gst_registry_lookup_feature(registry, name)) {
            gst_plugin_feature_set_rank(feature, GST_RANK_PRIMARY + 1);
            gst_object_unref(feature);
        }
    }
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
    QMetaObject::invokeMethod(
        g_context,
        [] {
            gst_init(nullptr, nullptr);
            preferLeanDecoders();
        },
        Qt::QueuedConnection);
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
