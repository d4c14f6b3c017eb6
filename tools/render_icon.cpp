// Writes the program's icon as PNG files for the desktop's icon theme:
// <out>/<n>x<n>/apps/yomikaze.png for each size given. Run at build time,
// so the installed icons are always the picture the program draws itself.

#include <cstdio>

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <QSaveFile>

#include "ui/AppIcon.h"

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() < 3) {
        std::fputs("usage: yk_render_icon <output folder> <size>...\n", stderr);
        return 2;
    }
    for (qsizetype i = 2; i < args.size(); ++i) {
        bool ok = false;
        const int side = args[i].toInt(&ok);
        if (!ok || side <= 0) {
            std::fprintf(stderr, "yk_render_icon: not a size: %s\n", qPrintable(args[i]));
            return 2;
        }
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(args[1]).arg(side);
        const QString file = folder + QStringLiteral("/yomikaze.png");
        // A build stopped half-way never leaves a cut-off picture behind.
        QSaveFile out(file);
        if (!QDir().mkpath(folder) || !out.open(QIODevice::WriteOnly)
            || !yk::appIconPixmap(side).toImage().save(&out, "PNG") || !out.commit()) {
            std::fprintf(stderr, "yk_render_icon: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
