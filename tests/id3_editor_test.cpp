#include "media/Id3EditorWindow.h"

#include <algorithm>

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <taglib/attachedpictureframe.h>
#include <taglib/fileref.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tpropertymap.h>

#include "media/Id3Tag.h"
#include "platform/TextFile.h"
#include "support/AudioFiles.h"
#include "support/FileSizeLimit.h"
#include "support/OrdinaryUser.h"
#include "support/TestUtil.h"

using yk::test::child;

using namespace yk;
using yk::test::readBytes;
using yk::test::spinUntil;
using yk::test::writeBytes;

namespace {

const QByteArray kSound = QByteArray(3000, '\x55');

// The title in the file's ID3v1 block; none without a block, so a save
// that went elsewhere fails the test instead of crashing it.
std::optional<QString> v1Title(const QString& path)
{
    const std::optional<id3::Tag> tag = id3::readTag(path);
    return tag ? std::optional<QString>(tag->title) : std::nullopt;
}

QString fromTag(const TagLib::String& s)
{
    return QString::fromStdString(s.to8Bit(true));
}

// A block as a Japanese tagger writes it: Shift-JIS, NUL-padded.
QByteArray handMadeBlock(const QString& title, const QString& artist, quint8 genre)
{
    auto field = [](const QString& text, int width) {
        QByteArray bytes = cp932::encode(text);
        return bytes + QByteArray(width - bytes.size(), '\0');
    };
    QByteArray block = "TAG" + field(title, 30) + field(artist, 30) + field(QStringLiteral("盤"), 30)
                       + QByteArray("1999") + field(QStringLiteral(u"ｺﾒﾝﾄ"), 30);
    block += static_cast<char>(genre);
    return block;
}

class Id3EditorTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QString song(const QByteArray& bytes, const char* name = "song.mp3")
    {
        const QString p = dir.filePath(QString::fromLatin1(name));
        writeBytes(p, bytes);
        return p;
    }
    Id3EditorWindow& open(const QString& path)
    {
        editor = std::make_unique<Id3EditorWindow>(path);
        editor->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(editor.get()));
        EXPECT_TRUE(spinUntil([this] { return !editor->loading(); }));
        return *editor;
    }
    // A click on 保存 and the write's end.
    void save()
    {
        QTest::mouseClick(child<QPushButton>(editor.get(), "cmdWrite"), Qt::LeftButton);
        EXPECT_TRUE(spinUntil([this] { return !editor->saving(); }));
    }
    // Typed over what the box holds; Japanese comes in whole, as an input
    // method commits it.
    void type(QLineEdit* box, const QString& text)
    {
        box->selectAll();
        const bool ascii = std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
        if (ascii)
            QTest::keyClicks(box, text);
        else
            box->insert(text);
    }

    QTemporaryDir dir;
    std::unique_ptr<Id3EditorWindow> editor;
};

} // namespace

TEST_F(Id3EditorTest, TheWindowItsBoxesAndItsGenreList)
{
    Id3EditorWindow& w = open(song(kSound));
    EXPECT_EQ(w.objectName(), QStringLiteral("frm_Id3"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("ID3 tag editer"));
    EXPECT_EQ(w.minimumSize(), w.maximumSize()) << "a fixed-size window";
    for (const char* name : {"txtFileName", "txtTrackName", "txtAirtist", "txtAlubm", "txtYear", "txtComment"})
        EXPECT_NE(w.findChild<QLineEdit*>(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_EQ(w.findChild<QComboBox*>(QStringLiteral("cmb_Genre")), child<QComboBox>(&w, "cmb_Genre"));
    EXPECT_EQ(w.findChild<QPushButton*>(QStringLiteral("cmdWrite"))->text(), QStringLiteral("保存"));
    EXPECT_EQ(w.findChild<QPushButton*>(QStringLiteral("cmd_Cancel"))->text(), QStringLiteral("キャンセル"));
    QStringList captions;
    for (const QLabel* l : w.findChildren<QLabel*>())
        captions << l->text();
    for (const char16_t* c : {u"ﾀｲﾄﾙ", u"ｱｰﾃｨｽﾄ名", u"ｱﾙﾊﾞﾑ", u"西暦", u"ｺﾒﾝﾄ", u"ｼﾞｬﾝﾙ"})
        EXPECT_TRUE(captions.contains(QString::fromUtf16(c))) << QString::fromUtf16(c).toStdString();

    ASSERT_EQ(child<QComboBox>(&w, "cmb_Genre")->count(), 153);
    for (int i = 0; i < 153; ++i)
        EXPECT_EQ(child<QComboBox>(&w, "cmb_Genre")->itemText(i), id3::genreNames()[i]);
    EXPECT_TRUE(child<QLineEdit>(&w, "txtFileName")->isReadOnly());
}

TEST_F(Id3EditorTest, AShiftJisTagShowsInTheBoxes)
{
    const QString path = song(kSound + handMadeBlock(QStringLiteral(u"夜明けの歌"), QStringLiteral(u"ｱｰﾃｨｽﾄ"), 255));
    Id3EditorWindow& w = open(path);
    EXPECT_EQ(child<QLineEdit>(&w, "txtFileName")->text(), path);
    EXPECT_EQ(child<QLineEdit>(&w, "txtTrackName")->text(), QStringLiteral(u"夜明けの歌"));
    EXPECT_EQ(child<QLineEdit>(&w, "txtAirtist")->text(), QStringLiteral(u"ｱｰﾃｨｽﾄ"));
    EXPECT_EQ(child<QLineEdit>(&w, "txtAlubm")->text(), QStringLiteral(u"盤"));
    EXPECT_EQ(child<QLineEdit>(&w, "txtYear")->text(), QStringLiteral("1999"));
    EXPECT_EQ(child<QLineEdit>(&w, "txtComment")->text(), QStringLiteral(u"ｺﾒﾝﾄ"));
    EXPECT_EQ(child<QComboBox>(&w, "cmb_Genre")->currentIndex(), 152);
    EXPECT_EQ(child<QComboBox>(&w, "cmb_Genre")->currentText(), QStringLiteral("Anime(J)"));
}

TEST_F(Id3EditorTest, WithoutATagTheBoxesAreEmpty)
{
    for (const QByteArray& bytes : {kSound, QByteArray("short"), QByteArray()}) {
        Id3EditorWindow& w = open(song(bytes));
        for (const QLineEdit* box : {child<QLineEdit>(&w, "txtTrackName"), child<QLineEdit>(&w, "txtAirtist"), child<QLineEdit>(&w, "txtAlubm"), child<QLineEdit>(&w, "txtYear"), child<QLineEdit>(&w, "txtComment")})
            EXPECT_TRUE(box->text().isEmpty()) << qPrintable(box->objectName());
        EXPECT_EQ(child<QComboBox>(&w, "cmb_Genre")->currentIndex(), -1);
        EXPECT_TRUE(child<QComboBox>(&w, "cmb_Genre")->currentText().isEmpty());
    }
    // A file that is not there at all: the path still shows.
    const QString gone = dir.filePath(QStringLiteral("gone.mp3"));
    EXPECT_EQ(child<QLineEdit>(&open(gone), "txtFileName")->text(), gone);
}

TEST_F(Id3EditorTest, AGenreByteAndTrackNumberNobodyChangedStay)
{
    // A version 1.1 block: a short comment, track 9 behind it.
    QByteArray block = handMadeBlock(QStringLiteral("t"), {}, 0);
    block[125] = '\0';
    block[126] = 9;
    for (int genre : {148, 200, 250, 17}) {
        block[127] = char(genre);
        const QString path = song(kSound + block);
        Id3EditorWindow& w = open(path);
        EXPECT_EQ(child<QComboBox>(&w, "cmb_Genre")->currentIndex(), genre == 17 ? 17 : -1) << genre;
        type(child<QLineEdit>(&w, "txtTrackName"), QStringLiteral("New title"));
        save();
        EXPECT_FALSE(w.isVisible());
        const std::optional<id3::Tag> tag = id3::readTag(path);
        ASSERT_TRUE(tag.has_value());
        EXPECT_EQ(tag->title, QStringLiteral("New title"));
        EXPECT_EQ(tag->genre, genre);
        EXPECT_EQ(tag->track, 9);
    }
    // A comment that fills the field takes the track number's room.
    Id3EditorWindow& w = open(song(kSound + block));
    type(child<QLineEdit>(&w, "txtComment"), QString(30, u'c'));
    save();
    const std::optional<id3::Tag> tag = id3::readTag(w.path());
    ASSERT_TRUE(tag.has_value());
    EXPECT_EQ(tag->track, 0);
}

TEST_F(Id3EditorTest, TheGenreSavedIsTheTextInTheGenreBox)
{
    const QString path = song(kSound);
    struct Case
    {
        QString text;
        bool chosen; // picked from the list, else typed
        quint8 byte;
    };
    const Case cases[] = {{QStringLiteral("Anime"), true, 145},     {QStringLiteral("Anime(J)"), true, 255},
                          {QStringLiteral("Seiyu(J)"), true, 251},  {QStringLiteral("Blues"), true, 0},
                          {QStringLiteral("Synthpop"), true, 147}, {QStringLiteral("Rock"), false, 17},
                          {QStringLiteral("rock"), false, 255},    {QStringLiteral("My own"), false, 255}};
    for (const Case& c : cases) {
        Id3EditorWindow& w = open(path);
        if (c.chosen) {
            child<QComboBox>(&w, "cmb_Genre")->setCurrentIndex(child<QComboBox>(&w, "cmb_Genre")->findText(c.text));
        } else {
            child<QComboBox>(&w, "cmb_Genre")->lineEdit()->clear();
            QTest::keyClicks(child<QComboBox>(&w, "cmb_Genre")->lineEdit(), c.text);
        }
        ASSERT_EQ(child<QComboBox>(&w, "cmb_Genre")->currentText(), c.text);
        save();
        EXPECT_EQ(quint8(readBytes(path).back()), c.byte) << qPrintable(c.text);
        EXPECT_EQ(child<QComboBox>(&w, "cmb_Genre")->count(), 153) << "typed text never joins the list";
    }
    // A new tag without a genre names none (255), not the list's first.
    open(song(kSound, "fresh.mp3"));
    save();
    EXPECT_EQ(quint8(readBytes(editor->path()).back()), 255);
}

TEST_F(Id3EditorTest, SavingFitsEveryBoxAndTheFileHoldsTheSame)
{
    const QString path = song(kSound);
    Id3EditorWindow& w = open(path);
    QSignalSpy saved(&w, &Id3EditorWindow::saved);
    const QString kanji(15, QChar(0x66F2)); // 曲, two bytes each

    type(child<QLineEdit>(&w, "txtTrackName"), QString(31, u't'));      // one character too many
    type(child<QLineEdit>(&w, "txtAirtist"), QStringLiteral("0123456789")); // ten, padded
    type(child<QLineEdit>(&w, "txtAlubm"), u'a' + kanji);               // the last kanji has one byte of room
    type(child<QLineEdit>(&w, "txtYear"), QStringLiteral("19991"));
    type(child<QLineEdit>(&w, "txtComment"), kanji);                    // exactly 30 bytes
    save();

    ASSERT_EQ(saved.size(), 1);
    EXPECT_EQ(saved[0][0].toString(), path);
    EXPECT_FALSE(w.isVisible()) << "a written tag closes the window";
    EXPECT_EQ(child<QLineEdit>(&w, "txtTrackName")->text(), QString(30, u't'));
    EXPECT_EQ(child<QLineEdit>(&w, "txtAirtist")->text(), QStringLiteral("0123456789") + QString(20, u' '));
    EXPECT_EQ(child<QLineEdit>(&w, "txtAlubm")->text(), u'a' + kanji.left(14) + u' ');
    EXPECT_EQ(child<QLineEdit>(&w, "txtYear")->text(), QStringLiteral("1999"));
    EXPECT_EQ(child<QLineEdit>(&w, "txtComment")->text(), kanji);

    const QByteArray bytes = readBytes(path);
    ASSERT_EQ(bytes.size(), kSound.size() + 128);
    EXPECT_EQ(bytes.left(kSound.size()), kSound);
    const QByteArray block = bytes.right(128);
    EXPECT_EQ(block.mid(3, 30), QByteArray(30, 't'));
    EXPECT_EQ(block.mid(33, 30), QByteArray("0123456789") + QByteArray(20, ' '));
    EXPECT_EQ(block.mid(63, 30), "a" + cp932::encode(kanji.left(14)) + " ") << "no half character";
    EXPECT_EQ(block.mid(93, 4), QByteArray("1999"));
    EXPECT_EQ(block.mid(97, 30), cp932::encode(kanji));

    // Opened again, the padding is gone and nothing was lost on the way.
    Id3EditorWindow& again = open(path);
    EXPECT_EQ(child<QLineEdit>(&again, "txtTrackName")->text(), QString(30, u't'));
    EXPECT_EQ(child<QLineEdit>(&again, "txtAirtist")->text(), QStringLiteral("0123456789"));
    EXPECT_EQ(child<QLineEdit>(&again, "txtAlubm")->text(), u'a' + kanji.left(14));
    EXPECT_EQ(child<QLineEdit>(&again, "txtComment")->text(), kanji);

    // A second save replaces the block: the file grows once.
    type(child<QLineEdit>(&again, "txtTrackName"), QStringLiteral("Second"));
    save();
    EXPECT_EQ(QFileInfo(path).size(), kSound.size() + 128);
    EXPECT_EQ(v1Title(path), QStringLiteral("Second"));
}

TEST_F(Id3EditorTest, TheYearBoxEmptiesAtAKeyThatLeavesNoNumber)
{
    Id3EditorWindow& w = open(song(kSound));
    QTest::keyClicks(child<QLineEdit>(&w, "txtYear"), QStringLiteral("20"));
    EXPECT_EQ(child<QLineEdit>(&w, "txtYear")->text(), QStringLiteral("20"));
    QTest::keyClick(child<QLineEdit>(&w, "txtYear"), Qt::Key_X);
    EXPECT_EQ(child<QLineEdit>(&w, "txtYear")->text(), QString()) << "a letter empties the whole box";
    QTest::keyClicks(child<QLineEdit>(&w, "txtYear"), QStringLiteral("1999"));
    EXPECT_EQ(child<QLineEdit>(&w, "txtYear")->text(), QStringLiteral("1999"));
    // Text that came without a key of its own is judged at the next key.
    child<QLineEdit>(&w, "txtYear")->setText(QStringLiteral("19a9"));
    QTest::keyClick(child<QLineEdit>(&w, "txtYear"), Qt::Key_End);
    EXPECT_EQ(child<QLineEdit>(&w, "txtYear")->text(), QString());
    // Other boxes take letters.
    QTest::keyClicks(child<QLineEdit>(&w, "txtTrackName"), QStringLiteral("x1"));
    EXPECT_EQ(child<QLineEdit>(&w, "txtTrackName")->text(), QStringLiteral("x1"));

    for (const char* yes : {"", "1999", " 12 ", "-3", "1.5", "+7", "1e3"})
        EXPECT_TRUE(Id3EditorWindow::isNumber(QString::fromLatin1(yes))) << yes;
    for (const char* no : {"x", "19a9", " ", "1-", "inf", "nan", "0x10", "1,5.2"})
        EXPECT_FALSE(Id3EditorWindow::isNumber(QString::fromLatin1(no))) << no;
}

TEST_F(Id3EditorTest, CancelAndEscapeCloseWithoutWriting)
{
    const QByteArray bytes = kSound + handMadeBlock(QStringLiteral("Keep"), {}, 3);
    const QString path = song(bytes);
    for (bool escape : {false, true}) {
        Id3EditorWindow& w = open(path);
        QSignalSpy saved(&w, &Id3EditorWindow::saved);
        type(child<QLineEdit>(&w, "txtTrackName"), QStringLiteral("Changed"));
        if (escape)
            QTest::keyClick(child<QLineEdit>(&w, "txtTrackName"), Qt::Key_Escape);
        else
            QTest::mouseClick(child<QPushButton>(&w, "cmd_Cancel"), Qt::LeftButton);
        EXPECT_FALSE(w.isVisible()) << escape;
        QCoreApplication::processEvents();
        EXPECT_TRUE(saved.isEmpty());
        EXPECT_EQ(readBytes(path), bytes);
    }
}

TEST_F(Id3EditorTest, ATagThatCannotBeWrittenKeepsTheWindowOpenAndSaysWhy)
{
    const QByteArray bytes = kSound + handMadeBlock(QStringLiteral("Old"), {}, 3);
    const QString path = song(bytes);
    Id3EditorWindow& w = open(path);
    QSignalSpy saved(&w, &Id3EditorWindow::saved);
    QSignalSpy failed(&w, &Id3EditorWindow::saveFailed);
    type(child<QLineEdit>(&w, "txtTrackName"), QStringLiteral("New"));

    // A full disk.
    {
        yk::test::FileSizeLimit limit(1000);
        save();
    }
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(readBytes(path), bytes);
    ASSERT_EQ(failed.size(), 1);
    EXPECT_FALSE(w.message().isEmpty());
    EXPECT_EQ(child<QLabel>(&w, "lblMessage")->text(), failed[0][0].toString());
    EXPECT_TRUE(child<QLabel>(&w, "lblMessage")->isVisible());
    EXPECT_TRUE(child<QPushButton>(&w, "cmdWrite")->isEnabled()) << "the user may try again";

    // A read-only file.
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7777)));
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadOther));
    {
        yk::test::OrdinaryUser user;
        save();
    }
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(readBytes(path), bytes);
    EXPECT_EQ(failed.size(), 2);
    const QString readOnly = w.message();
    EXPECT_FALSE(readOnly.isEmpty());

    // Writable again: the same window saves, and its message goes.
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    save();
    EXPECT_EQ(saved.size(), 1);
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(w.message().isEmpty());
    EXPECT_EQ(v1Title(path), QStringLiteral("New"));
}

TEST_F(Id3EditorTest, AFileGoneSinceOpeningIsNotMadeAgain)
{
    const QString path = song(kSound);
    Id3EditorWindow& w = open(path);
    ASSERT_TRUE(QFile::remove(path));
    type(child<QLineEdit>(&w, "txtTrackName"), QStringLiteral("x"));
    save();
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(w.message().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST_F(Id3EditorTest, TheWindowStaysWhileItsTagIsBeingWritten)
{
    const QString path = song(QByteArray(2 * 1024 * 1024, 'm'));
    Id3EditorWindow& w = open(path);
    QSignalSpy saved(&w, &Id3EditorWindow::saved);
    type(child<QLineEdit>(&w, "txtTrackName"), QStringLiteral("Busy"));
    QTest::mouseClick(child<QPushButton>(&w, "cmdWrite"), Qt::LeftButton);
    ASSERT_TRUE(w.saving());
    EXPECT_FALSE(child<QPushButton>(&w, "cmdWrite")->isEnabled());
    EXPECT_FALSE(child<QPushButton>(&w, "cmd_Cancel")->isEnabled());
    EXPECT_FALSE(w.close()) << "closing now would hide whether the tag was written";
    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_TRUE(w.isVisible());
    // A second click while busy starts no second write.
    w.save();
    ASSERT_TRUE(spinUntil([&] { return !w.saving(); }));
    EXPECT_EQ(saved.size(), 1);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(v1Title(path), QStringLiteral("Busy"));
}

TEST_F(Id3EditorTest, AnId3v2TagGetsTheWholeNewTitleInItsOwnVersionAndKeepsItsPicture)
{
    if (!yk::test::canEncodeAudio())
        GTEST_SKIP() << "no encoder for a real MP3";
    const TagLib::ByteVector picture("not really a picture", 20);
    const QString title = QStringLiteral(u"新しい題名はID3v1の三十バイトには入りません");
    for (int version : {3, 4}) {
        const QString path = dir.filePath(QStringLiteral("v%1.mp3").arg(version));
        const QByteArray name = QFile::encodeName(path); // TagLib keeps the pointer
        ASSERT_TRUE(yk::test::writeAudioFile(path, yk::test::AudioFormat::Mp3));
        {
            TagLib::MPEG::File f(name.constData());
            f.ID3v2Tag(true)->setTitle("Old title");
            auto* apic = new TagLib::ID3v2::AttachedPictureFrame;
            apic->setPicture(picture);
            f.ID3v2Tag()->addFrame(apic);
            ASSERT_TRUE(f.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone, TagLib::ID3v2::Version(version)));
        }
        Id3EditorWindow& w = open(path);
        EXPECT_EQ(child<QLineEdit>(&w, "txtTrackName")->text(), QStringLiteral("Old title"));
        type(child<QLineEdit>(&w, "txtTrackName"), title);
        type(child<QLineEdit>(&w, "txtAirtist"), QStringLiteral("Band"));
        save();
        ASSERT_FALSE(w.isVisible()) << qPrintable(w.message());
        EXPECT_EQ(child<QLineEdit>(&w, "txtTrackName")->text(), title) << "not cut to fit: the ID3v2 tag takes it whole";

        TagLib::MPEG::File f(name.constData());
        ASSERT_TRUE(f.hasID3v2Tag());
        const TagLib::ID3v2::Tag* tag = f.ID3v2Tag();
        EXPECT_EQ(tag->header()->majorVersion(), unsigned(version));
        ASSERT_EQ(tag->frameList("TIT2").size(), 1u);
        const auto* tit2 = dynamic_cast<TagLib::ID3v2::TextIdentificationFrame*>(tag->frameList("TIT2").front());
        ASSERT_NE(tit2, nullptr);
        EXPECT_EQ(fromTag(tit2->toString()), title);
        const TagLib::String::Type unicode = version == 3 ? TagLib::String::UTF16 : TagLib::String::UTF8;
        EXPECT_EQ(tit2->textEncoding(), unicode);
        const auto* tpe1 = dynamic_cast<TagLib::ID3v2::TextIdentificationFrame*>(tag->frameList("TPE1").front());
        EXPECT_EQ(tpe1->textEncoding(), unicode) << "plain ASCII too";
        ASSERT_EQ(tag->frameList("APIC").size(), 1u);
        EXPECT_EQ(dynamic_cast<TagLib::ID3v2::AttachedPictureFrame*>(tag->frameList("APIC").front())->picture(),
                  picture);
        // The ID3v1 block holds the same title, cut to its width.
        const std::optional<id3::Tag> v1 = id3::readTag(path);
        ASSERT_TRUE(v1.has_value());
        EXPECT_EQ(v1->title, id3::fittedText(title, id3::kTitleWidth).trimmed());
        EXPECT_EQ(child<QLineEdit>(&open(path), "txtTrackName")->text(), title);
    }
}

TEST_F(Id3EditorTest, FlacOggOpusM4aAndWmaTagsRoundTripThroughTheWindow)
{
    if (!yk::test::canEncodeAudio())
        GTEST_SKIP() << "no encoders for real files";
    const QString title = QStringLiteral(u"新しい題");
    const QString artist = QStringLiteral(u"三十バイトより長いアーティストの名前です");
    using yk::test::AudioFormat;
    for (AudioFormat format :
         {AudioFormat::Flac, AudioFormat::M4a, AudioFormat::OggVorbis, AudioFormat::Opus, AudioFormat::Wma}) {
        const QString path = dir.filePath(QStringLiteral("tone.") + yk::test::audioSuffix(format));
        const QByteArray name = QFile::encodeName(path);
        ASSERT_TRUE(yk::test::writeAudioFile(path, format));
        {
            TagLib::FileRef f(name.constData());
            ASSERT_FALSE(f.isNull());
            TagLib::PropertyMap p;
            p.insert("TITLE", TagLib::StringList("Old"));
            p.insert("DATE", TagLib::StringList("2004-05-12"));
            p.insert("GENRE", TagLib::StringList("Shoegaze"));
            f.file()->setProperties(p);
            ASSERT_TRUE(f.save());
        }
        Id3EditorWindow& w = open(path);
        EXPECT_EQ(child<QLineEdit>(&w, "txtTrackName")->text(), QStringLiteral("Old"));
        EXPECT_EQ(child<QLineEdit>(&w, "txtYear")->text(), QStringLiteral("2004"));
        EXPECT_EQ(child<QComboBox>(&w, "cmb_Genre")->currentText(), QStringLiteral("Shoegaze"));
        EXPECT_EQ(child<QComboBox>(&w, "cmb_Genre")->count(), 154) << "the file's own genre beside the list";
        type(child<QLineEdit>(&w, "txtTrackName"), title);
        type(child<QLineEdit>(&w, "txtAirtist"), artist);

        // A full disk changes nothing and says so.
        const QByteArray before = readBytes(path);
        {
            yk::test::FileSizeLimit limit(before.size() / 2);
            save();
        }
        EXPECT_TRUE(w.isVisible());
        EXPECT_FALSE(w.message().isEmpty());
        EXPECT_EQ(readBytes(path), before);

        save();
        ASSERT_FALSE(w.isVisible()) << qPrintable(w.message());
        EXPECT_FALSE(readBytes(path).right(128).startsWith("TAG")) << "no ID3v1 block";
        Id3EditorWindow& again = open(path);
        EXPECT_EQ(child<QLineEdit>(&again, "txtTrackName")->text(), title);
        EXPECT_EQ(child<QLineEdit>(&again, "txtAirtist")->text(), artist);
        EXPECT_EQ(child<QComboBox>(&again, "cmb_Genre")->currentText(), QStringLiteral("Shoegaze"));
        const TagLib::FileRef f(name.constData());
        EXPECT_EQ(f.file()->properties()["DATE"].toString().to8Bit(), "2004-05-12") << "an untouched date stays whole";
    }
}

TEST_F(Id3EditorTest, DamagedAndForeignFilesShowWhatCanBeRead)
{
    // An ID3v2 tag that claims 256 MB: left as it is; the ID3v1 block behind
    // the sound is what the editor shows and writes.
    const QByteArray lying = QByteArray("ID3\x03\0\0\x7f\x7f\x7f\x7fTIT2\0\0\0\x04\0\0\0Lie", 24);
    const QString path = song(lying + kSound + handMadeBlock(QStringLiteral("v1"), {}, 17));
    Id3EditorWindow& w = open(path);
    EXPECT_EQ(child<QLineEdit>(&w, "txtTrackName")->text(), QStringLiteral("v1"));
    type(child<QLineEdit>(&w, "txtTrackName"), QStringLiteral("New"));
    save();
    EXPECT_FALSE(w.isVisible()) << qPrintable(w.message());
    EXPECT_TRUE(readBytes(path).startsWith(lying + kSound));
    EXPECT_EQ(v1Title(path), QStringLiteral("New"));

    // Nothing a tag can be read from or written to: the window says so.
    const std::pair<const char*, QByteArray> files[] = {{"empty.flac", {}},
                                                        {"cut.flac", QByteArray("fLaC\0\0\0\x22", 8)},
                                                        {"empty.m4a", {}},
                                                        {"song.wav", kSound}};
    for (const auto& [name, bytes] : files) {
        Id3EditorWindow& d = open(song(bytes, name));
        EXPECT_FALSE(d.message().isEmpty()) << name;
        EXPECT_FALSE(child<QPushButton>(&d, "cmdWrite")->isEnabled()) << name;
        EXPECT_TRUE(child<QLineEdit>(&d, "txtTrackName")->text().isEmpty()) << name;
    }
}

TEST(Id3EditorPlace, OpensTowardsTheMiddleOfTheDesktop)
{
    const WorkAreaTwips work{0, 0, 19200, 15360}; // 1280 x 1024 pixels
    const QSize editor(5760, 3930);
    // Upper left: below the main window, left edges in line.
    EXPECT_EQ(id3EditorPlace({1000, 600}, editor, work), (TwipsPos{1000 + 2655, 600}));
    // Upper right: below, right edges in line.
    EXPECT_EQ(id3EditorPlace({1000, 15000}, editor, work), (TwipsPos{3655, 15000 + 2655 - 5760}));
    // Lower left: above, its bottom on the main window's top.
    EXPECT_EQ(id3EditorPlace({12000, 600}, editor, work), (TwipsPos{12000 - 3930, 600}));
    // Lower right.
    EXPECT_EQ(id3EditorPlace({12000, 15000}, editor, work), (TwipsPos{8070, 11895}));

    // Exactly at half counts as the upper and the left half.
    EXPECT_EQ(id3EditorPlace({7680, 9600}, editor, work), (TwipsPos{7680 + 2655, 9600}));
    EXPECT_EQ(id3EditorPlace({7681, 9601}, editor, work), (TwipsPos{7681 - 3930, 9601 + 2655 - 5760}));
    // An odd span: the half lies between two twips.
    const WorkAreaTwips odd{0, 0, 19201, 15361};
    EXPECT_EQ(id3EditorPlace({7680, 9600}, editor, odd).top, 7680 + 2655);
    EXPECT_EQ(id3EditorPlace({7681, 9601}, editor, odd).left, 9601 + 2655 - 5760);

    // The halves are (start + extent) / 2: a work area starting at 3000
    // twips and 12000 long splits at 7500.
    const WorkAreaTwips shifted{3000, 3000, 12000, 12000};
    EXPECT_EQ(id3EditorPlace({7500, 7500}, editor, shifted), (TwipsPos{7500 + 2655, 7500}));
    EXPECT_EQ(id3EditorPlace({7501, 7501}, editor, shifted), (TwipsPos{7501 - 3930, 7501 + 2655 - 5760}));
}
