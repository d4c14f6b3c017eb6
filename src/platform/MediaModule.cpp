#include "platform/MediaModule.h"
#include "platform/AppPaths.h"
#include "platform/null/NullDeviceChannel.h"
#include "platform/null/NullMoviePlayer.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <QtConcurrent>

namespace yk {

void prepareMediaEnvironment()
{
    // A plugin that probes for Vulkan makes the Vulkan loader map each GPU
    // driver (the software one pulls in a whole compiler: some 45 MiB).
    // Nothing here draws with Vulkan, so point the loader at no driver unless
    // the user chose one.
    if (qEnvironmentVariableIsEmpty("VK_DRIVER_FILES") && qEnvironmentVariableIsEmpty("VK_ICD_FILENAMES"))
        qputenv("VK_DRIVER_FILES", "/nonexistent/yomikaze-uses-no-vulkan.json");
}

namespace {

// The module's factory function `name`, or null with the reason in `why`.
QFunctionPointer resolveInModule(const char* name, QString& why)
{
    const QStringList folders = mediaModuleFolders(QCoreApplication::applicationDirPath());
    for (const QString& folder : std::as_const(folders)) {
        QLibrary module(folder + QStringLiteral("/yomikaze_media"));
        if (QFunctionPointer create = module.resolve(name))
            return create;
        why = module.errorString();
    }
    return nullptr;
}

} // namespace

void preloadMediaModule(QObject* context, std::function<void()> loaded)
{
    QtConcurrent::run([] {
        QString why;
        resolveInModule("yk_create_device_channel", why);
    }).then(context, std::move(loaded));
}

std::unique_ptr<DeviceChannel> loadDeviceChannel()
{
    using Create = DeviceChannel* (*)();
    QString why;
    if (auto create = reinterpret_cast<Create>(resolveInModule("yk_create_device_channel", why)))
        return std::unique_ptr<DeviceChannel>(create());
    qWarning("no sound: the media module could not be loaded (%s)", qPrintable(why));
    return std::make_unique<NullDeviceChannel>();
}

QStringList mediaModuleFolders(const QString& exeDir)
{
    QStringList folders{exeDir, installedModuleFolder(exeDir)};
#ifdef YK_MEDIA_MODULE_DIR
    folders << QStringLiteral(YK_MEDIA_MODULE_DIR);
#endif
    return folders;
}

std::unique_ptr<MoviePlayer> loadMoviePlayer()
{
    using Create = MoviePlayer* (*)();
    QString why;
    if (auto create = reinterpret_cast<Create>(resolveInModule("yk_create_movie_player", why)))
        return std::unique_ptr<MoviePlayer>(create());
    qWarning("no movies: the media module could not be loaded (%s)", qPrintable(why));
    return std::make_unique<NullMoviePlayer>();
}

} // namespace yk
