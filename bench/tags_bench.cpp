// Tag benchmarks for yomikaze: what a track start costs in reading the
// file's tags and cover, beside the mutagen tag library reading the same
// files in the same run.
//
//   read   The tag read behind the title, the announcement and the desktop's
//          media controls (tags::readTrackInfo), and the cover picture's
//          extraction, for an MP3 with an ID3v2.4 tag and a small cover, an
//          M4A, and a FLAC of --big-mib MiB with a --cover-mib MiB cover.
//          Each figure is the median of --rounds warm reads, beside mutagen
//          opening the same file in one Python process (median of as many
//          reads), and beside one `mutagen-inspect FILE` run as a whole.
//   stall  The longest gap of a 5 ms timer on the UI thread while the
//          program's own readers take the large FLAC at a track start,
//          beside the same timer with nothing running.
//
// The files are made on the spot with GStreamer's command-line player and
// tagged with TagLib; they go with the temporary folder at the end.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include <QBuffer>
#include <QCommandLineParser>
#include <QGuiApplication>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <taglib/attachedpictureframe.h>
#include <taglib/flacfile.h>
#include <taglib/flacpicture.h>
#include <taglib/xiphcomment.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>

#include "BenchSupport.h"
#include "media/CoverArt.h"
#include "media/TrackInfoReader.h"
#include "media/TrackTags.h"

namespace yk::bench {
namespace {

struct Options
{
    int rounds = 20;
    int bigMiB = 200;
    int coverMiB = 15; // a FLAC metadata block holds at most 16 MiB
};

TagLib::String text(const QString& s)
{
    return TagLib::String(s.toStdString(), TagLib::String::UTF8);
}

TagLib::ByteVector bytesOf(const QByteArray& data)
{
    return TagLib::ByteVector(data.constData(), unsigned(data.size()));
}

// A PNG of random pixels, which no encoder can shrink: about `mib` MiB.
QByteArray noisePicture(int mib)
{
    const int side = std::max(16, int(std::sqrt(double(mib) * 1024 * 1024 / 3.0)));
    QImage image(side, side, QImage::Format_RGB888);
    auto* random = QRandomGenerator::global();
    for (int y = 0; y < side; ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < side * 3; x += 4) {
            const quint32 r = random->generate();
            std::memcpy(line + x, &r, size_t(std::min(4, side * 3 - x)));
        }
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG", 0);
    return png;
}

bool encode(const QString& pipeline, const QString& out)
{
    QProcess gst;
    gst.start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("gst-launch-1.0 -q %1 ! filesink location=\"%2\"")
                                                                .arg(pipeline, out)});
    return gst.waitForFinished(600'000) && gst.exitCode() == 0 && QFileInfo(out).size() > 0;
}

struct Sample
{
    QString name;
    QString path;
};

class TagsBench : BenchDriver<Options>
{
public:
    explicit TagsBench(Options o) : BenchDriver(o, {}, QStringLiteral("tags-bench")) {}

    int run(const QStringList& parts)
    {
        if (!rootReady())
            return 1;
        if (QStandardPaths::findExecutable(QStringLiteral("gst-launch-1.0")).isEmpty())
            return fail(QStringLiteral("gst-launch-1.0 not found (Debian package gstreamer1.0-tools)"));
        makeFiles();
        if (parts.contains(QStringLiteral("read")))
            measureReads();
        if (parts.contains(QStringLiteral("stall")))
            measureStall();
        return m_failures == 0 ? 0 : 1;
    }

private:
    int fail(const QString& why)
    {
        say(QStringLiteral("  FAILED: ") + why);
        ++m_failures;
        return 1;
    }

    void makeFiles()
    {
        QElapsedTimer clock;
        clock.start();
        TagLib::ID3v2::FrameFactory::instance()->setDefaultTextEncoding(TagLib::String::UTF8);
        const QByteArray smallCover = noisePicture(0);

        const QString mp3 = m_root.filePath(QStringLiteral("song.mp3"));
        if (!encode(QStringLiteral("audiotestsrc num-buffers=7000 ! audioconvert ! lamemp3enc"), mp3))
            throw std::runtime_error("could not encode the MP3");
        {
            TagLib::MPEG::File f(QFile::encodeName(mp3).constData());
            TagLib::ID3v2::Tag* tag = f.ID3v2Tag(true);
            tag->setTitle(text(QStringLiteral("夜明けの歌")));
            tag->setArtist(text(QStringLiteral("歌い手")));
            tag->setAlbum(text(QStringLiteral("アルバム")));
            auto* picture = new TagLib::ID3v2::AttachedPictureFrame;
            picture->setMimeType("image/png");
            picture->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
            picture->setPicture(bytesOf(smallCover));
            tag->addFrame(picture);
            f.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers, TagLib::ID3v2::v4);
        }
        m_samples.append({QStringLiteral("MP3, ID3v2.4, small cover"), mp3});

        const QString m4a = m_root.filePath(QStringLiteral("song.m4a"));
        if (!encode(QStringLiteral("audiotestsrc num-buffers=7000 ! audioconvert ! avenc_aac ! mp4mux"), m4a))
            throw std::runtime_error("could not encode the M4A");
        {
            TagLib::MP4::File f(QFile::encodeName(m4a).constData());
            f.tag()->setTitle(text(QStringLiteral("夕暮れの歌")));
            f.tag()->setArtist(text(QStringLiteral("歌い手")));
            f.tag()->setItem("covr", TagLib::MP4::CoverArtList().append(
                                         TagLib::MP4::CoverArt(TagLib::MP4::CoverArt::PNG, bytesOf(smallCover))));
            f.save();
        }
        m_samples.append({QStringLiteral("M4A, small cover"), m4a});

        // White noise does not compress: 44.1 kHz stereo 16-bit FLAC of it
        // takes about 170 kB a second.
        const QString flac = m_root.filePath(QStringLiteral("big.flac"));
        const qint64 buffers = qint64(m_o.bigMiB) * 1024 * 1024 / (1024 * 4) + 1;
        if (!encode(QStringLiteral("audiotestsrc wave=white-noise num-buffers=%1 ! "
                                   "audio/x-raw,rate=44100,channels=2,format=S16LE ! flacenc")
                        .arg(buffers),
                    flac))
            throw std::runtime_error("could not encode the FLAC");
        {
            TagLib::FLAC::File f(QFile::encodeName(flac).constData());
            f.xiphComment(true)->setTitle(text(QStringLiteral("長い曲")));
            f.xiphComment(true)->setArtist(text(QStringLiteral("歌い手")));
            auto* picture = new TagLib::FLAC::Picture;
            picture->setMimeType("image/png");
            picture->setType(TagLib::FLAC::Picture::FrontCover);
            picture->setData(bytesOf(noisePicture(m_o.coverMiB)));
            f.addPicture(picture);
            f.save();
        }
        m_samples.append({QStringLiteral("FLAC %1 MiB, %2 MiB cover")
                              .arg(QFileInfo(flac).size() >> 20)
                              .arg(m_o.coverMiB),
                          flac});
        m_big = flac;
        say(QStringLiteral("made the files in %1 s").arg(double(clock.elapsed()) / 1000.0, 0, 'f', 1));
    }

    template<typename Read>
    Stats timeReads(Read read)
    {
        std::vector<double> ms;
        for (int i = 0; i < m_o.rounds; ++i) {
            QElapsedTimer clock;
            clock.start();
            read();
            ms.push_back(double(clock.nsecsElapsed()) / 1e6);
        }
        return statsOf(ms);
    }

    // Median ms of `rounds` mutagen reads of `path`, in one Python process.
    std::optional<double> mutagenMedian(const QString& path)
    {
        const QString script = QStringLiteral(
            "import sys, time, statistics, mutagen\n"
            "p, n = sys.argv[1], int(sys.argv[2])\n"
            "t = []\n"
            "for _ in range(n):\n"
            "    s = time.perf_counter(); f = mutagen.File(p); f.tags; t.append((time.perf_counter() - s) * 1000)\n"
            "print(statistics.median(t))\n");
        QProcess py;
        py.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script, path, QString::number(m_o.rounds)});
        if (!py.waitForFinished(120'000) || py.exitCode() != 0)
            return std::nullopt;
        bool ok = false;
        const double v = py.readAllStandardOutput().trimmed().toDouble(&ok);
        return ok ? std::optional<double>(v) : std::nullopt;
    }

    std::optional<double> inspectRun(const QString& path)
    {
        const QString inspect = QStandardPaths::findExecutable(QStringLiteral("mutagen-inspect"));
        if (inspect.isEmpty())
            return std::nullopt;
        QProcess p;
        p.setStandardOutputFile(QProcess::nullDevice());
        QElapsedTimer clock;
        clock.start();
        p.start(inspect, {path});
        if (!p.waitForFinished(120'000) || p.exitCode() != 0)
            return std::nullopt;
        return double(clock.nsecsElapsed()) / 1e6;
    }

    static QString ms(std::optional<double> v)
    {
        return v ? QStringLiteral("%1 ms").arg(*v, 0, 'f', 2) : QStringLiteral("n/a");
    }

    void measureReads()
    {
        say(QStringLiteral("\nTag read at a track start, median of %1 warm reads (max in brackets)").arg(m_o.rounds));
        say(QStringLiteral("  %1 %2 %3 %4 %5")
                .arg(QStringLiteral("file"), -30)
                .arg(QStringLiteral("yomikaze tags"), 22)
                .arg(QStringLiteral("yomikaze cover"), 22)
                .arg(QStringLiteral("mutagen"), 12)
                .arg(QStringLiteral("mutagen-inspect run"), 20));
        const QString cache = m_root.filePath(QStringLiteral("art"));
        for (const Sample& s : std::as_const(m_samples)) {
            bool gotTags = true;
            const Stats tags = timeReads([&] { gotTags = gotTags && tags::readTrackInfo(s.path).has_value(); });
            bool gotCover = true;
            const Stats cover = timeReads([&] {
                // A fresh cache each round, so every round reads, hashes and
                // writes the picture as the first track of an album does.
                QDir(cache).removeRecursively();
                CoverArt art(cache);
                QString picture;
                bool answered = false;
                QObject::connect(&art, &CoverArt::found, [&](const QString&, const QString& file) {
                    picture = file;
                    answered = true;
                });
                art.request(s.path);
                QElapsedTimer wait;
                wait.start();
                while (!answered && wait.elapsed() < 60'000)
                    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
                gotCover = gotCover && !picture.isEmpty();
            });
            say(QStringLiteral("  %1 %2 %3 %4 %5")
                    .arg(s.name, -30)
                    .arg(QStringLiteral("%1 (%2)").arg(ms(tags.median), ms(tags.max)), 22)
                    .arg(QStringLiteral("%1 (%2)").arg(ms(cover.median), ms(cover.max)), 22)
                    .arg(ms(mutagenMedian(s.path)), 12)
                    .arg(ms(inspectRun(s.path)), 20));
            if (!gotTags)
                fail(QStringLiteral("no tags read from ") + s.path);
            if (!gotCover)
                fail(QStringLiteral("no cover found in ") + s.path);
        }
    }

    void measureStall()
    {
        say(QStringLiteral("\nLongest UI-thread gap of a 5 ms timer while the readers take the large FLAC"));
        QElapsedTimer idle;
        idle.start();
        const double floor = longestStall([&] { return idle.elapsed() < 1000; });
        double worst = 0;
        for (int round = 0; round < 3; ++round) {
            TrackInfoReader reader;
            const QString cache = m_root.filePath(QStringLiteral("art-stall"));
            QDir(cache).removeRecursively();
            CoverArt art(cache);
            bool info = false;
            bool cover = false;
            bool started = false;
            QObject::connect(&reader, &TrackInfoReader::finished, [&](const QString&) { info = true; });
            QObject::connect(&art, &CoverArt::found, [&](const QString&, const QString&) { cover = true; });
            QElapsedTimer clock;
            clock.start();
            worst = std::max(worst, longestStall([&] {
                                 if (!started) {
                                     // What a track start does: the title's
                                     // bounded wait, then the cover's request.
                                     started = true;
                                     info = reader.lookup(m_big, true).known;
                                     art.request(m_big);
                                 }
                                 return !(info && cover) && clock.elapsed() < 60'000;
                             }));
            if (!info || !cover)
                fail(QStringLiteral("the readers did not answer within a minute"));
        }
        say(QStringLiteral("  track start: %1   nothing running: %2   goal: under 100 ms: %3")
                .arg(QStringLiteral("%1 ms").arg(worst, 0, 'f', 1), QStringLiteral("%1 ms").arg(floor, 0, 'f', 1),
                     worst < 100 ? QStringLiteral("met") : QStringLiteral("NOT met")));
        if (worst >= 100)
            ++m_failures;
    }

    QList<Sample> m_samples;
    QString m_big;
};

int runMain(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Tag benchmarks: the tag and cover read at a track start beside mutagen, and the UI thread's "
                       "longest stall meanwhile."));
    parser.addHelpOption();
    const QStringList allParts{QStringLiteral("read"), QStringLiteral("stall")};
    const QCommandLineOption only(QStringLiteral("only"), QStringLiteral("Parts to run: read,stall (default: both)."),
                                  QStringLiteral("parts"));
    const QCommandLineOption rounds(QStringLiteral("rounds"), QStringLiteral("Timed reads per file (20)."),
                                    QStringLiteral("n"), QStringLiteral("20"));
    const QCommandLineOption big(QStringLiteral("big-mib"), QStringLiteral("Size of the large FLAC in MiB (200)."),
                                 QStringLiteral("n"), QStringLiteral("200"));
    const QCommandLineOption cover(QStringLiteral("cover-mib"), QStringLiteral("Its cover picture in MiB (15; a FLAC block holds at most 16)."),
                                   QStringLiteral("n"), QStringLiteral("15"));
    parser.addOptions({only, rounds, big, cover});
    parser.process(app);
    Options o;
    o.rounds = std::max(1, parser.value(rounds).toInt());
    o.bigMiB = std::max(1, parser.value(big).toInt());
    o.coverMiB = std::max(1, parser.value(cover).toInt());
    const QStringList parts = parser.isSet(only) ? parser.value(only).split(QLatin1Char(','), Qt::SkipEmptyParts) : allParts;
    installInterruptHandlers();
    return runReported([&] {
        return TagsBench(o).run(parts);
    });
}

} // namespace
} // namespace yk::bench

int main(int argc, char** argv)
{
    return yk::bench::runMain(argc, argv);
}
