#include "shell/StartUpFiles.h"

#include <QDir>
#include <QFileInfo>

#include "shell/HelpFiles.h"
#include "skin/DefaultSkin.h"

namespace yk {

bool makeDataFolders(const AppPaths& paths)
{
    const QDir root(paths.myPath());
    const bool firstStart = !root.exists(QStringLiteral("System"));
    for (const QString& f : {QStringLiteral("System"), QStringLiteral("wav"), QStringLiteral("img")}) {
        if (!root.exists(f))
            root.mkpath(f);
    }
    // The first start brings our own skin and sounds; after that they are the
    // user's to replace or delete.
    if (firstStart) {
        const DefaultSkinResult r = writeDefaultSkin(paths);
        for (const QString& f : r.failed)
            qWarning("could not write %s", qPrintable(f));
        if (!writeHelpFiles(paths))
            qWarning("could not write the help files");
    }
    return firstStart;
}

QString greetingScript(const AppPaths& paths)
{
    const QDir root(paths.myPath());
    if (!root.exists(QStringLiteral("txt"))) {
        root.mkpath(QStringLiteral("txt"));
        return QStringLiteral("\\t\\h\\s[0]まずは右クリックして色々設定してみてね♪\\e");
    }
    return QStringLiteral("\\t\\h\\s[0]Yomikazeが起動しました♪\\e");
}

SkinMarks loadSkinMarks(const AppPaths& paths)
{
    auto picture = [&paths](QStringView rel) {
        const QString path = paths.file(rel);
        return QFileInfo::exists(path) ? QPixmap(path) : QPixmap();
    };
    return {picture(u"System/Day.gif"), picture(u"System/Day_Bar.gif"), picture(u"System/Day_Bar2.gif")};
}

std::optional<OpeningSound> findOpeningSound(const AppPaths& paths)
{
    const QString wav = paths.file(u"wav/Opening.wav");
    if (QFileInfo::exists(wav))
        return OpeningSound{QStringLiteral("WaveAudio"), wav};
    const QString mp3 = paths.file(u"wav/Opening.mp3");
    if (QFileInfo::exists(mp3))
        return OpeningSound{QStringLiteral("MpegVideo"), mp3};
    return std::nullopt;
}

} // namespace yk
