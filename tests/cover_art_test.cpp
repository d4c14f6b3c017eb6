// Cover pictures: which picture a track has, the cache of one file per album
// under a size cap, a big cover kept off the UI thread, the now-playing notice.

#include "support/AppHarness.h"
#include "support/AudioFiles.h"
#include "support/TestUtil.h"

#include "media/CoverArt.h"
#include "media/NowPlayingNotice.h"
#include "platform/DesktopNotifier.h"

#include <sys/stat.h>

#include <QCryptographicHash>

#include <attachedpictureframe.h>
#include <flacfile.h>
#include <id3v2tag.h>
#include <mp4file.h>
#include <mpegfile.h>

using namespace yk;
using yk::test::AudioFormat;

namespace {

// Bytes that start as a JPEG or a PNG does; nothing here decodes them.
QByteArray jpeg(char fill, qsizetype size = 200)
{
    return QByteArray("\xFF\xD8\xFF", 3) + QByteArray(size - 3, fill);
}
QByteArray png(char fill, qsizetype size = 200)
{
    return QByteArray("\x89PNG\r\n\x1A\n", 8) + QByteArray(size - 8, fill);
}

struct Notices final : DesktopNotifier
{
    QStringList sent;
    void notify(const QString& s, const QString& b, const QString& p) override { sent << s + u'|' + b + u'|' + p; }
};

class CoverArtTest : public ::testing::Test
{
protected:
    // A tone with `cover` embedded; in an MP3 a back cover comes first.
    QString track(const char* name, AudioFormat format, const QByteArray& cover)
    {
        const QString path = music.filePath(QString::fromLatin1(name) + u'.' + yk::test::audioSuffix(format));
        EXPECT_TRUE(yk::test::writeAudioFile(path, format));
        const QByteArray file = QFile::encodeName(path);
        const auto bytes = [](const QByteArray& b) { return TagLib::ByteVector(b.constData(), uint(b.size())); };
        if (format == AudioFormat::Mp3) {
            TagLib::MPEG::File mp3(file.constData());
            for (const QByteArray& b : {png('k'), cover}) {
                auto* frame = new TagLib::ID3v2::AttachedPictureFrame;
                frame->setType(b == cover ? frame->FrontCover : frame->BackCover);
                frame->setPicture(bytes(b));
                mp3.ID3v2Tag(true)->addFrame(frame);
            }
            EXPECT_TRUE(mp3.save());
        } else if (format == AudioFormat::Flac) {
            TagLib::FLAC::File flac(file.constData());
            flac.addPicture(new TagLib::FLAC::Picture);
            flac.pictureList().front()->setData(bytes(cover));
            EXPECT_TRUE(flac.save());
        } else {
            TagLib::MP4::File mp4(file.constData());
            const TagLib::MP4::CoverArt covr(TagLib::MP4::CoverArt::JPEG, bytes(cover));
            mp4.tag()->setItem("covr", TagLib::MP4::CoverArtList().append(covr));
            EXPECT_TRUE(mp4.save());
        }
        return path;
    }
    QString answer(const QString& path)
    {
        QSignalSpy spy(&art, &CoverArt::found);
        art.request(path);
        EXPECT_TRUE(yk::test::spinUntil([&] { return !spy.isEmpty(); }, 10000));
        return spy.value(0).value(0) == path ? spy.value(0).value(1).toString() : QStringLiteral("?");
    }
    QString cachedAs(const QByteArray& bytes, const char* suffix) const
    {
        const QByteArray hash = QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex();
        return QDir(cache.path()).filePath(QString::fromLatin1(hash + '.' + suffix));
    }
    QTemporaryDir music;
    QTemporaryDir cache;
    CoverArt art{cache.path(), 1000};
};

} // namespace

TEST_F(CoverArtTest, EmbeddedCoversAreCachedOncePerAlbumAndTheLeastRecentlyUsedLeaveFirst)
{
    if (!yk::test::canEncodeAudio())
        GTEST_SKIP() << "no encoder for the test tones";
    yk::test::touch(music.filePath(QStringLiteral("cover.jpg")), jpeg('f'));
    const QString cached = answer(track("a", AudioFormat::Mp3, jpeg('a')));
    EXPECT_EQ(cached, cachedAs(jpeg('a'), "jpg")) << "the front cover, before the folder's picture";
    EXPECT_EQ(answer(track("b", AudioFormat::Flac, png('b'))), cachedAs(png('b'), "png"));
    QTest::qWait(20); // times a file system tells apart

    // Another track of the album: the file is used again, not written again.
    struct stat before = {}, after = {};
    stat(QFile::encodeName(cached).constData(), &before);
    const QString c = track("c", AudioFormat::M4a, jpeg('a'));
    EXPECT_EQ(answer(c), cached);
    EXPECT_TRUE(stat(QFile::encodeName(cached).constData(), &after) == 0 && after.st_ino == before.st_ino);
    QSignalSpy again(&art, &CoverArt::found);
    art.request(c);
    EXPECT_EQ(again.count(), 1) << "a repeat is answered at once";
    // Past the cap the picture used least recently goes: b's, as c used a's.
    EXPECT_EQ(answer(track("d", AudioFormat::Flac, png('d', 700))), cachedAs(png('d', 700), "png"));
    EXPECT_EQ(QDir(cache.path()).entryList(QDir::Files).size(), 2);
    EXPECT_EQ(yk::test::readBytes(cached), jpeg('a'));
}

TEST_F(CoverArtTest, TheNowPlayingNoticeCarriesTheCoverOrGoesWithoutItAfterAWhile)
{
    if (!yk::test::canEncodeAudio())
        GTEST_SKIP() << "no encoder for the test tones";
    Notices notices;
    NowPlayingNotice notice(notices, art);
    notice.show(track("1", AudioFormat::Flac, png('c')), QStringLiteral("Ame"), {}); // skipped at once
    notice.show(track("2", AudioFormat::Flac, png('c')), QStringLiteral("Kaze"), QStringLiteral("Yomi"));
    ASSERT_TRUE(yk::test::spinUntil([&] { return !notices.sent.isEmpty(); }));
    EXPECT_EQ(notices.sent, QStringList{QStringLiteral("♪ Kaze|Yomi|") + cachedAs(png('c'), "png")});

    // 20 MiB (more than a FLAC block holds): neither the notice nor the UI waits.
    NowPlayingNotice impatient(notices, art, 1);
    QSignalSpy found(&art, &CoverArt::found);
    impatient.show(track("big", AudioFormat::Mp3, png('g', 20 << 20)), {}, {});
    EXPECT_TRUE(found.isEmpty()) << "read on the worker";
    ASSERT_TRUE(found.wait(9000));
    EXPECT_EQ(QFileInfo(found.value(0).value(1).toString()).size(), 20 << 20);
    EXPECT_EQ(notices.sent.value(1), QStringLiteral("♪ big||")) << "no title, no picture";
    EXPECT_EQ(notices.sent.size(), 2) << "and nothing more when the picture came";
}
