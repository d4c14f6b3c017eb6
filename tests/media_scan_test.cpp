#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "media/MediaScan.h"

using namespace yk;

namespace {
void touch(const QString& path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}
} // namespace

TEST(MediaScan, ClassicTailsAndModernEndingsDecide)
{
    for (const char* yes : {"a.MP3", "x.mpeg", "b.midi", "c.mpv2", "d.mp2v", "e.wav", "f.WMV", "runpeg", "clip.mpg",
                            "g.FLAC", "h.opus", "i.wv", "j.webm", "k.m4a"})
        EXPECT_TRUE(isMediaFileName(QString::fromLatin1(yes))) << yes;
    for (const char* no : {"b.txt", "x.jpeg", "X.JPEG", "c.flacx", ".flac", "mp", "", "folder.mp3/readme"})
        EXPECT_FALSE(isMediaFileName(QString::fromLatin1(no))) << no;
    EXPECT_EQ(mediaKind(u"a.ogg"), MediaKind::Sound);
    EXPECT_EQ(mediaKind(u"a.mkv"), MediaKind::Movie);
    EXPECT_EQ(mediaKind(u"a.avi"), MediaKind::Movie);
    EXPECT_EQ(withoutMediaSuffix(QStringLiteral("/m/Song.Flac")), QStringLiteral("Song"));
    EXPECT_EQ(withoutMediaSuffix(QStringLiteral("/m/song.midi")), QStringLiteral("song."));
}

TEST(MediaScan, FolderFilesComeBeforeSubfoldersDepthFirst)
{
    QTemporaryDir dir;
    const QString d = dir.path();
    touch(d + QStringLiteral("/a.MP3"));
    touch(d + QStringLiteral("/b.txt"));
    touch(d + QStringLiteral("/sub/c.mid"));
    touch(d + QStringLiteral("/sub/deeper/e.wav"));
    touch(d + QStringLiteral("/sub2/f.wav"));
    touch(d + QStringLiteral("/z.wav"));
    touch(d + QStringLiteral("/.hidden.wav"));
    EXPECT_EQ(scanMediaPath(d),
              (QStringList{d + QStringLiteral("/.hidden.wav"), d + QStringLiteral("/a.MP3"), d + QStringLiteral("/z.wav"),
                           d + QStringLiteral("/sub/c.mid"), d + QStringLiteral("/sub/deeper/e.wav"),
                           d + QStringLiteral("/sub2/f.wav")}));
    EXPECT_EQ(scanMediaPath(d + QStringLiteral("/a.MP3")), QStringList{d + QStringLiteral("/a.MP3")});
    EXPECT_TRUE(scanMediaPath(d + QStringLiteral("/b.txt")).isEmpty());
    EXPECT_TRUE(scanMediaPath(d + QStringLiteral("/missing")).isEmpty());
}

TEST(MediaScan, AsynchronousScansArriveInRequestOrderAndCancelDropsThem)
{
    QTemporaryDir dir;
    const QString d = dir.path();
    for (int i = 0; i < 300; ++i)
        touch(d + QStringLiteral("/big/%1/x.wav").arg(i, 3, 10, QLatin1Char('0')));
    touch(d + QStringLiteral("/small/y.wav"));

    MediaScanner scanner;
    QStringList order;
    QObject::connect(&scanner, &MediaScanner::scanned, [&](const QString& path, const QStringList& e) {
        order.append(path + u':' + QString::number(e.size()));
    });
    QSignalSpy idle(&scanner, &MediaScanner::idle);
    scanner.scan(d + QStringLiteral("/big"));
    scanner.scan(d + QStringLiteral("/small"));
    EXPECT_TRUE(scanner.isBusy());
    ASSERT_TRUE(idle.wait(10000));
    EXPECT_EQ(order, (QStringList{d + QStringLiteral("/big:300"), d + QStringLiteral("/small:1")}));

    order.clear();
    scanner.scan(d + QStringLiteral("/big"));
    scanner.scan(d + QStringLiteral("/small"));
    scanner.cancelAll();
    ASSERT_TRUE(idle.wait(10000));
    EXPECT_TRUE(order.isEmpty());
}
