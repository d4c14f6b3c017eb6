#include "media/Id3Tag.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "media/EntryName.h"
#include "platform/TextFile.h"
#include "support/TestUtil.h"

namespace id3 = yk::id3;

using yk::test::readBytes;
using yk::test::writeBytes;

namespace {

// A block as another tagger writes it: fields NUL- or space-padded.
QByteArray rawBlock(const QByteArray& title, const QByteArray& artist, const QByteArray& album,
                    const QByteArray& year, const QByteArray& comment, quint8 genre, char pad = '\0')
{
    auto field = [pad](QByteArray f, int width) {
        f.truncate(width);
        return f + QByteArray(width - f.size(), pad);
    };
    QByteArray block = "TAG" + field(title, 30) + field(artist, 30) + field(album, 30) + field(year, 4)
                       + field(comment, 30);
    block += static_cast<char>(genre);
    return block;
}

QByteArray sjis(const QString& text)
{
    return yk::cp932::encode(text);
}

} // namespace

TEST(Id3Read, FieldsOfATagAtTheEndOfAFile)
{
    QTemporaryDir dir;
    const QString song = dir.filePath(QStringLiteral("song.mp3"));
    // Title with blanks around it, NUL-padded fields, a version 1.1 comment
    // with a track byte behind its NUL.
    QByteArray comment = sjis(QStringLiteral(u"コメント"));
    comment += QByteArray(28 - comment.size(), '\0') + QByteArray("\0\x07", 2);
    writeBytes(song, QByteArray(5000, '\xff')
                         + rawBlock(sjis(QStringLiteral(u"  夜明けの歌 ")), sjis(QStringLiteral(u"ｱｰﾃｨｽﾄ")),
                                    "Album", "1999", comment, 255));
    const std::optional<id3::Tag> tag = id3::readTag(song);
    ASSERT_TRUE(tag.has_value());
    EXPECT_EQ(tag->title, QStringLiteral(u"夜明けの歌"));
    EXPECT_EQ(tag->artist, QStringLiteral(u"ｱｰﾃｨｽﾄ"));
    EXPECT_EQ(tag->album, QStringLiteral("Album"));
    EXPECT_EQ(tag->year, QStringLiteral("1999"));
    EXPECT_EQ(tag->comment, QStringLiteral(u"コメント"));
    EXPECT_EQ(tag->track, 7);
    EXPECT_EQ(tag->genre, 255);
    EXPECT_EQ(id3::genreNames().value(id3::genreIndexForByte(tag->genre)), QStringLiteral("Anime(J)"));

    // Space padding reads the same; a blank that is not a space stays.
    const std::optional<id3::Tag> spaced
        = id3::parseTag(rawBlock("\tTitle", "", "", "", "", 0, ' '));
    ASSERT_TRUE(spaced.has_value());
    EXPECT_EQ(spaced->title, QStringLiteral("\tTitle"));
    EXPECT_EQ(spaced->artist, QString());
}

TEST(Id3Read, NoTagNoFileNoPath)
{
    QTemporaryDir dir;
    const QString song = dir.filePath(QStringLiteral("song.mp3"));
    writeBytes(song, QByteArray(4000, 'x'));
    EXPECT_FALSE(id3::readTag(song).has_value());
    // "TAG" somewhere else than 128 bytes before the end is no tag.
    writeBytes(song, rawBlock("t", "", "", "", "", 1) + "x");
    EXPECT_FALSE(id3::readTag(song).has_value());
    writeBytes(song, rawBlock("t", "", "", "", "", 1).left(127));
    EXPECT_FALSE(id3::readTag(song).has_value());
    writeBytes(song, rawBlock("t", "", "", "", "", 1));
    EXPECT_TRUE(id3::readTag(song).has_value());
    EXPECT_FALSE(id3::readTag(dir.filePath(QStringLiteral("missing.mp3"))).has_value());
    EXPECT_FALSE(id3::readTag(dir.path()).has_value());
    EXPECT_FALSE(id3::readTag(QStringLiteral("  ")).has_value());
    EXPECT_FALSE(id3::parseTag(QByteArray(128, ' ')).has_value());
}

TEST(Id3Genres, TheListAndTheByteMapping)
{
    const QStringList& names = id3::genreNames();
    ASSERT_EQ(names.size(), 153);
    EXPECT_EQ(names[0], QStringLiteral("Blues"));
    EXPECT_EQ(names[25], QStringLiteral("Euro-tecno"));
    EXPECT_EQ(names[101], QStringLiteral("SpeechChanson"));
    EXPECT_EQ(names[136], QStringLiteral("Chiristian Gangsta Rap"));
    EXPECT_EQ(names[145], QStringLiteral("Anime"));
    EXPECT_EQ(names[147], QStringLiteral("Synthpop"));
    EXPECT_EQ(names[148], QStringLiteral("Seiyu(J)"));
    EXPECT_EQ(names[152], QStringLiteral("Anime(J)"));

    for (int b = 0; b <= 147; ++b)
        EXPECT_EQ(id3::genreIndexForByte(quint8(b)), b);
    for (int b = 148; b <= 250; ++b)
        EXPECT_EQ(id3::genreIndexForByte(quint8(b)), -1) << b;
    for (int b = 251; b <= 255; ++b)
        EXPECT_EQ(id3::genreIndexForByte(quint8(b)), b - 103);

    EXPECT_EQ(id3::genreByteForName(QStringLiteral("Anime")), 145);
    EXPECT_EQ(id3::genreByteForName(QStringLiteral("Anime(J)")), 255);
    EXPECT_EQ(id3::genreByteForName(QStringLiteral("Seiyu(J)")), 251);
    EXPECT_EQ(id3::genreByteForName(QStringLiteral("anime")), std::nullopt);
    EXPECT_EQ(id3::genreByteForName(QString()), std::nullopt);
    // Every name comes back to its own place in the list.
    for (int i = 0; i < names.size(); ++i)
        EXPECT_EQ(id3::genreIndexForByte(id3::genreByteForName(names[i]).value_or(200)), i) << qPrintable(names[i]);
}

TEST(Id3Write, FieldsAreFittedAtCharacterBoundaries)
{
    // Short: padded with spaces, and read back without them.
    const QByteArray ten = id3::encodeField(QStringLiteral("0123456789"), 30);
    EXPECT_EQ(ten, QByteArray("0123456789") + QByteArray(20, ' '));
    EXPECT_EQ(id3::decodeField(ten), QStringLiteral("0123456789"));
    EXPECT_EQ(id3::fittedText(QStringLiteral("0123456789"), 30), QStringLiteral("0123456789") + QString(20, u' '));
    // Long: cut to the width.
    EXPECT_EQ(id3::encodeField(QString(31, u'a'), 30), QByteArray(30, 'a'));

    // Fifteen kanji fill 30 bytes; an "a" before them leaves no room for the
    // last one's second byte, so the whole character goes.
    const QString kanji(15, QChar(0x66F2)); // 曲
    EXPECT_EQ(id3::encodeField(kanji, 30), sjis(kanji));
    const QByteArray cut = id3::encodeField(u'a' + kanji, 30);
    ASSERT_EQ(cut.size(), 30);
    EXPECT_EQ(cut, "a" + sjis(kanji.left(14)) + " ");
    EXPECT_EQ(id3::decodeField(cut), u'a' + kanji.left(14));
    EXPECT_EQ(id3::fittedText(u'a' + kanji, 30), u'a' + kanji.left(14) + u' ');

    // Half-width kana are single bytes: thirty of them fit.
    const QString kana(31, QChar(0xFF71)); // ｱ
    EXPECT_EQ(id3::encodeField(kana, 30), sjis(kana.left(30)));

    // The year is four bytes.
    EXPECT_EQ(id3::encodeField(QStringLiteral("20245"), 4), QByteArray("2024"));
    EXPECT_EQ(id3::encodeField(QStringLiteral(u"年年年"), 4), sjis(QStringLiteral(u"年年")));
    EXPECT_EQ(id3::encodeField(QStringLiteral(u"1年年"), 4), "1" + sjis(QStringLiteral(u"年")) + " ");
    EXPECT_EQ(id3::encodeField(QString(), 4), QByteArray("    "));
}

TEST(Id3Write, ABlockReadsBackAsItsTag)
{
    id3::Tag tag;
    tag.title = QStringLiteral(u"ただいまの曲目は‥‥とても長いタイトルです");
    tag.artist = QStringLiteral(u"髙橋①");
    tag.album = QStringLiteral("Album");
    tag.year = QStringLiteral("2001");
    tag.comment = QStringLiteral("c");
    tag.genre = 251;
    const QByteArray block = id3::tagBlock(tag);
    ASSERT_EQ(block.size(), id3::kTagSize);
    EXPECT_TRUE(block.startsWith("TAG"));
    EXPECT_EQ(quint8(block[127]), 251);
    EXPECT_EQ(block.mid(93, 4), QByteArray("2001"));

    QTemporaryDir dir;
    const QString song = dir.filePath(QStringLiteral("x.mp3"));
    writeBytes(song, QByteArray(300, '\0') + block);
    const std::optional<id3::Tag> back = id3::readTag(song);
    ASSERT_TRUE(back.has_value());
    id3::Tag expected = tag;
    expected.title = id3::fittedText(tag.title, 30).trimmed();
    EXPECT_LT(expected.title.size(), tag.title.size());
    EXPECT_EQ(*back, expected);
}

TEST(Id3Write, ATrackNumberStaysWhileTheCommentLeavesRoomForIt)
{
    id3::Tag tag;
    tag.comment = QString(14, QChar(0x66F2)); // 28 bytes: just room
    tag.track = 7;
    QByteArray block = id3::tagBlock(tag);
    EXPECT_EQ(block.mid(125, 2), QByteArray("\0\x07", 2));
    EXPECT_EQ(id3::parseTag(block), tag);

    // A comment padded with spaces to its full width still leaves room.
    tag.comment = id3::fittedText(QStringLiteral("short"), id3::kCommentWidth);
    EXPECT_EQ(id3::parseTag(id3::tagBlock(tag))->track, 7);

    // 29 bytes of comment: the track number has to go.
    tag.comment = QString(29, u'c');
    block = id3::tagBlock(tag);
    EXPECT_EQ(block.mid(97, 30), QByteArray(29, 'c') + ' ');
    EXPECT_EQ(id3::parseTag(block)->track, 0);
}

TEST(Id3Title, TheTagsTitleElseTheFileName)
{
    const QString path = QStringLiteral("/music/Some Song.mp3");
    id3::Tag tag;
    tag.title = QStringLiteral(u"曲名");
    EXPECT_EQ(id3::trackName(path, tag), QStringLiteral(u"曲名"));
    tag.title.clear();
    EXPECT_EQ(id3::trackName(path, tag), QStringLiteral("Some Song"));
    EXPECT_EQ(id3::trackName(path, std::nullopt), QStringLiteral("Some Song"));
    EXPECT_EQ(id3::trackName(QStringLiteral("/m/ab"), std::nullopt), QString());
    // The same rule the play list's rows use.
    for (const QString& p : {path, QStringLiteral("C:/m/x.midi"), QStringLiteral("/m/ab")})
        EXPECT_EQ(QStringLiteral("1.") + id3::trackName(p, std::nullopt), yk::entryDisplayName(0, p));
}
