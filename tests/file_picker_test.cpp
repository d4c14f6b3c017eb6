#include "launcher/FilePickerWindow.h"
#include "ui/ToolWindow.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>

#include "support/Fakes.h"

#include <functional>

using namespace yk;

namespace {


bool waitFor(const std::function<bool()>& condition, int ms = 5000)
{
    for (int waited = 0; waited < ms; waited += 20) {
        if (condition())
            return true;
        QTest::qWait(20);
    }
    return condition();
}

class FilePicker : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        app = QDir(dir.path()).absolutePath() + u'/';
        for (const char* name : {"img/a.jpg", "img/b.BMP", "img/c.txt", "img/sub/deep.gif", "exe/tool.EXE",
                                 "exe/tool.com", "exe/runexe", "wav/ring.wav", "wav/notes.txt", "wav/rain.flac", "mp3/song.mp3", "mp3/tone.opus", "mp3/cover.jpeg"})
            make(QString::fromLatin1(name));
    }

    void make(const QString& relative)
    {
        const QString path = app + relative;
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }

    std::unique_ptr<FilePickerWindow> open(PickerTarget* target = nullptr)
    {
        auto form = std::make_unique<FilePickerWindow>(AppPaths(app), target);
        form->showModal();
        return form;
    }

    static QListView* file1(FilePickerWindow& f) { return f.findChild<QListView*>(QStringLiteral("File1")); }
    static QLineEdit* text1(FilePickerWindow& f) { return f.findChild<QLineEdit*>(QStringLiteral("Text1")); }
    static QComboBox* drive1(FilePickerWindow& f) { return f.findChild<QComboBox*>(QStringLiteral("Drive1")); }

    // The names the file list shows, once the model has read the folder.
    static QStringList listedFiles(FilePickerWindow& f)
    {
        QListView* view = file1(f);
        auto* model = qobject_cast<QFileSystemModel*>(view->model());
        QStringList names;
        for (int r = 0; r < model->rowCount(view->rootIndex()); ++r)
            names << model->index(r, 0, view->rootIndex()).data().toString();
        names.sort();
        return names;
    }

    static QModelIndex rowOf(FilePickerWindow& f, const QString& name)
    {
        QListView* view = file1(f);
        for (int r = 0; r < view->model()->rowCount(view->rootIndex()); ++r) {
            const QModelIndex index = view->model()->index(r, 0, view->rootIndex());
            if (index.data().toString() == name)
                return index;
        }
        return {};
    }

    static void clickFile(FilePickerWindow& f, const QString& name, bool twice = false)
    {
        ASSERT_TRUE(waitFor([&] { return rowOf(f, name).isValid(); })) << qPrintable(name);
        QListView* view = file1(f);
        const QModelIndex index = rowOf(f, name);
        view->scrollTo(index);
        const QPoint at = view->visualRect(index).center();
        // A real double click starts with an ordinary click.
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        if (twice)
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    }

    QTemporaryDir dir;
    QString app;
};

} // namespace

TEST_F(FilePicker, ControlsAndStartingFolder)
{
    auto f = open();
    EXPECT_EQ(f->objectName(), QStringLiteral("Dir_Form"));
    EXPECT_EQ(f->windowTitle(), QStringLiteral(" 背景登録"));
    EXPECT_EQ(f->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(f->folder(), app + QStringLiteral("img/"));
    EXPECT_EQ(f->findChild<QPushButton*>(QStringLiteral("cmb_touroku"))->text(), QStringLiteral("登録(&S)"));
    EXPECT_EQ(f->findChild<QPushButton*>(QStringLiteral("Command1"))->text(), QStringLiteral("戻る(&E)"));
    ASSERT_NE(f->findChild<QTreeView*>(QStringLiteral("Dir1")), nullptr);
    for (const char* name : {"Drive1", "Dir1", "File1", "Text1", "cmb_touroku", "Command1"}) {
        auto* w = f->findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_NE(w, nullptr) << name;
        EXPECT_FALSE(w->accessibleName().isEmpty()) << name;
    }
    // The design pattern lists pictures, in any letter case.
    ASSERT_TRUE(waitFor([&] { return listedFiles(*f).size() == 2; }));
    EXPECT_EQ(listedFiles(*f), (QStringList{QStringLiteral("a.jpg"), QStringLiteral("b.BMP")}));
    EXPECT_TRUE(drive1(*f)->currentIndex() >= 0);

    // Without img/ the application folder.
    QDir(app + QStringLiteral("img")).removeRecursively();
    auto g = std::make_unique<FilePickerWindow>(AppPaths(app));
    EXPECT_EQ(g->folder(), app);
}

TEST_F(FilePicker, ClickFillsThePathAndDoubleClickRegisters)
{
    yk::test::RecordingPickerTarget target;
    target.launcherNo = 4;
    target.soundNo = 7;
    auto f = open(&target);
    f->apply(backgroundPickerRequest(3, AppPaths(app)));
    clickFile(*f, QStringLiteral("b.BMP"));
    EXPECT_EQ(text1(*f)->text(), app + QStringLiteral("img/b.BMP"));
    EXPECT_TRUE(target.log.isEmpty());

    QSignalSpy places(f->toolWindow(), &ToolWindow::positionRecorded);
    clickFile(*f, QStringLiteral("a.jpg"), true);
    EXPECT_EQ(text1(*f)->text(), app + QStringLiteral("img/a.jpg"));
    EXPECT_EQ(target.log, QStringList{QStringLiteral("background ") + app + QStringLiteral("img/a.jpg")});
    EXPECT_GE(places.count(), 1);
    EXPECT_TRUE(f->isVisible()) << "the picker stays open after registering";
}

TEST_F(FilePicker, LauncherModeThroughTheWindow)
{
    yk::test::RecordingPickerTarget target;
    target.launcherNo = 4;
    target.soundNo = 7;
    auto f = open(&target);
    f->apply(launcherPickerRequest(4, AppPaths(app)));
    EXPECT_EQ(f->mode(), PickerMode::Launcher);
    EXPECT_EQ(f->folder(), app + QStringLiteral("exe/"));
    ASSERT_TRUE(waitFor([&] { return listedFiles(*f) == QStringList{QStringLiteral("tool.EXE")}; }))
        << qPrintable(listedFiles(*f).join(u','));

    clickFile(*f, QStringLiteral("tool.EXE"), true);
    EXPECT_EQ(target.log, (QStringList{QStringLiteral("launcher 4 ") + app + QStringLiteral("exe/tool.EXE"),
                                       QStringLiteral("txt_Apr tool.EXE")}));

    // Paths the list does not show can be typed; Enter registers.
    target.log.clear();
    QLineEdit* t = text1(*f);
    t->setFocus();
    t->setText(app + QStringLiteral("exe/tool.com"));
    QTest::keyClick(t, Qt::Key_Return);
    EXPECT_TRUE(target.log.isEmpty());
    t->setText(app + QStringLiteral("exe/runexe"));
    QTest::keyClick(t, Qt::Key_Enter);
    EXPECT_EQ(target.log.first(), QStringLiteral("launcher 4 ") + app + QStringLiteral("exe/runexe"));
    target.log.clear();
    t->setText(app + QStringLiteral("exe/missing.exe"));
    QTest::keyClick(t, Qt::Key_Return);
    EXPECT_EQ(target.log, QStringList{QStringLiteral("txt_Apr 未登録")});
    EXPECT_TRUE(f->isVisible()) << "Enter must not close the window";
}

TEST_F(FilePicker, SoundAndPlayListModesThroughTheButton)
{
    yk::test::RecordingPickerTarget target;
    target.launcherNo = 4;
    target.soundNo = 7;
    auto f = open(&target);
    auto* button = f->findChild<QPushButton*>(QStringLiteral("cmb_touroku"));

    f->apply(timerSoundPickerRequest(7, AppPaths(app)));
    f->setFolder(app + QStringLiteral("wav"));
    clickFile(*f, QStringLiteral("ring.wav"));
    QTest::mouseClick(button, Qt::LeftButton);
    text1(*f)->setText(app + QStringLiteral("wav/notes.txt"));
    QTest::mouseClick(button, Qt::LeftButton);
    clickFile(*f, QStringLiteral("rain.flac"));
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(target.log, (QStringList{QStringLiteral("sound 7 ") + app + QStringLiteral("wav/ring.wav"),
                                       QStringLiteral("txt_Wav ring.wav"), QStringLiteral("txt_Wav 未登録"),
                                       QStringLiteral("sound 7 ") + app + QStringLiteral("wav/rain.flac"),
                                       QStringLiteral("txt_Wav rain.flac")}));

    target.log.clear();
    f->apply(playListPickerRequest(AppPaths(app)));
    EXPECT_EQ(f->folder(), app + QStringLiteral("mp3/"));
    EXPECT_TRUE(waitFor([&] { return listedFiles(*f) == QStringList{QStringLiteral("song.mp3"), QStringLiteral("tone.opus")}; }));
    clickFile(*f, QStringLiteral("song.mp3"));
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(target.log, QStringList{QStringLiteral("add ") + app + QStringLiteral("mp3/song.mp3")});
}

TEST_F(FilePicker, EscapeClosesAndBackSavesFirst)
{
    {
        auto f = open();
        QSignalSpy places(f->toolWindow(), &ToolWindow::positionRecorded);
        QSignalSpy saves(f.get(), &FilePickerWindow::saveRequested);
        text1(*f)->setFocus();
        QTest::keyClick(text1(*f), Qt::Key_Escape);
        EXPECT_FALSE(f->isVisible());
        EXPECT_GE(places.count(), 1);
        EXPECT_EQ(saves.count(), 0);
    }
    {
        auto f = open();
        QTest::keyClick(f->findChild<QPushButton*>(QStringLiteral("cmb_touroku")), Qt::Key_Escape);
        EXPECT_FALSE(f->isVisible());
    }
    {
        auto f = open();
        QStringList order;
        QObject::connect(f.get(), &FilePickerWindow::saveRequested, [&] { order << QStringLiteral("save"); });
        QObject::connect(f->toolWindow(), &ToolWindow::positionRecorded, [&] { order << QStringLiteral("place"); });
        QObject::connect(f.get(), &QDialog::finished, [&] { order << QStringLiteral("closed"); });
        QTest::mouseClick(f->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
        EXPECT_FALSE(f->isVisible());
        EXPECT_EQ(order, (QStringList{QStringLiteral("place"), QStringLiteral("save"), QStringLiteral("place"),
                                      QStringLiteral("closed")}));
    }
}

TEST_F(FilePicker, PlaceIsStoredAndReportedInTwips)
{
    auto f = std::make_unique<FilePickerWindow>(AppPaths(app));
    const QRect work(0, 30, 800, 560); // top 450 twips
    f->toolWindow()->placeFromTwips(3000, 1500, work);
    f->show();
    QSignalSpy places(f->toolWindow(), &ToolWindow::positionRecorded);
    f->recordPlace();
    ASSERT_EQ(places.count(), 1);
    EXPECT_EQ(places.at(0).at(0).value<TwipsPos>(), (TwipsPos{3000, 1500}));

    // A stored top of 0 means the top of the work area.
    f->toolWindow()->placeFromTwips(0, 1500, work);
    f->recordPlace();
    EXPECT_EQ(places.at(1).at(0).value<TwipsPos>(), (TwipsPos{450, 1500}));
    // Without a stored place nothing moves.
    f->toolWindow()->placeFromTwips(std::nullopt, 9000, work);
    f->recordPlace();
    EXPECT_EQ(places.at(2).at(0).value<TwipsPos>(), (TwipsPos{450, 1500}));

    // Closing records the place too.
    f->close();
    ASSERT_EQ(places.count(), 4);
    EXPECT_EQ(places.at(3).at(0).value<TwipsPos>(), (TwipsPos{450, 1500}));
}

TEST_F(FilePicker, UnreadableDriveFallsBackAndReadableDriveMoves)
{
    auto f = open();
    const QString before = f->folder();
    const QString bogus = QStringLiteral("/nonexistent-yk-drive");
    // A caller's list is taken in its order: the bogus drive is second.
    f->setDrives({app + QStringLiteral("exe"), bogus});
    QComboBox* drives = drive1(*f);
    const QString driveBefore = drives->currentText();

    drives->setFocus();
    drives->setCurrentIndex(0);
    QTest::keyClick(drives, Qt::Key_Down); // user picks the bogus drive
    EXPECT_EQ(f->folder(), before);
    EXPECT_EQ(drives->currentText(), driveBefore);
    EXPECT_NE(drives->currentText(), bogus);

    // The other listed drive is readable: the lists move there.
    const int exeRow = drives->findText(app + QStringLiteral("exe"));
    ASSERT_GE(exeRow, 0);
    drives->setCurrentIndex(exeRow == 0 ? 1 : 0);
    QTest::keyClick(drives, exeRow == 0 ? Qt::Key_Up : Qt::Key_Down);
    EXPECT_EQ(f->folder(), app + QStringLiteral("exe/"));
    EXPECT_EQ(drives->currentText(), app + QStringLiteral("exe"));
}

TEST_F(FilePicker, FolderTreeChangesTheFileList)
{
    auto f = open();
    auto* tree = f->findChild<QTreeView*>(QStringLiteral("Dir1"));
    auto* model = qobject_cast<QFileSystemModel*>(tree->model());
    const QModelIndex sub = model->index(app + QStringLiteral("img/sub"));
    ASSERT_TRUE(sub.isValid());
    tree->setCurrentIndex(sub);
    EXPECT_EQ(f->folder(), app + QStringLiteral("img/sub/"));
    ASSERT_TRUE(waitFor([&] { return listedFiles(*f) == QStringList{QStringLiteral("deep.gif")}; }));
}
