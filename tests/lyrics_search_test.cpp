// Where a track's lyrics file is found: beside the track, then in the
// lyrics folder tree, with the order in which finds replace each other.

#include <atomic>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <taglib/fileref.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/synchronizedlyricsframe.h>
#include <taglib/tpropertymap.h>

#include "media/EmbeddedLyrics.h"
#include "media/LyricsSearch.h"
#include "media/LyricsText.h"
#include "support/AudioFiles.h"

namespace ls = yk::lyricssearch;

namespace {

struct Tree
{
    QTemporaryDir dir;

    QString path(const QString& rel) const { return dir.path() + u'/' + rel; }
    QString make(const QString& rel) const
    {
        const QString p = path(rel);
        QDir().mkpath(QFileInfo(p).path());
        QFile f(p);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly)) << qPrintable(p);
        f.write("[00:01]x\r\n");
        return p;
    }
    void folder(const QString& rel) const { QDir().mkpath(path(rel)); }
};

} // namespace

TEST(LyricsSearch, NamesComeFromTheTrackPathLessItsEnding)
{
    EXPECT_EQ(ls::besideCandidate(QStringLiteral("/m/song.mp3")), QStringLiteral("/m/song.txt"));
    EXPECT_EQ(ls::wantedName(QStringLiteral("/m/song.mp3")), QStringLiteral("song.txt"));
    // Four and three characters, whatever the extension's length.
    EXPECT_EQ(ls::besideCandidate(QStringLiteral("/m/song.mpeg")), QStringLiteral("/m/song..txt"));
    EXPECT_EQ(ls::wantedName(QStringLiteral("/m/song.mpeg")), QStringLiteral("song.mtxt"));
    EXPECT_EQ(ls::wantedName(QStringLiteral("/m/a.wa")), QStringLiteral("atxt"));
    // LRC files are named after the track less its extension.
    EXPECT_EQ(ls::wantedLrcName(QStringLiteral("/m/song.mpeg")), QStringLiteral("song.lrc"));
}

TEST(LyricsSearch, FileBesideTheTrackWinsWithoutLookingInTheFolder)
{
    Tree t;
    const QString beside = t.make(QStringLiteral("m/song.txt"));
    t.make(QStringLiteral("lyrics/song.txt"));
    EXPECT_EQ(ls::findLyricsFile(t.path(QStringLiteral("m/song.mp3")), t.path(QStringLiteral("lyrics"))), beside);
}

TEST(LyricsSearch, FolderIsSearchedWhenNothingIsBeside)
{
    Tree t;
    t.folder(QStringLiteral("m"));
    t.make(QStringLiteral("lyrics/readme.txt"));
    const QString found = t.make(QStringLiteral("lyrics/artist/album/song.txt"));
    EXPECT_EQ(ls::findLyricsFile(t.path(QStringLiteral("m/song.mp3")), t.path(QStringLiteral("lyrics"))), found);
    // A folder setting with a trailing separator is the same folder.
    EXPECT_EQ(ls::findLyricsFile(t.path(QStringLiteral("m/song.mp3")), t.path(QStringLiteral("lyrics/"))), found);
    EXPECT_EQ(ls::findLyricsFile(t.path(QStringLiteral("m/other.mp3")), t.path(QStringLiteral("lyrics"))), QString());
    EXPECT_EQ(ls::findLyricsFile(t.path(QStringLiteral("m/song.mp3")), QString()), QString());
}

TEST(LyricsSearch, FolderWithOnlySubfoldersIsNotSearched)
{
    Tree t;
    const QString deep = t.make(QStringLiteral("lyrics/sub/song.txt"));
    EXPECT_EQ(ls::findLyricsFile(t.path(QStringLiteral("m/song.mp3")), t.path(QStringLiteral("lyrics"))), QString());
    // Hidden files do not count as files of its own.
    t.make(QStringLiteral("lyrics/.hidden"));
    EXPECT_EQ(ls::findLyricsFile(t.path(QStringLiteral("m/song.mp3")), t.path(QStringLiteral("lyrics"))), QString());
    // The walk itself would have found it.
    EXPECT_EQ(ls::searchFolder(t.path(QStringLiteral("lyrics")), QStringLiteral("song.txt"), true), deep);
    t.make(QStringLiteral("lyrics/index.txt"));
    EXPECT_EQ(ls::findLyricsFile(t.path(QStringLiteral("m/song.mp3")), t.path(QStringLiteral("lyrics"))), deep);
}

TEST(LyricsSearch, LaterSiblingsReplaceTheFirstFindButAreNotDescended)
{
    Tree t;
    const QString root = t.path(QStringLiteral("lyrics"));
    const QString first = t.make(QStringLiteral("lyrics/A/x/song.txt"));
    // Below a sibling visited after the find: never reached.
    t.make(QStringLiteral("lyrics/A/y/deep/song.txt"));
    t.make(QStringLiteral("lyrics/C/inner/song.txt"));
    EXPECT_EQ(ls::searchFolder(root, QStringLiteral("song.txt"), true), first);

    // A later sibling of a folder above holding the name itself replaces it.
    const QString later = t.make(QStringLiteral("lyrics/B/song.txt"));
    EXPECT_EQ(ls::searchFolder(root, QStringLiteral("song.txt"), true), later);
    // And a later sibling within the same folder too.
    const QString sibling = t.make(QStringLiteral("lyrics/A/z/song.txt"));
    const QString last = t.make(QStringLiteral("lyrics/D/song.txt"));
    EXPECT_EQ(ls::searchFolder(root, QStringLiteral("song.txt"), true), last);
    QFile::remove(last);
    QFile::remove(later);
    EXPECT_EQ(ls::searchFolder(root, QStringLiteral("song.txt"), true), sibling);
}

TEST(LyricsSearch, FolderItselfComesBeforeItsSubfoldersWhichGoInNameOrder)
{
    Tree t;
    const QString root = t.path(QStringLiteral("lyrics"));
    const QString top = t.make(QStringLiteral("lyrics/song.txt"));
    t.make(QStringLiteral("lyrics/a/song.txt"));
    EXPECT_EQ(ls::searchFolder(root, QStringLiteral("song.txt"), true), top);
    QFile::remove(top);
    // "a" before "B" whatever the case; the find in "a" is then replaced
    // by the later sibling "B".
    const QString b = t.make(QStringLiteral("lyrics/B/song.txt"));
    EXPECT_EQ(ls::searchFolder(root, QStringLiteral("song.txt"), true), b);
    // Without subfolders only the folder itself.
    EXPECT_EQ(ls::searchFolder(root, QStringLiteral("song.txt"), false), QString());
}

TEST(LyricsSearch, NamesMatchInAnyCaseExactSpellingFirst)
{
    Tree t;
    const QString upper = t.make(QStringLiteral("lyrics/SONG.TXT"));
    EXPECT_EQ(ls::findLyricsFile(t.path(QStringLiteral("m/Song.mp3")), t.path(QStringLiteral("lyrics"))), upper);
    const QString exact = t.make(QStringLiteral("lyrics/Song.txt"));
    EXPECT_EQ(ls::findLyricsFile(t.path(QStringLiteral("m/Song.mp3")), t.path(QStringLiteral("lyrics"))), exact);
    // Beside the track as well.
    const QString beside = t.make(QStringLiteral("m/TRACK.Txt"));
    EXPECT_EQ(ls::findLyricsFile(t.path(QStringLiteral("m/track.mp3")), QString()), beside);
}

TEST(LyricsSearch, HiddenFoldersFoldersNamedLikeTheFileAndLinkLoopsAreSkipped)
{
    Tree t;
    const QString root = t.path(QStringLiteral("lyrics"));
    t.make(QStringLiteral("lyrics/.git/song.txt"));
    t.folder(QStringLiteral("lyrics/song.txt"));
    ASSERT_TRUE(QFile::link(root, t.path(QStringLiteral("lyrics/loop"))));
    EXPECT_EQ(ls::searchFolder(root, QStringLiteral("song.txt"), true), QString());
    const QString real = t.make(QStringLiteral("lyrics/zz/song.txt"));
    EXPECT_EQ(ls::searchFolder(root, QStringLiteral("song.txt"), true), real);
}

TEST(LyricsSearch, CancelledWalkFindsNothing)
{
    Tree t;
    t.make(QStringLiteral("lyrics/a/song.txt"));
    std::atomic_bool cancel{true};
    EXPECT_EQ(ls::searchFolder(t.path(QStringLiteral("lyrics")), QStringLiteral("song.txt"), true, &cancel), QString());
}

namespace {

// Sets one field through TagLib's common names (LYRICS is USLT, the Vorbis
// comment LYRICS, the MP4 lyrics atom).
void setTagField(const QString& path, const char* key, const char* value)
{
    TagLib::FileRef ref(QFile::encodeName(path).constData());
    TagLib::PropertyMap fields = ref.file()->properties();
    fields.replace(key, TagLib::StringList(TagLib::String(value, TagLib::String::UTF8)));
    ref.file()->setProperties(fields);
    ASSERT_TRUE(ref.save());
}

// The line shown at `ms` from the lyrics in the file's tags.
QString embeddedLineAt(const QString& path, qint64 ms)
{
    return yk::LyricsText::parseLrc(yk::readEmbeddedLyrics(path)).lineAt(ms);
}

} // namespace

TEST(EmbeddedLyrics, EachTagFamilyGivesTheTrackItsLyrics)
{
    using yk::test::AudioFormat;
    if (!yk::test::canEncodeAudio())
        GTEST_SKIP() << "no encoder";
    QTemporaryDir dir;
    for (const AudioFormat format : {AudioFormat::Mp3, AudioFormat::Flac, AudioFormat::OggVorbis, AudioFormat::Opus,
                                     AudioFormat::M4a}) {
        const QString path = dir.filePath(QStringLiteral("tone.") + yk::test::audioSuffix(format));
        SCOPED_TRACE(qPrintable(path));
        ASSERT_TRUE(yk::test::writeAudioFile(path, format));
        if (format == AudioFormat::Flac || format == AudioFormat::OggVorbis || format == AudioFormat::Opus) {
            setTagField(path, "UNSYNCEDLYRICS", "ただの歌詞");
            EXPECT_EQ(yk::readEmbeddedLyrics(path), QStringLiteral("ただの歌詞"));
        }
        setTagField(path, "LYRICS", "[00:02]two");
        EXPECT_EQ(embeddedLineAt(path, 5000), QStringLiteral("two"));
    }

    // ID3v2's synchronised lyrics, words joined into lines, come first.
    const QString mp3 = dir.filePath(QStringLiteral("tone.mp3"));
    {
        TagLib::MPEG::File file(QFile::encodeName(mp3).constData());
        auto* synced = new TagLib::ID3v2::SynchronizedLyricsFrame(TagLib::String::UTF16);
        synced->setTimestampFormat(TagLib::ID3v2::SynchronizedLyricsFrame::AbsoluteMilliseconds);
        TagLib::ID3v2::SynchronizedLyricsFrame::SynchedTextList entries;
        entries.append({1000, "\nHel"});
        entries.append({1400, "lo"});
        entries.append({3000, "\nagain"});
        synced->setSynchedText(entries);
        file.ID3v2Tag()->addFrame(synced);
        ASSERT_TRUE(file.save());
    }
    EXPECT_EQ(embeddedLineAt(mp3, 1200), QStringLiteral("Hello"));
    EXPECT_EQ(embeddedLineAt(mp3, 9000), QStringLiteral("again"));
}
