// The tag reader over real files of every format, the text rules for tags
// in legacy charsets, the reader's worker and cache, and the late title.

#include "support/AudioFiles.h"
#include "support/Fakes.h"
#include "support/TestUtil.h"

#include <atomic>

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QThread>
#include <gtest/gtest.h>

#include <asffile.h>
#include <flacfile.h>
#include <id3v2tag.h>
#include <mp4file.h>
#include <mpegfile.h>
#include <opusfile.h>
#include <textidentificationframe.h>
#include <vorbisfile.h>

#include "media/Id3Tag.h"
#include "media/NowPlaying.h"
#include "media/TrackInfoReader.h"
#include "media/TrackTags.h"
#include "platform/TextFile.h"

using namespace Qt::Literals::StringLiterals;
using namespace yk;
using namespace yk::tags;
using yk::test::AudioFormat;

namespace {

TagLib::String utf8(const char* s)
{
    return TagLib::String(s, TagLib::String::UTF8);
}

// The same fields in every format, and the album artist in each one's own.
void fill(TagLib::Tag* tag)
{
    tag->setTitle(utf8("風の歌"));
    tag->setArtist("Yomi");
    tag->setAlbum("Sora");
    tag->setGenre("Anime");
    tag->setComment("c");
    tag->setYear(2024);
    tag->setTrack(7);
}

bool writeTags(const QString& path, AudioFormat format)
{
    using namespace TagLib;
    const QByteArray name = QFile::encodeName(path);
    switch (format) {
    case AudioFormat::Mp3: {
        MPEG::File f(name.constData());
        fill(f.ID3v2Tag(true));
        auto* frame = new ID3v2::TextIdentificationFrame("TPE2", String::UTF8);
        frame->setText("V.A.");
        f.ID3v2Tag()->addFrame(frame);
        return f.save(MPEG::File::ID3v2, MPEG::File::StripOthers, ID3v2::v4);
    }
    case AudioFormat::Flac: {
        FLAC::File f(name.constData());
        fill(f.xiphComment(true));
        f.xiphComment()->addField("ALBUMARTIST", "V.A.");
        return f.save();
    }
    case AudioFormat::OggVorbis: {
        Ogg::Vorbis::File f(name.constData());
        fill(f.tag());
        f.tag()->addField("ALBUMARTIST", "V.A.");
        return f.save();
    }
    case AudioFormat::Opus: {
        Ogg::Opus::File f(name.constData());
        fill(f.tag());
        f.tag()->addField("ALBUM ARTIST", "V.A.");
        return f.save();
    }
    case AudioFormat::M4a: {
        MP4::File f(name.constData());
        fill(f.tag());
        f.tag()->setItem("aART", StringList("V.A."));
        return f.save();
    }
    case AudioFormat::Wma: {
        ASF::File f(name.constData());
        fill(f.tag());
        f.tag()->setAttribute("WM/AlbumArtist", String("V.A."));
        return f.save();
    }
    }
    return false;
}

TrackInfo slowInfo(const std::atomic<bool>& open, const QString& title)
{
    // Never forever: a test that fails before opening must still end.
    for (int i = 0; i < 500 && !open; ++i)
        QThread::msleep(10);
    TrackInfo info;
    info.title = title;
    info.artist = QStringLiteral("Yomi");
    info.hasTag = true;
    return info;
}

} // namespace

TEST(TrackTags, EveryFormatGivesItsTagsAndLength)
{
    if (!yk::test::canEncodeAudio())
        GTEST_SKIP() << "no encoders";
    QTemporaryDir dir;
    for (AudioFormat format : {AudioFormat::Mp3, AudioFormat::Flac, AudioFormat::OggVorbis, AudioFormat::Opus,
                               AudioFormat::M4a, AudioFormat::Wma}) {
        const QString path = dir.filePath(QStringLiteral("曲.") + yk::test::audioSuffix(format));
        ASSERT_TRUE(yk::test::writeAudioFile(path, format)) << qPrintable(path);
        ASSERT_TRUE(writeTags(path, format)) << qPrintable(path);
        const std::optional<TrackInfo> info = readTrackInfo(path);
        ASSERT_TRUE(info.has_value()) << qPrintable(path);
        EXPECT_EQ(info->title, QStringLiteral("風の歌")) << qPrintable(path);
        EXPECT_EQ(QStringList({info->artist, info->albumArtist, info->album, info->genre, info->comment}),
                  QStringList({u"Yomi"_s, u"V.A."_s, u"Sora"_s, u"Anime"_s, u"c"_s}))
            << qPrintable(path);
        EXPECT_EQ(info->year, 2024) << qPrintable(path);
        EXPECT_EQ(info->trackNumber, 7) << qPrintable(path);
        EXPECT_GT(info->lengthMs, 50) << qPrintable(path);
        EXPECT_TRUE(info->hasTag);

        // Cut short, or to its first bytes: whatever is left, the read ends.
        const QByteArray whole = yk::test::readBytes(path);
        for (qsizetype keep : {whole.size() / 2, qsizetype(40)}) {
            yk::test::writeBytes(path, whole.left(keep));
            const std::optional<TrackInfo> cut = readTrackInfo(path);
            EXPECT_TRUE(!cut || cut->lengthMs >= 0);
        }
    }
    EXPECT_FALSE(readTrackInfo(dir.filePath(QStringLiteral("gone.mp3"))).has_value());
}

TEST(TrackTags, LegacyCharsetsAndTheVersionOneTagBelowVersionTwo)
{
    if (!yk::test::canEncodeAudio())
        GTEST_SKIP() << "no encoders";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.mp3"));
    ASSERT_TRUE(yk::test::writeAudioFile(path, AudioFormat::Mp3));
    {
        // Frames declared Latin-1 holding Shift-JIS and UTF-8 bytes, in a
        // version 2.3 tag.
        TagLib::MPEG::File f(QFile::encodeName(path).constData());
        const auto latin1Frame = [&](const char* id, const QByteArray& bytes) {
            auto* frame = new TagLib::ID3v2::TextIdentificationFrame(id, TagLib::String::Latin1);
            frame->setText(TagLib::String(TagLib::ByteVector(bytes.constData(), uint(bytes.size())), TagLib::String::Latin1));
            f.ID3v2Tag(true)->addFrame(frame);
        };
        latin1Frame("TIT2", cp932::encode(QStringLiteral("朝の歌")));
        latin1Frame("TALB", QStringLiteral("空").toUtf8());
        ASSERT_TRUE(f.save(TagLib::MPEG::File::ID3v2, TagLib::MPEG::File::StripOthers, TagLib::ID3v2::v3));
    }
    // The tag editor's own version 1 tag under it.
    id3::Tag v1{QStringLiteral("古い題"), QStringLiteral("歌手"), QStringLiteral("古い盤"), QStringLiteral("1999"),
                QStringLiteral("メモ"), 255};
    yk::test::writeBytes(path, yk::test::readBytes(path) + id3::tagBlock(v1));

    const std::optional<TrackInfo> info = readTrackInfo(path);
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->title, QStringLiteral("朝の歌"));
    EXPECT_EQ(info->album, QStringLiteral("空"));
    EXPECT_EQ(info->artist, QStringLiteral("歌手")) << "version 2 has none: version 1's";
    EXPECT_EQ(info->comment, QStringLiteral("メモ"));
    EXPECT_EQ(info->year, 1999);
    EXPECT_EQ(info->genre, QStringLiteral("Anime(J)")) << "the editor's genre list";

    EXPECT_EQ(decodeLatin1Frame("Kaze 01"), QStringLiteral("Kaze 01"));
    EXPECT_EQ(decodeLatin1Frame("Caf\xE9 \xE0 la"), QStringLiteral("Café à la")) << "no CP932 reading: Latin-1";
    EXPECT_EQ(decodeLatin1Frame("\x83\x65\x83\x58\x83\x67"), QStringLiteral("テスト"));
}

TEST(TrackInfoReader, KeepsAnswersUntilTheFileChangesAndWaitsOnlyBriefly)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.mp3"));
    yk::test::writeBytes(path, "one");
    std::atomic<int> reads = 0;
    std::atomic<bool> slow = false;
    std::atomic<bool> open = false;
    TrackInfoReader reader([&](const QString& p) {
        ++reads;
        if (slow)
            return std::optional(slowInfo(open, u"slow"_s));
        TrackInfo info;
        info.title = QString::fromUtf8(yk::test::readBytes(p));
        return std::optional(info);
    });
    EXPECT_EQ(reader.lookup(path, true).info->title, u"one"_s);
    EXPECT_EQ(reader.lookup(path, true).info->title, u"one"_s);
    EXPECT_EQ(reads, 1) << "kept";
    EXPECT_TRUE(reader.lookup(dir.filePath(u"gone.mp3"_s), true).known) << "nothing to read";

    yk::test::writeBytes(path, "three");
    slow = true;
    QSignalSpy finished(&reader, &TrackInfoReader::finished);
    QElapsedTimer waited;
    waited.start();
    EXPECT_FALSE(reader.lookup(path, true).known);
    EXPECT_FALSE(reader.lookup(path, true).known);
    EXPECT_LT(waited.elapsed(), 2 * TrackInfoReader::kWaitMs) << "one wait for both lookups";
    open = true;
    ASSERT_TRUE(yk::test::spinUntil([&] { return reader.lookup(path).known; }));
    EXPECT_EQ(finished.last().at(0).toString(), path);
    EXPECT_EQ(reader.lookup(path).info->title, u"slow"_s);
    EXPECT_EQ(reads, 2);
}

TEST(NowPlaying, ALateReadNamesAndAnnouncesOnlyTheCurrentTrackAndReportsAnUnheardOne)
{
    QTemporaryDir dir;
    const QString a = dir.filePath(u"a.flac"_s);
    const QString b = dir.filePath(u"b.flac"_s);
    yk::test::writeBytes(a, "a");
    yk::test::writeBytes(b, "b");
    std::atomic<bool> open = false;
    TrackInfoReader reader([&](const QString& p) { return slowInfo(open, QFileInfo(p).baseName().toUpper()); });
    yk::test::FakeMascot mascot;
    mascot.present = false;
    NowPlaying now(mascot, reader);
    QString current = a;
    now.setCurrentTrack([&] { return current; });
    QSignalSpy arrived(&now, &NowPlaying::titleArrived);
    QSignalSpy unheard(&now, &NowPlaying::unheard);

    EXPECT_EQ(now.titleFor(a, true), u"a"_s) << "the file name while its tags are read";
    current = b; // the player moved on before a's tags came
    EXPECT_EQ(now.titleFor(b, true), u"b"_s);
    open = true;
    ASSERT_TRUE(unheard.wait());
    EXPECT_EQ(arrived.size(), 1);
    EXPECT_EQ(arrived.at(0), QVariantList({b, u"B"_s}));
    EXPECT_EQ(unheard.at(0), QVariantList({b, u"B"_s, u"Yomi"_s}));
    EXPECT_FALSE(unheard.wait(100)) << "a's announcement was dropped";
}
