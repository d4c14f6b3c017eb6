// The tag editor as the program wires it: the title label's right button,
// the place beside the main window, always-on-top, and a saved title
// showing in the player and the play list.

#include "support/AppHarness.h"
#include "support/TestUtil.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>

#include "media/Id3EditorWindow.h"
#include "media/Id3Tag.h"
#include "media/PlayListView.h"
#include "media/PlayWindow.h"
#include "media/Player.h"

using yk::test::child;

using namespace yk;
using yk::test::Harness;
using yk::test::spinUntil;
using yk::test::touch;

namespace {

// Started with a folder of two songs, the first with a tag.
struct EditorHarness : Harness
{
    QStringList files;

    explicit EditorHarness(bool withSongs = true)
    {
        QDir(dir.path()).mkpath(QStringLiteral("System")); // no opening sound
        if (!withSongs) {
            startAndSettle();
            return;
        }
        id3::Tag tag;
        tag.title = QStringLiteral(u"朝の歌");
        touch(path(QStringLiteral("m/a.mp3")), QByteArray(500, 'a') + id3::tagBlock(tag));
        touch(path(QStringLiteral("m/b.mp3")), QByteArray(500, 'b'));
        files = QStringList{path(QStringLiteral("m/a.mp3")), path(QStringLiteral("m/b.mp3"))};
        startAndSettle({path(QStringLiteral("m"))});
        tick();
    }

    // The click, and the editor's tag read (off the UI thread) when it opened.
    void rightClickTitle() const
    {
        QTest::mouseClick(label(QStringLiteral("lbl_Play_Name")), Qt::RightButton);
        EXPECT_TRUE(spinUntil([this] { return !editor() || !editor()->loading(); }));
    }
    Id3EditorWindow* editor() const { return id3Editor(); }
    // Every editor window that exists, shown or not.
    static int editorWindows()
    {
        int n = 0;
        for (QWidget* w : QApplication::allWidgets())
            n += w->objectName() == u"frm_Id3" ? 1 : 0;
        return n;
    }
    // Closed and deleted. The test body runs outside any event loop, where
    // a deferred delete waits for one at its own level: it is sent here.
    bool closed() const
    {
        return spinUntil([] {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            return editorWindows() == 0;
        }) && editor() == nullptr;
    }
};

} // namespace

TEST(Id3Wiring, RightReleaseOnTheTitleOpensTheCurrentEntryAndASecondCloses)
{
    EditorHarness h;
    ASSERT_EQ(h.playList().entries(), h.files);
    h.rightClickTitle();
    Id3EditorWindow* editor = h.editor();
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(child<QLineEdit>(editor, "txtFileName")->text(), h.files[0]);
    EXPECT_EQ(child<QLineEdit>(editor, "txtTrackName")->text(), QStringLiteral(u"朝の歌"));

    h.rightClickTitle();
    EXPECT_TRUE(h.closed()) << "a visible editor is closed, and gone";

    // The left button is the play list's, not the editor's.
    QTest::mouseClick(h.label(QStringLiteral("lbl_Play_Name")), Qt::LeftButton);
    EXPECT_EQ(h.editor(), nullptr);
    EXPECT_TRUE(h.playWindow()->isVisible());

    // After a step forward the editor follows the current entry.
    h.key(Qt::Key_PageDown);
    ASSERT_EQ(h.player().currentIndex(), 1);
    h.rightClickTitle();
    ASSERT_NE(h.editor(), nullptr);
    EXPECT_EQ(child<QLineEdit>(h.editor(), "txtFileName")->text(), h.files[1]);
    EXPECT_TRUE(child<QLineEdit>(h.editor(), "txtTrackName")->text().isEmpty());
    EXPECT_EQ(EditorHarness::editorWindows(), 1);

    // Cancel closes it for good as well.
    QTest::mouseClick(child<QPushButton>(h.editor(), "cmd_Cancel"), Qt::LeftButton);
    EXPECT_TRUE(h.closed());
}

TEST(Id3Wiring, WithAnEmptyListNothingOpens)
{
    EditorHarness h(false);
    ASSERT_TRUE(h.playList().isEmpty());
    h.rightClickTitle();
    QCoreApplication::processEvents();
    EXPECT_EQ(h.editor(), nullptr);
    EXPECT_EQ(EditorHarness::editorWindows(), 0);
}

TEST(Id3Wiring, TheEditorOpensBesideTheMainWindowTowardsTheMiddle)
{
    EditorHarness h;
    MainWindow* form = h.form();
    const int side = form->height();
    ASSERT_EQ(side * 15, kId3MainSide);

    // Upper left of the 1280 x 1024 work area: under the main window.
    form->move(100, 60);
    h.rightClickTitle();
    ASSERT_NE(h.editor(), nullptr);
    QRect r = h.editor()->frameGeometry();
    EXPECT_EQ(r.topLeft(), QPoint(100, 60 + side));
    h.rightClickTitle();
    ASSERT_TRUE(h.closed());

    // Lower right: above it, right edges in line.
    form->move(1000, 800);
    h.rightClickTitle();
    ASSERT_NE(h.editor(), nullptr);
    r = h.editor()->frameGeometry();
    EXPECT_EQ(r.right(), form->frameGeometry().right());
    EXPECT_EQ(r.bottom() + 1, 800);
}

TEST(Id3Wiring, AlwaysOnTopFollowsTheMainWindow)
{
    EditorHarness h;
    h.rightClickTitle();
    ASSERT_NE(h.editor(), nullptr);
    EXPECT_FALSE(h.editor()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    h.menu(QStringLiteral("mnu_Top"));
    ASSERT_TRUE(h.settings().alwaysOnTop);
    EXPECT_TRUE(h.editor()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(h.editor()->isVisible()) << "the change never hides it";

    h.rightClickTitle();
    ASSERT_TRUE(h.closed());
    h.rightClickTitle();
    ASSERT_NE(h.editor(), nullptr);
    EXPECT_TRUE(h.editor()->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) << "opened under the setting";
    h.menu(QStringLiteral("mnu_Top"));
    EXPECT_FALSE(h.editor()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST(Id3Wiring, ASavedTitleShowsInThePlayerAndThePlayList)
{
    EditorHarness h;
    h.key(Qt::Key_PageDown);
    h.tick();
    ASSERT_EQ(h.text(QStringLiteral("lbl_Play_Name")), QStringLiteral("2.b"));
    h.rightClickTitle();
    Id3EditorWindow* editor = h.editor();
    ASSERT_NE(editor, nullptr);
    child<QLineEdit>(editor, "txtTrackName")->setText(QStringLiteral(u"新しい題"));
    QTest::mouseClick(child<QPushButton>(editor, "cmdWrite"), Qt::LeftButton);
    ASSERT_TRUE(h.closed()) << "a written tag closes the editor";
    const std::optional<id3::Tag> tag = id3::readTag(h.files[1]);
    ASSERT_TRUE(tag.has_value()) << "the tag went into the entry's own file";
    EXPECT_EQ(tag->title, QStringLiteral(u"新しい題"));

    h.tick();
    EXPECT_EQ(h.text(QStringLiteral("lbl_Play_Name")), QStringLiteral(u"2.新しい題"));
    const QStringList rows = h.playListView().rows();
    ASSERT_GE(rows.size(), 2);
    EXPECT_TRUE(rows[1].endsWith(QStringLiteral(u"新しい題"))) << qPrintable(rows[1]);
    EXPECT_TRUE(rows[0].endsWith(QStringLiteral(u"朝の歌"))) << qPrintable(rows[0]);
}
