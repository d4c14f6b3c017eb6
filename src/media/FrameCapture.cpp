#include "media/FrameCapture.h"

#include <algorithm>

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include "media/MediaFormats.h"

namespace yk::capture {

namespace {

// A hundred thousand captures of one movie is full: better an error
// than a search that never ends on a damaged file system.
constexpr int kMostCaptures = 100000;

} // namespace

QString fileNameFor(int n, const QString& moviePath)
{
    return QStringLiteral("%1").arg(n, 4, 10, QLatin1Char('0')) + withoutMediaSuffix(QFileInfo(moviePath).fileName())
        + QStringLiteral(".bmp");
}

QString nextFreePath(const QString& folder, const QString& moviePath)
{
    const QDir dir(folder);
    for (int n = 0; n < kMostCaptures; ++n) {
        const QString path = dir.filePath(fileNameFor(n, moviePath));
        if (!QFileInfo::exists(path))
            return path;
    }
    return {};
}

Result saveFrame(const QImage& frame, const QString& folder, const QString& moviePath)
{
    if (frame.isNull())
        return {false, {}, QStringLiteral("キャプチャ失敗: 画像がありません")};
    if (!QDir().mkpath(folder))
        return {false, {}, QStringLiteral("キャプチャ失敗: フォルダを作れません")};
    const QString path = nextFreePath(folder, moviePath);
    if (path.isEmpty())
        return {false, {}, QStringLiteral("キャプチャ失敗: 空き番号がありません")};

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {false, {}, QStringLiteral("キャプチャ失敗: 書き込めません")};
    // Bitmaps carry no alpha for most viewers: the frame as plain RGB.
    if (!frame.convertToFormat(QImage::Format_RGB888).save(&file, "BMP")) {
        file.cancelWriting();
        return {false, {}, QStringLiteral("キャプチャ失敗: 書き込めません")};
    }
    if (!file.commit())
        return {false, {}, QStringLiteral("キャプチャ失敗: 書き込めません")};
    return {true, path, {}};
}

} // namespace yk::capture
