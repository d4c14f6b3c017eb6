#include <memory>

#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

#include "media/PlayList.h"
#include "media/Player.h"
#include "shell/MainWindow.h"
#include "shell/PlayerControls.h"
#include "support/FakeDeviceChannel.h"
#include "support/Fakes.h"
#include "support/TestUtil.h"

using namespace yk;
using yk::test::FakeDeviceChannel;
using yk::test::FakeMixer;

namespace {

// A system without any output mixer: nothing to read, nothing to set.
class AbsentMixer final : public VolumeMixer
{
public:
    std::optional<quint32> volume() const override { return std::nullopt; }
    bool setVolume(quint32) override { return false; }
};

class PlayerControlsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        make(mixer);
        form.show();
    }

    void make(VolumeMixer& m)
    {
        controls.reset();
        controls = std::make_unique<PlayerControls>(
            form, player, m,
            PlayerControls::Actions{[this] { ++playListToggles; }, [this] { ++id3Toggles; }});
    }

    QStringList fill(std::initializer_list<const char*> names)
    {
        QStringList paths;
        for (const char* n : names) {
            paths << dir.filePath(QString::fromUtf8(n));
            yk::test::writeBytes(paths.last(), "x");
        }
        list.append(paths);
        player.tickDisplay();
        return paths;
    }

    QLabel* label(const char* name) const
    {
        auto* l = form.findChild<QLabel*>(QString::fromLatin1(name));
        EXPECT_NE(l, nullptr) << name;
        return l;
    }
    bool shown(const char* name) const { return !label(name)->isHidden(); }
    void click(const char* name, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(label(name), button);
    }

    // Holds a thumb with the left button `grab` pixels inside its left
    // edge, moves the mouse `by` pixels to the right and, if asked, lets go.
    void drag(const char* thumb, int by, bool release = true, int grab = 3)
    {
        QLabel* t = label(thumb);
        const int y = t->height() / 2;
        QTest::mousePress(t, Qt::LeftButton, {}, QPoint(grab, y));
        QTest::mouseMove(t, QPoint(grab + by, y));
        if (release)
            QTest::mouseRelease(t, Qt::LeftButton, {}, QPoint(grab, y));
    }

    QTemporaryDir dir;
    PlayList list;
    FakeDeviceChannel device;
    Player player{list, device, nullptr, nullptr};
    MainWindow form;
    FakeMixer mixer;
    std::unique_ptr<PlayerControls> controls;
    int playListToggles = 0;
    int id3Toggles = 0;
};

TEST_F(PlayerControlsTest, PlayShowsItsHeldFaceWhileDownAndPlaysOnRelease)
{
    const QStringList paths = fill({"a.mp3", "b.mp3"});
    QTest::mousePress(label("img_P"), Qt::LeftButton);
    EXPECT_TRUE(shown("img_P_2"));
    EXPECT_EQ(device.command(), QStringLiteral("Close")) << "nothing happens until the button comes up";
    QTest::mouseRelease(label("img_P"), Qt::LeftButton);
    EXPECT_FALSE(shown("img_P_2"));
    EXPECT_EQ(device.command(), QStringLiteral("Play"));
    EXPECT_EQ(device.fileName(), paths[0]);
    EXPECT_EQ(label("lbl_Play_Name")->text(), QStringLiteral("1.a"));
}

TEST_F(PlayerControlsTest, EachButtonReachesItsOwnOperation)
{
    fill({"a.mp3", "b.mp3", "c.mp3", "d.mp3"});
    player.setCurrentIndex(1);
    // Each button shows its own held face and no other. Stop, forward from
    // entry 1 and back again end on entry 1.
    const std::pair<const char*, const char*> buttons[] = {
        {"img_S", "img_S_2"}, {"img_F", "img_F_2"}, {"img_B", "img_B_2"}};
    for (const auto& [button, face] : buttons) {
        QTest::mousePress(label(button), Qt::LeftButton);
        for (const char* other : {"img_P_2", "img_S_2", "img_F_2", "img_B_2"})
            EXPECT_EQ(shown(other), QByteArray(other) == face) << button << " down, " << other;
        QTest::mouseRelease(label(button), Qt::LeftButton);
        EXPECT_FALSE(shown(face));
    }
    EXPECT_EQ(player.currentIndex(), 1);
    click("img_F");
    EXPECT_EQ(player.currentIndex(), 2);
    EXPECT_EQ(device.command(), QStringLiteral("Close")) << "forward while idle only cues";
    click("img_B");
    click("img_B");
    EXPECT_EQ(player.currentIndex(), 0);
    click("img_P");
    EXPECT_TRUE(player.listPlaying());
    click("img_S");
    EXPECT_FALSE(player.listPlaying());
    EXPECT_EQ(device.command(), QStringLiteral("Close"));
    EXPECT_EQ(label("lbl_Play_Name")->text(), QStringLiteral("1.a"));
}

TEST_F(PlayerControlsTest, PauseLoopAndRandomShowTheirFaces)
{
    fill({"a.mp3"});
    click("img_P");
    player.tickDisplay();
    // Through the window, as the system delivers a real click: the press
    // and the release must reach the same button although its face changes.
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const QPoint at = label("img_Pouse_0")->geometry().center();
    QTest::mousePress(form.windowHandle(), Qt::LeftButton, {}, at);
    EXPECT_TRUE(shown("img_Pouse_1"));
    QTest::mouseRelease(form.windowHandle(), Qt::LeftButton, {}, at);
    EXPECT_FALSE(shown("img_Pouse_1"));
    EXPECT_TRUE(shown("img_Pouse_0"));
    EXPECT_TRUE(player.paused());
    click("img_Pouse_0");
    EXPECT_EQ(device.command(), QStringLiteral("Play"));

    click("img_L_0");
    EXPECT_TRUE(player.loopOn());
    EXPECT_EQ(label("img_L_0")->pixmap().cacheKey(), label("img_L_2")->pixmap().cacheKey());
    click("img_L_0");
    EXPECT_FALSE(player.loopOn());
    EXPECT_EQ(label("img_L_0")->pixmap().cacheKey(), label("img_L_1")->pixmap().cacheKey());

    EXPECT_TRUE(shown("img_Randam_0"));
    click("img_Randam_0");
    EXPECT_TRUE(player.randomOn());
    EXPECT_FALSE(shown("img_Randam_0"));
    EXPECT_TRUE(shown("img_Randam_1"));
    click("img_Randam_1");
    EXPECT_FALSE(player.randomOn());
    EXPECT_TRUE(shown("img_Randam_0"));
    EXPECT_FALSE(player.loopOn()) << "random and loop are separate buttons";
}

TEST_F(PlayerControlsTest, TitleLeftReleaseTogglesThePlayListAndRightReleaseTheTagEditor)
{
    fill({"a.mp3"});
    click("lbl_Play_Name");
    EXPECT_EQ(playListToggles, 1);
    EXPECT_EQ(id3Toggles, 0);
    click("lbl_Play_Name", Qt::RightButton);
    EXPECT_EQ(playListToggles, 1);
    EXPECT_EQ(id3Toggles, 1);
    QTest::mouseDClick(label("lbl_Play_Name"), Qt::LeftButton);
    EXPECT_EQ(playListToggles, 1) << "the double click itself does nothing";

    // Until there is a tag editor the right button does nothing there.
    controls.reset();
    PlayerControls bare(form, player, mixer, PlayerControls::Actions{[this] { ++playListToggles; }, {}});
    click("lbl_Play_Name", Qt::RightButton);
    EXPECT_EQ(id3Toggles, 1);
    click("lbl_Play_Name");
    EXPECT_EQ(playListToggles, 2);
}

TEST_F(PlayerControlsTest, DisplayFollowsTheListAndTheTrack)
{
    // An empty list hides every control and leaves the title see-through.
    for (const char* name : {"img_P", "img_S", "img_F", "img_B", "img_Vol", "img_Pouse_0", "img_L_0",
                             "img_Randam_0", "img_Randam_1", "img_Ber", "lbl_S_Time"})
        EXPECT_FALSE(shown(name)) << name;
    EXPECT_FALSE(form.titleOpaque());

    fill({"a.mp3"});
    for (const char* name : {"img_P", "img_S", "img_F", "img_B", "img_Vol", "img_Pouse_0", "img_L_0",
                             "img_Randam_0"})
        EXPECT_TRUE(shown(name)) << name;
    EXPECT_FALSE(shown("img_Ber")) << "nothing plays yet";
    EXPECT_TRUE(form.titleOpaque());

    click("img_P");
    player.tickDisplay();
    EXPECT_TRUE(shown("img_Ber"));
    EXPECT_TRUE(shown("lbl_S_Time"));
    device.setLength(111000);
    device.setPosition(61250);
    player.refreshPosition();
    EXPECT_EQ(label("lbl_S_Time")->text(), QStringLiteral("01:01.25"));
    EXPECT_EQ(label("img_Ber")->x(), 111);
    click("img_S");
    player.tickDisplay();
    EXPECT_FALSE(shown("img_Ber"));
}

TEST_F(PlayerControlsTest, VolumeDragSetsTheMixerAsItMoves)
{
    fill({"a.mp3"});
    mixer.value = 0;
    controls->placeVolumeFromMixer();
    QLabel* vol = label("img_Vol");
    ASSERT_EQ(vol->x(), 7);

    drag("img_Vol", 32, false);
    EXPECT_TRUE(controls->holdingVolume());
    EXPECT_EQ(vol->pixmap().cacheKey(), label("img_Bar_Down")->pixmap().cacheKey());
    EXPECT_EQ(vol->x(), 39);
    ASSERT_TRUE(mixer.value.has_value());
    EXPECT_EQ(*mixer.value, 0x80008000u);
    QTest::mouseMove(vol, QPoint(3 + 100, 5));
    EXPECT_EQ(vol->x(), 71);
    EXPECT_EQ(*mixer.value, 0xFFFFFFFFu);
    QTest::mouseRelease(vol, Qt::LeftButton, {}, QPoint(3, 5));
    EXPECT_FALSE(controls->holdingVolume());
    // Let go, it wears the plain thumb face again.
    EXPECT_EQ(vol->pixmap().cacheKey(), label("img_Ber")->pixmap().cacheKey());
    EXPECT_NE(vol->pixmap().cacheKey(), label("img_Bar_Down")->pixmap().cacheKey());

    // The next start puts the thumb where the drag left it.
    controls->placeVolumeFromMixer();
    EXPECT_EQ(vol->x(), 71);
    mixer.value.reset();
    controls->placeVolumeFromMixer();
    EXPECT_EQ(vol->x(), 7);
}

TEST_F(PlayerControlsTest, WithoutAMixerTheVolumeThumbStillMoves)
{
    AbsentMixer absent;
    make(absent);
    fill({"a.mp3"});
    controls->placeVolumeFromMixer();
    EXPECT_EQ(label("img_Vol")->x(), 7);
    drag("img_Vol", 20);
    EXPECT_EQ(label("img_Vol")->x(), 27);
    EXPECT_FALSE(absent.volume().has_value());
}

TEST_F(PlayerControlsTest, PositionDragSeeksOnRelease)
{
    const QStringList paths = fill({"a.mp3"});
    click("img_P");
    player.tickDisplay();
    device.setLength(111000);
    QLabel* thumb = label("img_Ber");
    ASSERT_EQ(thumb->x(), 50);
    device.clearLog();

    drag("img_Ber", 40, false);
    EXPECT_TRUE(player.seekDragging());
    EXPECT_EQ(thumb->x(), 90);
    EXPECT_EQ(thumb->pixmap().cacheKey(), label("img_Bar_Down")->pixmap().cacheKey());
    // The refresh does not pull a held thumb back to the playing position.
    device.setPosition(1000);
    player.refreshPosition();
    EXPECT_EQ(thumb->x(), 90);
    EXPECT_TRUE(device.log().isEmpty()) << "nothing is sought before the release";

    QTest::mouseRelease(thumb, Qt::LeftButton, {}, QPoint(3, 5));
    EXPECT_EQ(device.takeLog(), QStringList({QStringLiteral("TimeFormat=0"), QStringLiteral("From=40000"),
                                             QStringLiteral("Command=Play")}));
    EXPECT_FALSE(player.seekDragging());
    EXPECT_EQ(thumb->pixmap().cacheKey(), label("img_Vol")->pixmap().cacheKey());
    EXPECT_NE(thumb->pixmap().cacheKey(), label("img_Bar_Down")->pixmap().cacheKey());

    // Dragged past the right end: the track's very end.
    drag("img_Ber", 300, false);
    EXPECT_EQ(thumb->x(), 161);
    QTest::mouseRelease(thumb, Qt::LeftButton, {}, QPoint(3, 5));
    EXPECT_TRUE(device.log().contains(QStringLiteral("From=111000")));
}

TEST_F(PlayerControlsTest, ARightButtonDoesNotDragAThumb)
{
    fill({"a.mp3"});
    click("img_P");
    player.tickDisplay();
    QLabel* thumb = label("img_Ber");
    QTest::mousePress(thumb, Qt::RightButton, {}, QPoint(3, 5));
    QTest::mouseMove(thumb, QPoint(40, 5));
    QTest::mouseRelease(thumb, Qt::RightButton, {}, QPoint(40, 5));
    EXPECT_EQ(thumb->x(), 50);
    EXPECT_FALSE(device.log().contains(QStringLiteral("TimeFormat=0")));
}

TEST(MainWindowDrops, LocalFilesDroppedAnywhereArriveInOrder)
{
    MainWindow form;
    QSignalSpy dropped(&form, &MainWindow::filesDropped);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QStringLiteral("/music/b.mp3")), QUrl(QStringLiteral("https://example.org/x.mp3")),
                  QUrl::fromLocalFile(QStringLiteral("/music/a folder"))});
    QDragEnterEvent enter(QPoint(120, 160), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(120, 160), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &drop);
    ASSERT_EQ(dropped.size(), 1);
    EXPECT_EQ(dropped.first().first().toStringList(),
              QStringList({QStringLiteral("/music/b.mp3"), QStringLiteral("/music/a folder")}));

    QMimeData text;
    text.setText(QStringLiteral("not a file"));
    QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    refused.ignore();
    QCoreApplication::sendEvent(&form, &refused);
    EXPECT_FALSE(refused.isAccepted());
    QDropEvent nothing(QPointF(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &nothing);
    EXPECT_EQ(dropped.size(), 1);
}

} // namespace
