// The tag reader over real files of every format, tags in legacy charsets,
// and the reader's worker and what it keeps.

#include "support/AudioFiles.h"
#include "support/TestUtil.h"

#include <atomic>

#include <QElapsedTimer>
#include <QThread>

#include <id3v2tag.h>
#include <mpegfile.h>
#include <textidentificationframe.h>

#include "media/Id3Tag.h"
#include "media/TrackInfoReader.h"
#include "platform/TextFile.h"

using namespace Qt::Literals::StringLiterals;
using namespace yk;
using namespace yk::tags;
using yk::test::AudioFormat;

TEST(TrackTags, EveryFormatGivesItsTagsAndLength)
{
    if (!yk::test::canEncodeAudio())
        GTEST_SKIP() << "no encoders";
    QTemporaryDir dir;
    for (AudioFormat format : {AudioFormat::Mp3, AudioFormat::Flac, AudioFormat::OggVorbis, AudioFormat::Opus,
                               AudioFormat::M4a, AudioFormat::Wma}) {
        const QString path = dir.filePath(u"曲."_s + yk::test::audioSuffix(format));
        ASSERT_TRUE(yk::test::writeAudioFile(path, format));
        ASSERT_TRUE(yk::test::writeTags(path, {{"TITLE", "風の歌"}, {"ARTIST", "Yomi"}, {"ALBUMARTIST", "V.A."},
                                               {"ALBUM", "Sora"}, {"GENRE", "Anime"}, {"COMMENT", "c"},
                                               {"DATE", "2024"}, {"TRACKNUMBER", "7"}}));
        const TrackInfo info = readTrackInfo(path).value_or(TrackInfo{});
        EXPECT_EQ(QStringList({info.title, info.artist, info.albumArtist, info.album, info.genre, info.comment}),
                  QStringList({u"風の歌"_s, u"Yomi"_s, u"V.A."_s, u"Sora"_s, u"Anime"_s, u"c"_s}))
            << qPrintable(path);
        EXPECT_EQ(info.year * 100 + info.trackNumber, 202407) << qPrintable(path);
        EXPECT_GT(info.lengthMs, 50) << qPrintable(path);
    }
    EXPECT_FALSE(readTrackInfo(dir.filePath(u"gone.mp3"_s)).has_value());
}

TEST(TrackTags, LegacyCharsetsAndTheVersionOneTagBelowVersionTwo)
{
    if (!yk::test::canEncodeAudio())
        GTEST_SKIP() << "no encoders";
    QTemporaryDir dir;
    const QString path = dir.filePath(u"a.mp3"_s);
    ASSERT_TRUE(yk::test::writeAudioFile(path, AudioFormat::Mp3));
    {
        // Frames declared Latin-1 holding Shift-JIS and UTF-8, in version 2.3.
        TagLib::MPEG::File f(QFile::encodeName(path).constData());
        const auto latin1Frame = [&](const char* id, const QByteArray& bytes) {
            auto* frame = new TagLib::ID3v2::TextIdentificationFrame(id, TagLib::String::Latin1);
            frame->setText(TagLib::String(TagLib::ByteVector(bytes.constData(), uint(bytes.size())), TagLib::String::Latin1));
            f.ID3v2Tag(true)->addFrame(frame);
        };
        latin1Frame("TIT2", cp932::encode(u"朝の歌"_s));
        latin1Frame("TALB", u"空"_s.toUtf8());
        ASSERT_TRUE(f.save(TagLib::MPEG::File::ID3v2, TagLib::MPEG::File::StripOthers, TagLib::ID3v2::v3));
    }
    // The tag editor's own version 1 tag at the end.
    const id3::Tag v1{u"古い題"_s, u"歌手"_s, u"古い盤"_s, u"1999"_s, u"メモ"_s, 255};
    yk::test::writeBytes(path, yk::test::readBytes(path) + id3::tagBlock(v1));

    const TrackInfo info = readTrackInfo(path).value_or(TrackInfo{});
    EXPECT_EQ(QStringList({info.title, info.album}), QStringList({u"朝の歌"_s, u"空"_s})) << "version 2 first";
    EXPECT_EQ(QStringList({info.artist, info.comment}), QStringList({u"歌手"_s, u"メモ"_s})) << "then version 1";
    EXPECT_EQ(info.genre, u"Anime(J)"_s) << "the editor's genre list";

    EXPECT_EQ(decodeLatin1Frame("Kaze 01"), u"Kaze 01"_s);
    EXPECT_EQ(decodeLatin1Frame("Caf\xE9 \xE0 la"), u"Café à la"_s) << "no CP932 reading: Latin-1";
    EXPECT_EQ(decodeLatin1Frame("\x83\x65\x83\x58\x83\x67"), u"テスト"_s);
}

TEST(TrackInfoReader, KeepsAnswersUntilTheFileChangesAndWaitsOnlyBriefly)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"a.mp3"_s);
    yk::test::writeBytes(path, "one");
    std::atomic<int> reads = 0;
    std::atomic<bool> open = true;
    TrackInfoReader reader([&](const QString& p) {
        for (++reads; !open;)
            QThread::msleep(10);
        TrackInfo info;
        info.title = QString::fromUtf8(yk::test::readBytes(p));
        return std::optional(info);
    });
    EXPECT_EQ(reader.lookup(path, true).info->title, u"one"_s);
    EXPECT_EQ(reader.lookup(path, true).info->title, u"one"_s);
    EXPECT_EQ(reads, 1) << "kept";

    yk::test::writeBytes(path, "three");
    open = false;
    QElapsedTimer waited;
    waited.start();
    EXPECT_FALSE(reader.lookup(path, true).known);
    EXPECT_FALSE(reader.lookup(path, true).known);
    EXPECT_LT(waited.elapsed(), 2 * TrackInfoReader::kWaitMs) << "one wait for both lookups";
    open = true;
    ASSERT_TRUE(yk::test::spinUntil([&] { return reader.lookup(path).known; }));
    EXPECT_EQ(reader.lookup(path).info->title, u"three"_s);
    EXPECT_EQ(reads, 2);
}
