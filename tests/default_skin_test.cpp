#include "platform/AppPaths.h"
#include "skin/Artwork.h"
#include "skin/ChimeSynth.h"
#include "skin/DefaultSkin.h"
#include "skin/FrameOverlay.h"
#include "skin/GifWriter.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace yk;

namespace {

struct ReadPicture
{
    QByteArray format;
    QImage image;
};

ReadPicture readPicture(const QString& path)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    ReadPicture r;
    r.format = reader.format();
    r.image = reader.read();
    return r;
}

QImage decodeGif(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "gif");
    return reader.read().convertToFormat(QImage::Format_ARGB32);
}

struct WavInfo
{
    bool valid = false;
    int format = 0, channels = 0, rate = 0, bits = 0;
    qint64 dataBytes = 0;
    std::vector<qint16> samples;
};

WavInfo parseWav(const QByteArray& b)
{
    WavInfo w;
    if (b.size() < 44 || b.left(4) != "RIFF" || b.mid(8, 4) != "WAVE" || b.mid(12, 4) != "fmt ")
        return w;
    const auto* d = reinterpret_cast<const uchar*>(b.constData());
    if (qFromLittleEndian<quint32>(d + 4) != quint32(b.size() - 8))
        return w;
    w.format = qFromLittleEndian<quint16>(d + 20);
    w.channels = qFromLittleEndian<quint16>(d + 22);
    w.rate = int(qFromLittleEndian<quint32>(d + 24));
    w.bits = qFromLittleEndian<quint16>(d + 34);
    if (b.mid(36, 4) != "data")
        return w;
    w.dataBytes = qFromLittleEndian<quint32>(d + 40);
    if (w.dataBytes != b.size() - 44)
        return w;
    for (qint64 i = 44; i + 1 < b.size(); i += 2)
        w.samples.push_back(qFromLittleEndian<qint16>(d + i));
    w.valid = true;
    return w;
}

const QStringList kAllFiles = {
    QStringLiteral("System/Back.jpg"),     QStringLiteral("System/Flame.bmp"),
    QStringLiteral("System/Back2.jpg"),    QStringLiteral("System/Flame2.bmp"),
    QStringLiteral("System/Day.gif"),      QStringLiteral("System/Day_Bar.gif"),
    QStringLiteral("System/Day_Bar2.gif"), QStringLiteral("wav/Opening.wav"),
    QStringLiteral("wav/Time_Set.wav"),    QStringLiteral("wav/Timer.wav"),
};

} // namespace

TEST(DefaultSkin, FirstStartWritesEveryFileAsARealPictureOfTheRightSize)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const AppPaths paths(dir.path());
    const DefaultSkinResult result = writeDefaultSkin(paths);
    EXPECT_TRUE(result.ok()) << result.failed.join(u' ').toStdString();
    EXPECT_EQ(result.written.size(), kAllFiles.size());

    struct Expect
    {
        const char* file;
        const char* format;
        QSize size;
    };
    const Expect pictures[] = {
        {"System/Back.jpg", "jpeg", {177, 177}},  {"System/Back2.jpg", "jpeg", {177, 177}},
        {"System/Flame.bmp", "bmp", {177, 177}},  {"System/Flame2.bmp", "bmp", {177, 177}},
        {"System/Day.gif", "gif", {22, 14}},      {"System/Day_Bar.gif", "gif", {18, 3}},
        {"System/Day_Bar2.gif", "gif", {10, 10}},
    };
    for (const Expect& e : pictures) {
        const ReadPicture pic = readPicture(paths.file(QString::fromLatin1(e.file)));
        EXPECT_EQ(pic.format, QByteArray(e.format)) << e.file;
        EXPECT_EQ(pic.image.size(), e.size) << e.file;
    }
}

TEST(DefaultSkin, FramesAreKeyedAtTheKeyPointAndOpenInTheMiddle)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const AppPaths paths(dir.path());
    writeDefaultSkin(paths);
    for (const char* name : {"System/Flame.bmp", "System/Flame2.bmp"}) {
        const QImage frame = QImage(paths.file(QString::fromLatin1(name)))
                                 .convertToFormat(QImage::Format_RGB32);
        ASSERT_FALSE(frame.isNull()) << name;
        const QRgb key = frame.pixel(kFrameKeyPoint);
        EXPECT_EQ(key & 0x00FFFFFF, kDefaultFrameKey & 0x00FFFFFF) << name;
        // The border is drawn, the window area is see-through.
        EXPECT_NE(frame.pixel(0, 0), key);
        EXPECT_NE(frame.pixel(176, 88), key);
        EXPECT_NE(frame.pixel(88, 2), key);
        int holes = 0;
        for (int y = 10; y < 167; ++y)
            for (int x = 10; x < 167; ++x)
                holes += frame.pixel(x, y) == key;
        EXPECT_EQ(holes, 157 * 157) << name;

        // Over the background, the middle is the background untouched.
        const QString back = paths.file(QString::fromLatin1(name).contains(u'2')
                                            ? u"System/Back2.jpg"
                                            : u"System/Back.jpg");
        const QImage shown = composeSkinPicture(back, paths.file(QString::fromLatin1(name)));
        const QImage bare = loadSkinPicture(back);
        EXPECT_EQ(shown.pixel(88, 88), bare.pixel(88, 88));
        EXPECT_EQ(shown.pixel(0, 0), frame.pixel(0, 0));
    }
}

TEST(DefaultSkin, MarksHaveTransparentCornersAndSolidMiddles)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const AppPaths paths(dir.path());
    writeDefaultSkin(paths);
    const QImage today = QImage(paths.file(u"System/Day.gif")).convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(qAlpha(today.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(today.pixel(21, 13)), 0);
    EXPECT_EQ(qAlpha(today.pixel(11, 7)), 255);
    const QImage bar = QImage(paths.file(u"System/Day_Bar.gif")).convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(qAlpha(bar.pixel(9, 1)), 255);
    const QImage mark = QImage(paths.file(u"System/Day_Bar2.gif")).convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(qAlpha(mark.pixel(0, 5)), 0);
    EXPECT_EQ(qAlpha(mark.pixel(4, 5)), 255);
}

TEST(DefaultSkin, ChimesAreShortPcmMonoWithoutClicksOrClipping)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const AppPaths paths(dir.path());
    writeDefaultSkin(paths);
    for (const char* name : {"wav/Opening.wav", "wav/Time_Set.wav", "wav/Timer.wav"}) {
        QFile file(paths.file(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
        const QByteArray bytes = file.readAll();
        EXPECT_LT(bytes.size(), 70 * 1024) << name;
        const WavInfo w = parseWav(bytes);
        ASSERT_TRUE(w.valid) << name;
        EXPECT_EQ(w.format, 1);
        EXPECT_EQ(w.channels, 1);
        EXPECT_EQ(w.rate, 22050);
        EXPECT_EQ(w.bits, 16);
        const double seconds = double(w.samples.size()) / w.rate;
        EXPECT_GT(seconds, 0.3) << name;
        EXPECT_LE(seconds, 1.5) << name;
        int peak = 0;
        for (qint16 s : w.samples)
            peak = std::max(peak, std::abs(int(s)));
        EXPECT_GT(peak, 8000) << name;   // audible
        EXPECT_LT(peak, 32000) << name;  // not clipped
        EXPECT_LT(std::abs(int(w.samples.front())), 500) << name;
        EXPECT_EQ(w.samples.back(), 0) << name;
    }
}

TEST(DefaultSkin, WritesOnlyWhatIsMissingAndLeavesUserFilesAlone)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const AppPaths paths(dir.path());
    ASSERT_TRUE(writeDefaultSkin(paths).ok());

    // The user's own background, and a sound they removed.
    {
        QFile mine(paths.file(u"System/Back.jpg"));
        ASSERT_TRUE(mine.open(QIODevice::WriteOnly | QIODevice::Truncate));
        mine.write("mine");
    }
    ASSERT_TRUE(QFile::remove(paths.file(u"wav/Timer.wav")));

    const DefaultSkinResult again = writeDefaultSkin(paths);
    EXPECT_TRUE(again.ok());
    EXPECT_EQ(again.written, QStringList{QStringLiteral("wav/Timer.wav")});
    QFile mine(paths.file(u"System/Back.jpg"));
    ASSERT_TRUE(mine.open(QIODevice::ReadOnly));
    EXPECT_EQ(mine.readAll(), QByteArray("mine"));
}

TEST(DefaultSkin, UnwritableFolderIsReportedNotPretendedWritten)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const AppPaths paths(dir.path());
    // A file named "System" stands where the folder should be.
    {
        QFile blocker(paths.file(u"System"));
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
    const DefaultSkinResult result = writeDefaultSkin(paths);
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.failed.size(), 7);
    EXPECT_TRUE(result.written.contains(QStringLiteral("wav/Opening.wav")));
}

TEST(GifWriter, RoundTripsPalettesTransparencyAndLongRuns)
{
    // Few colours with transparency, odd size.
    QImage small(13, 7, QImage::Format_ARGB32);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 13; ++x)
            small.setPixel(x, y, (x + y) % 4 == 0 ? qRgba(0, 0, 0, 0) : qRgb(x * 19, y * 30, 77));
    const QImage back = decodeGif(encodeGif(small));
    ASSERT_EQ(back.size(), small.size());
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 13; ++x) {
            if (qAlpha(small.pixel(x, y)) == 0)
                EXPECT_EQ(qAlpha(back.pixel(x, y)), 0);
            else
                EXPECT_EQ(back.pixel(x, y), small.pixel(x, y)) << x << "," << y;
        }

    // 255 colours of noise over a picture large enough to fill the code
    // table several times over: exercises widening and table resets.
    QImage noise(300, 211, QImage::Format_ARGB32);
    QRandomGenerator rng(7);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x) {
            const int c = int(rng.bounded(255));
            noise.setPixel(x, y, qRgb(c, 255 - c, (c * 7) % 256));
        }
    EXPECT_EQ(decodeGif(encodeGif(noise)), noise);

    // One colour only, a single pixel: the smallest cases.
    QImage one(1, 1, QImage::Format_ARGB32);
    one.fill(qRgb(1, 2, 3));
    EXPECT_EQ(decodeGif(encodeGif(one)), one);
}

TEST(GifWriter, ManyColoursAreReducedNotLost)
{
    QImage smooth(64, 64, QImage::Format_ARGB32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            smooth.setPixel(x, y, qRgb(x * 4, y * 4, (x + y) * 2));
    const QImage back = decodeGif(encodeGif(smooth));
    ASSERT_EQ(back.size(), smooth.size());
    for (int y = 0; y < 64; y += 5)
        for (int x = 0; x < 64; x += 5) {
            const QRgb a = smooth.pixel(x, y), b = back.pixel(x, y);
            EXPECT_LE(std::abs(qRed(a) - qRed(b)), 16);
            EXPECT_LE(std::abs(qGreen(a) - qGreen(b)), 16);
            EXPECT_LE(std::abs(qBlue(a) - qBlue(b)), 16);
        }
    EXPECT_TRUE(encodeGif(QImage()).isEmpty());
}

TEST(Artwork, EveryControlHasASmallPictureAndHeldFacesDiffer)
{
    const QStringList names = artworkNames();
    for (const char* required :
         {"img_P", "img_S", "img_F", "img_B", "img_Pouse", "img_L_Off", "img_L_On",
          "img_Randam_Off", "img_Randam_On", "img_Vol", "img_Ber", "img_Bar_Down", "img_Add",
          "img_Delete", "img_Up", "img_Down", "img_Load", "img_Save", "img_Scr_Bar",
          "img_Tmp_Bar1", "img_Tmp_Bar2", "img_Scr"})
        EXPECT_TRUE(names.contains(QString::fromLatin1(required))) << required;

    for (const QString& name : names) {
        const QImage img = artworkImage(name);
        ASSERT_FALSE(img.isNull()) << name.toStdString();
        if (name != u"img_Scr") {
            EXPECT_GE(img.width(), 7) << name.toStdString();
            EXPECT_LE(img.width(), 16) << name.toStdString();
            EXPECT_LE(img.height(), 24) << name.toStdString();
        }
        const QString held = heldArtworkName(name);
        if (held != name) {
            EXPECT_TRUE(names.contains(held)) << held.toStdString();
            EXPECT_EQ(artworkImage(held).size(), img.size()) << name.toStdString();
            EXPECT_NE(artworkImage(held), img) << name.toStdString();
        }
    }
    EXPECT_EQ(heldArtworkName(u"img_P"), QStringLiteral("img_P_2"));
    EXPECT_EQ(heldArtworkName(u"img_Add"), QStringLiteral("img_Add2"));
    EXPECT_EQ(heldArtworkName(u"img_Vol"), QStringLiteral("img_Bar_Down"));
    EXPECT_EQ(heldArtworkName(u"img_L_On"), QStringLiteral("img_L_On"));
    EXPECT_NE(artworkImage(u"img_L_On"), artworkImage(u"img_L_Off"));
    EXPECT_NE(artworkImage(u"img_Randam_On"), artworkImage(u"img_Randam_Off"));
    EXPECT_TRUE(artworkImage(u"img_Nothing").isNull());
    EXPECT_FALSE(artwork(u"img_P", true).isNull());
}
