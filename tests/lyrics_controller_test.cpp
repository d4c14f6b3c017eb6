// The timed line behind the lyrics label: lookup per track, the caption,
// what the mascot is sent, and when the label shows.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <taglib/fileref.h>
#include <taglib/tpropertymap.h>

#include "media/LyricsController.h"
#include "media/LyricsScript.h"
#include "support/AudioFiles.h"
#include "support/Fakes.h"
#include "support/TestUtil.h"

using yk::LyricsController;
using yk::lyricsMascotScript;

namespace {

struct Fixture
{
    QTemporaryDir dir;
    yk::test::FakeMascot mascot;
    QString folderSetting;
    bool playing = true;
    LyricsController lyrics{mascot, {[this] { return folderSetting; }, [this] { return playing; }}};

    Fixture() { lyrics.setCacheFolder(path(QStringLiteral("cache"))); }

    QString path(const QString& rel) const { return dir.path() + u'/' + rel; }
    QString write(const QString& rel, const QByteArray& bytes) const
    {
        QDir().mkpath(QFileInfo(path(rel)).path());
        yk::test::writeBytes(path(rel), bytes);
        return path(rel);
    }
    // Opens a track and waits for its lookup.
    void open(const QString& track)
    {
        QSignalSpy done(&lyrics, &LyricsController::lookupFinished);
        lyrics.open(track);
        ASSERT_TRUE(done.wait(5000));
    }
    // The caption at each position in turn.
    QStringList captions(std::initializer_list<qint64> positions)
    {
        QStringList out;
        for (const qint64 ms : positions) {
            lyrics.updatePosition(ms);
            out << lyrics.caption();
        }
        return out;
    }
};

} // namespace

TEST(LyricsScript, PlainLineIsEscapedBehindABreakAndAPause)
{
    EXPECT_EQ(lyricsMascotScript(QStringLiteral("Hello")), QStringLiteral("\\n\\w2Hello"));
    EXPECT_EQ(lyricsMascotScript(QStringLiteral("100% of %username")), QStringLiteral("\\n\\w2100\\% of \\%username"));
    EXPECT_EQ(lyricsMascotScript(QStringLiteral("a\\![open,file,x]b")),
              QStringLiteral("\\n\\w2a\\\\![open,file,x]b"));
    // No closing "\e": the mascot ends the script.
    EXPECT_FALSE(lyricsMascotScript(QStringLiteral("x")).endsWith(QStringLiteral("\\e")));
}

TEST(LyricsScript, LeadingScriptRunsToTheFirstDoubleByteCharacter)
{
    EXPECT_EQ(lyricsMascotScript(QStringLiteral("\\h\\s[5]ラララ")), QStringLiteral("\\n\\h\\s[5]\\w2ラララ"));
    EXPECT_EQ(lyricsMascotScript(QStringLiteral("\\u\\s3\\w9\\n\\0\\1\\s[-1]歌")),
              QStringLiteral("\\n\\u\\s3\\w9\\n\\0\\1\\s[-1]\\w2歌"));
    // Half-width katakana take one byte: still the leading part.
    EXPECT_EQ(lyricsMascotScript(QStringLiteral("\\hｱｲ歌")), QStringLiteral("\\n\\hｱｲ\\w2歌"));
    // No double-byte character: the whole line leads, nothing follows.
    EXPECT_EQ(lyricsMascotScript(QStringLiteral("\\h\\s0la la")), QStringLiteral("\\n\\h\\s0la la\\w2"));
}

TEST(LyricsScript, OnlySpeakerSurfaceBreakAndPauseCommandsReachTheMascot)
{
    EXPECT_EQ(lyricsMascotScript(QStringLiteral("\\![open,file,/etc/passwd]歌")),
              QStringLiteral("\\n\\\\![open,file,/etc/passwd]\\w2歌"));
    EXPECT_EQ(lyricsMascotScript(QStringLiteral("\\h\\j[http://x]\\-\\e\\q[a,b]\\_a[x]%username歌")),
              QStringLiteral("\\n\\h\\\\j[http://x]\\\\-\\\\e\\\\q[a,b]\\\\_a[x]\\%username\\w2歌"));
    // Malformed look-alikes of allowed commands are escaped too.
    EXPECT_EQ(lyricsMascotScript(QStringLiteral("\\s[x]\\w0\\s\\w歌")),
              QStringLiteral("\\n\\\\s[x]\\\\w0\\\\s\\\\w\\w2歌"));
    // The rest of the line is text from a file like any other.
    EXPECT_EQ(lyricsMascotScript(QStringLiteral("\\h歌\\![raise,x]%month")),
              QStringLiteral("\\n\\h\\w2歌\\\\![raise,x]\\%month"));
    // A lone "\" at the end of the leading part cannot swallow the pause.
    EXPECT_EQ(lyricsMascotScript(QStringLiteral("\\h\\歌")), QStringLiteral("\\n\\h\\\\\\w2歌"));
}

TEST(LyricsScript, ScriptIsShortHoweverLongTheLine)
{
    const QString line = QStringLiteral("\\h") + QStringLiteral("ab\\x").repeated(1'000'000);
    QElapsedTimer clock;
    clock.start();
    const QString script = lyricsMascotScript(line);
    EXPECT_LT(clock.elapsed(), 50);
    EXPECT_LE(script.size(), yk::kMaxLyricsScriptLength);
    // Cut between whole escapes: the pause still ends the leading script.
    EXPECT_TRUE(script.endsWith(QStringLiteral("ab\\w2"))) << qPrintable(script.right(20));
}

TEST(LyricsController, TxtBeforeLrcBesideTheTrackThenInTheFolderThenTheTrackTags)
{
    Fixture f;
    if (!yk::test::canEncodeAudio())
        GTEST_SKIP() << "no encoder";
    f.folderSetting = f.path(QStringLiteral("lyrics"));
    f.write(QStringLiteral("lyrics/index.txt"), "x");
    const QString track = f.path(QStringLiteral("m/song.flac"));
    QDir().mkpath(f.path(QStringLiteral("m")));
    ASSERT_TRUE(yk::test::writeAudioFile(track, yk::test::AudioFormat::Flac));
    {
        TagLib::FileRef flac(QFile::encodeName(track).constData());
        TagLib::PropertyMap fields;
        fields.insert("LYRICS", TagLib::StringList("words from the tags\nno times"));
        flac.file()->setProperties(fields);
        ASSERT_TRUE(flac.save());
    }
    const QStringList files = {f.write(QStringLiteral("m/song.txt"), "[00:01]txt beside\n"),
                               f.write(QStringLiteral("lyrics/a/song.txt"), "[00:01]txt in the folder\n"),
                               f.write(QStringLiteral("m/song.lrc"), "[00:01]lrc beside\n"),
                               f.write(QStringLiteral("lyrics/b/song.lrc"), "[00:01]lrc in the folder\n")};
    QStringList found;
    for (const QString& file : files) {
        f.open(track);
        found << f.lyrics.lineAt(1500);
        QFile::remove(file);
    }
    EXPECT_EQ(found, (QStringList{QStringLiteral("txt beside"), QStringLiteral("txt in the folder"),
                                  QStringLiteral("lrc beside"), QStringLiteral("lrc in the folder")}));

    // Words without times: no line, but the label shows and opens them.
    f.open(track);
    const QString cached = f.path(QStringLiteral("cache/song.txt"));
    EXPECT_EQ(f.lyrics.lyricsFile(), cached);
    EXPECT_EQ(f.lyrics.lineAt(1500), QString());
    yk::test::FakeShell shell;
    f.lyrics.openFile(shell);
    EXPECT_EQ(shell.opened, QStringList{cached});
    EXPECT_EQ(yk::test::readBytes(cached), QByteArray("words from the tags\r\nno times"));
}

TEST(LyricsController, TrackWithLyricsBesideItShowsEachLineOnceAndHoldsIt)
{
    Fixture f;
    const QString file = f.write(QStringLiteral("m/song.txt"), "[00:05]five\r\n[00:10]ten\r\n[00:11]\r\n"
                                                               "[00:12.34]Hel[00:12.80]lo[00:13.00]\r\n");
    f.folderSetting = f.path(QStringLiteral("lyrics"));
    f.write(QStringLiteral("lyrics/song.txt"), "[00:05]from the folder\r\n");
    f.open(f.path(QStringLiteral("m/song.mp3")));
    EXPECT_EQ(f.lyrics.lyricsFile(), file);
    EXPECT_TRUE(f.lyrics.isOn());

    QSignalSpy changed(&f.lyrics, &LyricsController::captionChanged);
    EXPECT_EQ(f.captions({0, 4990, 5000, 6000, 7500, 9990, 10000, 11000, 11500, 12330, 12340, 13000}),
              (QStringList{QString(), QString(), QStringLiteral("five"), QStringLiteral("five"),
                           QStringLiteral("five"), QStringLiteral("five"), QStringLiteral("ten"),
                           QStringLiteral("<BR>"), QStringLiteral("<BR>"), QStringLiteral("<BR>"),
                           QStringLiteral("Hello"), QStringLiteral("Hello")}));
    EXPECT_EQ(changed.count(), 4);
    EXPECT_EQ(f.mascot.scripts, (QStringList{QStringLiteral("\\n\\w2five"), QStringLiteral("\\n\\w2ten"),
                                             QStringLiteral("\\n\\w2<BR>"), QStringLiteral("\\n\\w2Hello")}));
}

TEST(LyricsController, SameTextAtTwoTimesIsSentOnlyWhenTheCaptionChanges)
{
    Fixture f;
    f.write(QStringLiteral("m/song.txt"), "[00:01]la\n[00:02]la\n[00:03]\\h\\s[5]ラ\n[00:04]la\n");
    f.open(f.path(QStringLiteral("m/song.mp3")));
    f.captions({1000, 1500, 2000, 2500, 3000, 4000});
    EXPECT_EQ(f.mascot.scripts, (QStringList{QStringLiteral("\\n\\w2la"), QStringLiteral("\\n\\h\\s[5]\\w2ラ"),
                                             QStringLiteral("\\n\\w2la")}));
    // Back to 00:03: the label shows the line as written, its script included.
    f.lyrics.updatePosition(3000);
    EXPECT_EQ(f.lyrics.caption(), QStringLiteral("\\h\\s[5]ラ"));
    EXPECT_EQ(f.mascot.scripts.size(), 4);
}

TEST(LyricsController, ShiftJisFileIsRead)
{
    Fixture f;
    // "[00:01]さくら" in Shift-JIS.
    f.write(QStringLiteral("m/song.txt"), QByteArray("[00:01]\x82\xb3\x82\xad\x82\xe7\r\n"));
    f.open(f.path(QStringLiteral("m/song.mp3")));
    f.lyrics.updatePosition(1200);
    EXPECT_EQ(f.lyrics.caption(), QStringLiteral("さくら"));
    EXPECT_EQ(f.mascot.scripts, QStringList{QStringLiteral("\\n\\w2さくら")});
}

TEST(LyricsController, FolderLookupFindsTheFileAndNothingFoundHidesTheLabel)
{
    Fixture f;
    f.folderSetting = f.path(QStringLiteral("lyrics"));
    f.write(QStringLiteral("lyrics/list.txt"), "x");
    const QString found = f.write(QStringLiteral("lyrics/band/song.txt"), "[00:02]two\n");
    f.write(QStringLiteral("m/song.mp3"), "");
    f.open(f.path(QStringLiteral("m/song.mp3")));
    EXPECT_EQ(f.lyrics.lyricsFile(), found);
    EXPECT_EQ(f.lyrics.lineAt(2000), QStringLiteral("two"));

    QSignalSpy shown(&f.lyrics, &LyricsController::labelShownChanged);
    f.lyrics.tick();
    EXPECT_TRUE(f.lyrics.labelShown());

    f.lyrics.off();
    f.open(f.path(QStringLiteral("m/other.mp3")));
    EXPECT_EQ(f.lyrics.lyricsFile(), QString());
    EXPECT_FALSE(f.lyrics.isOn());
    EXPECT_FALSE(f.lyrics.labelShown());
    EXPECT_EQ(f.lyrics.lineAt(2000), QString());
    ASSERT_EQ(shown.count(), 2);
    EXPECT_EQ(shown.at(1).at(0).toBool(), false);
}

TEST(LyricsController, ResultForATrackNoLongerCurrentIsDropped)
{
    Fixture f;
    f.write(QStringLiteral("m/a.txt"), "[00:01]from a\n");
    const QString b = f.write(QStringLiteral("m/b.txt"), "[00:01]from b\n");
    QSignalSpy done(&f.lyrics, &LyricsController::lookupFinished);
    f.lyrics.open(f.path(QStringLiteral("m/a.mp3")));
    f.lyrics.off();
    f.lyrics.open(f.path(QStringLiteral("m/b.mp3")));
    ASSERT_TRUE(done.wait(5000));
    yk::test::spinUntil([] { return false; }, 100); // a late answer for a.mp3 would come now
    ASSERT_EQ(done.count(), 1);
    EXPECT_EQ(done.at(0).at(0).toString(), b);
    f.lyrics.updatePosition(1000);
    EXPECT_EQ(f.lyrics.caption(), QStringLiteral("from b"));

    // Stopped while looking: the answer never arrives.
    f.lyrics.open(f.path(QStringLiteral("m/a.mp3")));
    f.lyrics.off();
    EXPECT_FALSE(done.wait(200));
    EXPECT_EQ(f.lyrics.lyricsFile(), QString());
}

TEST(LyricsController, LabelShowsWhilePlayingAndHidesWhenNothingPlays)
{
    Fixture f;
    f.write(QStringLiteral("m/song.txt"), "[00:01]one\n");
    f.playing = false;
    f.open(f.path(QStringLiteral("m/song.mp3")));
    f.lyrics.tick();
    EXPECT_FALSE(f.lyrics.labelShown());
    f.playing = true;
    f.lyrics.tick();
    EXPECT_TRUE(f.lyrics.labelShown());
    f.playing = false;
    f.lyrics.tick();
    EXPECT_FALSE(f.lyrics.labelShown());
    EXPECT_FALSE(f.lyrics.isOn());
    f.lyrics.updatePosition(1000);
    EXPECT_EQ(f.mascot.scripts, QStringList());
}

TEST(LyricsController, StopHidesAtOnceButTheNextTrackKeepsTheLabel)
{
    Fixture f;
    f.write(QStringLiteral("m/song.txt"), "[00:01]one\n");
    f.write(QStringLiteral("m/next.txt"), "[00:01]next\n");
    f.open(f.path(QStringLiteral("m/song.mp3")));
    f.lyrics.tick();
    f.lyrics.updatePosition(1000);
    ASSERT_TRUE(f.lyrics.labelShown());
    QSignalSpy shown(&f.lyrics, &LyricsController::labelShownChanged);

    // A new track: off, then open, while the list plays on.
    f.lyrics.off();
    EXPECT_EQ(f.lyrics.caption(), QString());
    f.open(f.path(QStringLiteral("m/next.mp3")));
    QCoreApplication::processEvents();
    EXPECT_EQ(shown.count(), 0);

    // A stop: nothing plays any more; the label goes without a tick.
    f.playing = false;
    f.lyrics.off();
    ASSERT_TRUE(yk::test::spinUntil([&] { return !f.lyrics.labelShown(); }, 1000));
    EXPECT_FALSE(f.lyrics.isOn());
}

TEST(LyricsController, DoubleClickOpensTheLyricsFileWhileItExists)
{
    Fixture f;
    const QString file = f.write(QStringLiteral("m/song.txt"), "[00:01]one\n");
    yk::test::FakeShell shell;
    f.lyrics.openFile(shell);
    EXPECT_TRUE(shell.opened.isEmpty());
    f.open(f.path(QStringLiteral("m/song.mp3")));
    f.lyrics.openFile(shell);
    EXPECT_EQ(shell.opened, QStringList{file});
    QFile::remove(file);
    f.lyrics.openFile(shell);
    EXPECT_EQ(shell.opened.size(), 1);
}
