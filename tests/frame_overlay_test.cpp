#include "skin/FrameOverlay.h"

#include <QImageReader>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "support/ExifJpeg.h"
#include "support/TestUtil.h"

using namespace yk;

namespace {

const QRgb kMagenta = qRgb(255, 0, 255);

QImage gradient(QSize size)
{
    QImage img(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            img.setPixel(x, y, qRgb(x % 256, y % 256, (x * y) % 200));
    return img;
}

QImage solid(QSize size, QRgb colour)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(colour);
    return img;
}

// A frame of assorted colours with key holes scattered over it, a few
// pixels one step off the key, and the key at (85, 85).
QImage speckledFrame(QRgb key)
{
    QImage f(177, 177, QImage::Format_RGB32);
    for (int y = 0; y < 177; ++y)
        for (int x = 0; x < 177; ++x)
            f.setPixel(x, y, ((x * 7 + y * 13) % 5 == 0) ? key : qRgb(10 + x % 200, 40, 90 + y % 100));
    f.setPixel(85, 85, key);
    f.setPixel(3, 4, qRgb(qRed(key), qGreen(key), qBlue(key) ^ 1));
    f.setPixel(100, 7, qRgb(qRed(key) ^ 1, qGreen(key), qBlue(key)));
    return f;
}

QRgb rgb(const QImage& img, int x, int y)
{
    return img.pixel(x, y) & 0x00FFFFFF;
}

void expectKeyedMerge(const QImage& result, const QImage& bg, const QImage& frame, QRgb key)
{
    ASSERT_EQ(result.size(), bg.size());
    int mismatches = 0;
    for (int y = 0; y < bg.height(); ++y)
        for (int x = 0; x < bg.width(); ++x) {
            const bool inFrame = x < frame.width() && y < frame.height();
            const bool hole = !inFrame || rgb(frame, x, y) == (key & 0x00FFFFFF);
            const QRgb want = hole ? rgb(bg, x, y) : rgb(frame, x, y);
            if (rgb(result, x, y) != want && ++mismatches < 5)
                ADD_FAILURE() << "pixel " << x << "," << y;
        }
    EXPECT_EQ(mismatches, 0);
}

} // namespace

TEST(FrameOverlay, KeyColourFromTheKeyPointIsTransparentEverywhereOthersOpaque)
{
    const QImage bg = gradient({177, 177});
    for (QRgb key : {kMagenta, qRgb(0, 128, 0)}) {
        const QImage frame = speckledFrame(key);
        const QImage out = overlayFrame(bg, frame);
        expectKeyedMerge(out, bg, frame, key);
        // Exact match only: one step off the key is frame, not hole.
        EXPECT_EQ(rgb(out, 3, 4), rgb(frame, 3, 4));
        EXPECT_EQ(rgb(out, 100, 7), rgb(frame, 100, 7));
        EXPECT_EQ(rgb(out, 85, 85), rgb(bg, 85, 85));
    }
}

TEST(FrameOverlay, FrameOfOnlyKeyColourLeavesBackgroundUnchanged)
{
    const QImage bg = gradient({177, 177});
    const QImage out = overlayFrame(bg, solid({177, 177}, kMagenta));
    EXPECT_EQ(out, bg.convertToFormat(QImage::Format_RGB32));
}

TEST(FrameOverlay, FrameWithKeyOnlyAtKeyPointShowsBackgroundThereAlone)
{
    const QImage bg = gradient({177, 177});
    QImage frame = solid({177, 177}, qRgb(20, 30, 40));
    frame.setPixel(10, 10, qRgb(200, 100, 50));
    frame.setPixel(85, 85, kMagenta);
    const QImage out = overlayFrame(bg, frame);
    for (int y = 0; y < 177; ++y)
        for (int x = 0; x < 177; ++x) {
            const QRgb want = (x == 85 && y == 85) ? rgb(bg, x, y) : rgb(frame, x, y);
            ASSERT_EQ(rgb(out, x, y), want) << x << "," << y;
        }
}

TEST(FrameOverlay, OverlayAgainOverItsOwnResultChangesNothing)
{
    const QImage bg = gradient({177, 177});
    const QImage frame = speckledFrame(kMagenta);
    const QImage once = overlayFrame(bg, frame);
    EXPECT_EQ(overlayFrame(once, frame), once);
}

TEST(FrameOverlay, AlphaPlaysNoPartInKeyOrResult)
{
    const QImage bg = gradient({177, 177});
    QImage frame(177, 177, QImage::Format_ARGB32);
    frame.fill(qRgba(30, 60, 90, 40)); // faint, but still opaque frame
    frame.setPixel(85, 85, qRgba(255, 0, 255, 255));
    frame.setPixel(5, 5, qRgba(255, 0, 255, 0)); // key with another alpha
    const QImage out = overlayFrame(bg, frame);
    EXPECT_EQ(rgb(out, 5, 5), rgb(bg, 5, 5));
    EXPECT_EQ(rgb(out, 6, 5), qRgb(30, 60, 90) & 0x00FFFFFF);
    EXPECT_EQ(qAlpha(out.pixel(6, 5)), 255);
}

TEST(FrameOverlay, FrameOfAnotherSizeLiesAtTopLeftUnscaled)
{
    const QImage bg = gradient({177, 177});

    // Smaller: the part the frame does not reach keeps the background.
    QImage small = solid({100, 100}, qRgb(1, 2, 3));
    small.setPixel(85, 85, kMagenta);
    small.setPixel(0, 0, kMagenta);
    expectKeyedMerge(overlayFrame(bg, small), bg, small, kMagenta);

    // Larger: cut off at the target's edge; the result keeps its size.
    QImage large = speckledFrame(kMagenta).copy(0, 0, 300, 250);
    large.setPixel(85, 85, kMagenta);
    const QImage out = overlayFrame(bg, large);
    EXPECT_EQ(out.size(), QSize(177, 177));
    expectKeyedMerge(out, bg, large.copy(0, 0, 177, 177), kMagenta);
}

TEST(FrameOverlay, NoKeyPointOrNoFrameLeavesTargetAlone)
{
    const QImage bg = gradient({177, 177});
    const QImage expected = bg.convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(overlayFrame(bg, solid({50, 50}, qRgb(9, 9, 9))), expected);
    EXPECT_EQ(overlayFrame(bg, QImage()), expected);
    EXPECT_EQ(overlayFrame(bg, QStringLiteral("/nonexistent/Flame.bmp")), expected);
}

TEST(FrameOverlay, FrameFromFileMatchesFrameInMemory)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QImage bg = gradient({177, 177});
    const QImage frame = speckledFrame(kMagenta);
    const QString path = dir.filePath(QStringLiteral("Flame.bmp"));
    ASSERT_TRUE(frame.save(path, "BMP"));
    EXPECT_EQ(overlayFrame(bg, path), overlayFrame(bg, frame));
}

TEST(SkinPicture, BackgroundIsShownUnscaledFromTheTopLeftOnTheBackColour)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QColor back(240, 240, 240);

    // A large picture shows only its top-left corner.
    const QImage big = gradient({400, 300});
    const QString bigPath = dir.filePath(QStringLiteral("big.png"));
    ASSERT_TRUE(big.save(bigPath));
    const QImage shownBig = loadSkinPicture(bigPath);
    ASSERT_EQ(shownBig.size(), QSize(177, 177));
    EXPECT_EQ(shownBig, big.copy(0, 0, 177, 177));

    // A small picture leaves the rest on the back colour.
    const QImage little = solid({50, 40}, qRgb(10, 20, 30));
    const QString littlePath = dir.filePath(QStringLiteral("little.png"));
    ASSERT_TRUE(little.save(littlePath));
    const QImage shownLittle = loadSkinPicture(littlePath);
    EXPECT_EQ(rgb(shownLittle, 49, 39), qRgb(10, 20, 30) & 0x00FFFFFF);
    EXPECT_EQ(rgb(shownLittle, 50, 39), back.rgb() & 0x00FFFFFF);
    EXPECT_EQ(rgb(shownLittle, 176, 176), back.rgb() & 0x00FFFFFF);

    // JPEG decodes only the corner; the colours still come from it.
    const QImage halves = [] {
        QImage img(600, 500, QImage::Format_RGB32);
        img.fill(qRgb(0, 0, 200));
        for (int y = 0; y < 500; ++y)
            for (int x = 0; x < 300; ++x)
                img.setPixel(x, y, qRgb(200, 0, 0));
        return img;
    }();
    const QString jpgPath = dir.filePath(QStringLiteral("photo.jpg"));
    ASSERT_TRUE(halves.save(jpgPath, "JPG", 95));
    const QImage shownJpg = loadSkinPicture(jpgPath);
    ASSERT_EQ(shownJpg.size(), QSize(177, 177));
    EXPECT_GT(qRed(shownJpg.pixel(170, 170)), 180);
    EXPECT_LT(qBlue(shownJpg.pixel(170, 170)), 30);

    EXPECT_TRUE(loadSkinPicture(dir.filePath(QStringLiteral("missing.jpg"))).isNull());
}

TEST(SkinPicture, ComposeDrawsFrameOverBackgroundOrOverBareSurface)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage frame = solid({177, 177}, kMagenta);
    for (int x = 0; x < 177; ++x)
        frame.setPixel(x, 0, qRgb(0, 0, 90));
    const QString framePath = dir.filePath(QStringLiteral("Flame.bmp"));
    ASSERT_TRUE(frame.save(framePath, "BMP"));
    const QImage bg = gradient({177, 177});
    const QString bgPath = dir.filePath(QStringLiteral("Back.png"));
    ASSERT_TRUE(bg.save(bgPath));

    const QImage composed = composeSkinPicture(bgPath, framePath);
    EXPECT_EQ(rgb(composed, 40, 0), qRgb(0, 0, 90) & 0x00FFFFFF);
    EXPECT_EQ(rgb(composed, 40, 1), rgb(bg, 40, 1));

    const QImage bare = composeSkinPicture(QString(), framePath, {177, 177}, QColor(1, 2, 3));
    EXPECT_EQ(rgb(bare, 40, 0), qRgb(0, 0, 90) & 0x00FFFFFF);
    EXPECT_EQ(rgb(bare, 40, 90), qRgb(1, 2, 3) & 0x00FFFFFF);

    // No frame file: the background stays bare.
    EXPECT_EQ(composeSkinPicture(bgPath, dir.filePath(QStringLiteral("none.bmp"))), bg);
}

TEST(SkinPicture, APhotoTakenOnItsSideShowsUpright)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // Stored wide, red on the left and blue on the right; orientation 6
    // turns it a quarter clockwise, so upright it is tall, red above blue.
    const QImage stored = yk::test::sidewaysRedBlue(20);
    const QString path = dir.filePath(QStringLiteral("side.jpg"));
    yk::test::writeBytes(path, yk::test::jpegWithOrientation(stored, 6));

    const QColor back(1, 2, 3);
    const QImage shown = composeSkinPicture(path, QString(), {177, 177}, back);
    ASSERT_EQ(shown.size(), QSize(177, 177));
    EXPECT_GT(qRed(shown.pixel(10, 5)), 180);
    EXPECT_LT(qBlue(shown.pixel(10, 5)), 40);
    EXPECT_GT(qBlue(shown.pixel(10, 35)), 180);
    EXPECT_LT(qRed(shown.pixel(10, 35)), 40);
    // 20 wide and 40 high: the back colour beside and below it.
    EXPECT_EQ(rgb(shown, 25, 10), back.rgb() & 0x00FFFFFF);
    EXPECT_EQ(rgb(shown, 10, 45), back.rgb() & 0x00FFFFFF);
}

TEST(SkinPicture, EveryOrientationShowsTheUprightTopLeftCorner)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // Larger than the picture box both ways, so only a corner is decoded;
    // 50-pixel blocks of distinct colours tell any wrong corner apart.
    QImage stored(400, 300, QImage::Format_RGB32);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x)
            stored.setPixel(x, y, qRgb(30 + (x / 50) * 28, 30 + (y / 50) * 40, 128));

    for (quint16 orientation = 1; orientation <= 8; ++orientation) {
        const QString path = dir.filePath(QStringLiteral("o%1.jpg").arg(orientation));
        yk::test::writeBytes(path, yk::test::jpegWithOrientation(stored, orientation));
        QImageReader whole(path);
        whole.setAutoTransform(true);
        const QImage upright = whole.read().convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(upright.size(), orientation >= 5 ? QSize(300, 400) : QSize(400, 300)) << orientation;

        const QImage shown = loadSkinPicture(path);
        ASSERT_EQ(shown.size(), QSize(177, 177));
        int wrong = 0;
        for (int y = 0; y < 177; ++y)
            for (int x = 0; x < 177; ++x) {
                const QRgb a = shown.pixel(x, y);
                const QRgb b = upright.pixel(x, y);
                if (std::abs(qRed(a) - qRed(b)) > 12 || std::abs(qGreen(a) - qGreen(b)) > 12)
                    ++wrong;
            }
        EXPECT_EQ(wrong, 0) << "orientation " << orientation;
    }
}
