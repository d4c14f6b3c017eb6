// Captured movie frames: their names, their numbering and the pixels that
// reach the file.

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "media/FrameCapture.h"
#include "support/FakeMoviePlayer.h"

namespace yk {
namespace {

using test::FakeMoviePlayer;

TEST(CaptureName, NumberThenTheMoviesNameLessItsExtension)
{
    EXPECT_EQ(capture::fileNameFor(0, QStringLiteral("/films/clip.avi")), QStringLiteral("0000clip.bmp"));
    // Four characters go, whatever the extension's length (today's endings go whole).
    EXPECT_EQ(capture::fileNameFor(37, QStringLiteral("/films/my.trip.mpeg")), QStringLiteral("0037my.trip..bmp"));
    EXPECT_EQ(capture::fileNameFor(1, QStringLiteral("/films/trip.webm")), QStringLiteral("0001trip.bmp"));
    EXPECT_EQ(capture::fileNameFor(12345, QStringLiteral("clip.wmv")), QStringLiteral("12345clip.bmp"));
    // A name of four characters or fewer leaves only the number.
    EXPECT_EQ(capture::fileNameFor(2, QStringLiteral("/films/.avi")), QStringLiteral("0002.bmp"));
}

struct Capture : ::testing::Test
{
    QTemporaryDir dir;
    QString folder() const { return dir.path() + QStringLiteral("/Capture"); }
    const QString movie = QStringLiteral("/films/clip.avi");
    QImage frame = FakeMoviePlayer::quarters(QSize(64, 48));

    capture::Result save() const { return capture::saveFrame(frame, folder(), movie); }
    QStringList files() const { return QDir(folder()).entryList(QDir::Files, QDir::Name); }
};

TEST_F(Capture, TwoCapturesOfOneMovieAreNumberedInTurn)
{
    const capture::Result first = save();
    ASSERT_TRUE(first.saved) << qPrintable(first.error);
    EXPECT_EQ(first.path, folder() + QStringLiteral("/0000clip.bmp"));
    EXPECT_TRUE(save().saved);
    EXPECT_EQ(files(), (QStringList{QStringLiteral("0000clip.bmp"), QStringLiteral("0001clip.bmp")}));
    // Another movie counts on its own.
    EXPECT_TRUE(capture::saveFrame(frame, folder(), QStringLiteral("/x/other.mpg")).saved);
    EXPECT_TRUE(files().contains(QStringLiteral("0000other.bmp")));
}

TEST_F(Capture, AGapIsFilledFirst)
{
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(save().saved);
    ASSERT_TRUE(QFile::remove(folder() + QStringLiteral("/0001clip.bmp")));
    EXPECT_EQ(save().path, folder() + QStringLiteral("/0001clip.bmp"));
    EXPECT_EQ(save().path, folder() + QStringLiteral("/0003clip.bmp"));
    EXPECT_EQ(capture::nextFreePath(folder(), movie), folder() + QStringLiteral("/0004clip.bmp"));
}

TEST_F(Capture, TheFileIsABitmapOfTheFrameAtItsOwnSize)
{
    const capture::Result r = save();
    ASSERT_TRUE(r.saved);
    QFile f(r.path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.read(2), QByteArray("BM"));
    f.close();
    const QImage back(r.path);
    ASSERT_FALSE(back.isNull());
    EXPECT_EQ(back.size(), QSize(64, 48));
    EXPECT_EQ(back.pixelColor(5, 5), QColor(Qt::red));
    EXPECT_EQ(back.pixelColor(60, 5), QColor(Qt::green));
    EXPECT_EQ(back.pixelColor(5, 40), QColor(Qt::blue));
    EXPECT_EQ(back.pixelColor(60, 40), QColor(Qt::white));
}

TEST_F(Capture, AMissingFolderIsMadeOnTheWay)
{
    const QString nested = dir.path() + QStringLiteral("/a/b/Capture");
    const capture::Result r = capture::saveFrame(frame, nested, movie);
    ASSERT_TRUE(r.saved);
    EXPECT_TRUE(QFile::exists(nested + QStringLiteral("/0000clip.bmp")));
}

TEST_F(Capture, NoFrameOrNoFolderIsAnErrorAndWritesNothing)
{
    const capture::Result none = capture::saveFrame(QImage(), folder(), movie);
    EXPECT_FALSE(none.saved);
    EXPECT_FALSE(none.error.isEmpty());
    EXPECT_TRUE(files().isEmpty());

    // A file where the folder should be.
    QFile blocker(folder());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const capture::Result blocked = save();
    EXPECT_FALSE(blocked.saved);
    EXPECT_FALSE(blocked.error.isEmpty());
}

} // namespace
} // namespace yk
