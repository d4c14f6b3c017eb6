// The movie player the program is given: a stand-in that loads the media
// module at the first open() and passes everything on to the engine there.
// First with a recording engine, then with the real module as built.

#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "platform/DeferredMoviePlayer.h"
#include "platform/MediaModule.h"
#include "platform/null/NullMoviePlayer.h"
#include "support/TestUtil.h"
#include "support/VideoFiles.h"

using yk::DeferredMoviePlayer;
using yk::MoviePlayer;
using yk::test::spinUntil;

namespace {

// Records what it is asked and answers with what the test sets.
class RecordingMoviePlayer final : public MoviePlayer
{
public:
    bool open(const QString& path) override
    {
        log << QStringLiteral("open ") + path;
        file = path;
        return openResult;
    }
    QString fileName() const override { return file; }
    void play() override { log << QStringLiteral("play"); }
    void pause() override { log << QStringLiteral("pause"); }
    void stop() override { log << QStringLiteral("stop"); }
    qint64 position() const override { return pos; }
    qint64 duration() const override { return length; }
    void seek(qint64 ms) override { log << QStringLiteral("seek %1").arg(ms); }
    bool hasVideo() const override { return video; }
    QSize videoSize() const override { return size; }
    QWidget* videoWidget() const override { return widget; }
    QImage grabFrame() const override { return frame; }

    QStringList log;
    QString file;
    bool openResult = true;
    qint64 pos = 0;
    qint64 length = 0;
    bool video = false;
    QSize size;
    QWidget* widget = nullptr;
    QImage frame;
};

struct Deferred : ::testing::Test
{
    DeferredMoviePlayer player{[this] {
        ++made;
        auto real = std::make_unique<RecordingMoviePlayer>();
        engine = real.get();
        return real;
    }};
    RecordingMoviePlayer* engine = nullptr;
    int made = 0;
};

TEST_F(Deferred, NothingIsLoadedBeforeTheFirstOpenAndTheIdlePlayerIsAtRest)
{
    player.play();
    player.pause();
    player.seek(500);
    player.stop();
    EXPECT_EQ(made, 0);
    EXPECT_FALSE(player.isLoaded());
    EXPECT_TRUE(player.fileName().isEmpty());
    EXPECT_EQ(player.position(), 0);
    EXPECT_EQ(player.duration(), 0);
    EXPECT_FALSE(player.hasVideo());
    EXPECT_TRUE(player.videoSize().isEmpty());
    EXPECT_EQ(player.videoWidget(), nullptr);
    EXPECT_TRUE(player.grabFrame().isNull());
}

TEST_F(Deferred, TheFirstOpenMakesTheEngineOnceAndEveryCallReachesIt)
{
    EXPECT_TRUE(player.open(QStringLiteral("/m/a.avi")));
    ASSERT_EQ(made, 1);
    ASSERT_TRUE(player.isLoaded());
    engine->openResult = false;
    EXPECT_FALSE(player.open(QStringLiteral("/m/b.mpg")));
    EXPECT_EQ(made, 1);

    player.play();
    player.seek(1234);
    player.pause();
    player.stop();
    EXPECT_EQ(engine->log, (QStringList{QStringLiteral("open /m/a.avi"), QStringLiteral("open /m/b.mpg"),
                                        QStringLiteral("play"), QStringLiteral("seek 1234"), QStringLiteral("pause"),
                                        QStringLiteral("stop")}));

    QLabel shown;
    QImage frame(32, 24, QImage::Format_RGB32);
    frame.fill(Qt::red);
    engine->pos = 700;
    engine->length = 9000;
    engine->video = true;
    engine->size = QSize(320, 240);
    engine->widget = &shown;
    engine->frame = frame;
    EXPECT_EQ(player.fileName(), QStringLiteral("/m/b.mpg"));
    EXPECT_EQ(player.position(), 700);
    EXPECT_EQ(player.duration(), 9000);
    EXPECT_TRUE(player.hasVideo());
    EXPECT_EQ(player.videoSize(), QSize(320, 240));
    EXPECT_EQ(player.videoWidget(), &shown);
    EXPECT_EQ(player.grabFrame(), frame);
}

TEST_F(Deferred, TheEnginesSignalsComeFromThePlayerEachOnce)
{
    player.open(QStringLiteral("/m/a.avi"));
    QSignalSpy loaded(&player, &MoviePlayer::loaded);
    QSignalSpy finished(&player, &MoviePlayer::finished);
    QSignalSpy failed(&player, &MoviePlayer::error);
    Q_EMIT engine->loaded();
    EXPECT_EQ(loaded.count(), 1);
    EXPECT_EQ(finished.count() + failed.count(), 0);
    Q_EMIT engine->finished();
    EXPECT_EQ(finished.count(), 1);
    Q_EMIT engine->error(QStringLiteral("broken"));
    ASSERT_EQ(failed.count(), 1);
    EXPECT_EQ(failed.at(0).at(0).toString(), QStringLiteral("broken"));
    // A second open does not connect them twice.
    player.open(QStringLiteral("/m/b.avi"));
    Q_EMIT engine->loaded();
    EXPECT_EQ(loaded.count(), 2);
}

TEST_F(Deferred, AMissingModuleStillAnswersEveryOpen)
{
    DeferredMoviePlayer without([] { return std::make_unique<yk::NullMoviePlayer>(); });
    without.open(QStringLiteral("/m/a.avi"));
    QSignalSpy failed(&without, &MoviePlayer::error);
    EXPECT_TRUE(spinUntil([&] { return failed.count() == 1; }));
    EXPECT_EQ(without.fileName(), QStringLiteral("/m/a.avi"));
}

// The program's own factory: the built media module, loaded at the first
// open, plays a real clip.
TEST(MovieModule, TheProgramsPlayerLoadsTheModuleAndOpensAMovie)
{
    yk::prepareMediaEnvironment();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString clip = dir.filePath(QStringLiteral("clip.avi"));
    yk::test::writeMjpegAvi(clip, yk::test::colourClip(4, 10, 0, {96, 64}));

    const std::unique_ptr<MoviePlayer> player = yk::createMoviePlayer();
    ASSERT_NE(dynamic_cast<DeferredMoviePlayer*>(player.get()), nullptr);
    EXPECT_EQ(player->videoWidget(), nullptr);
    ASSERT_TRUE(player->open(clip));
    EXPECT_NE(player->videoWidget(), nullptr) << "the module was not loaded";
    QSignalSpy loaded(player.get(), &MoviePlayer::loaded);
    QSignalSpy failed(player.get(), &MoviePlayer::error);
    ASSERT_TRUE(spinUntil([&] { return loaded.count() + failed.count() > 0; }, 15000));
    ASSERT_EQ(loaded.count(), 1);
    EXPECT_TRUE(player->hasVideo());
    EXPECT_EQ(player->videoSize(), QSize(96, 64));
    EXPECT_EQ(player->grabFrame().size(), QSize(96, 64));
}

} // namespace
