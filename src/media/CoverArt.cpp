#include "media/CoverArt.h"

#include <algorithm>
#include <utility>
#include <vector>

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QtConcurrent>

#include <aifffile.h>
#include <asffile.h>
#include <attachedpictureframe.h>
#include <fileref.h>
#include <flacfile.h>
#include <id3v2tag.h>
#include <mp4file.h>
#include <mpegfile.h>
#include <wavfile.h>
#include <xiphcomment.h>

#include "media/TrackTags.h"
#include "platform/TextFile.h"

namespace yk {

namespace {

// One picture a tag holds, and whether the tag calls it the front cover.
struct Candidate
{
    TagLib::ByteVector bytes;
    bool front = false;
};

void addId3v2(std::vector<Candidate>& out, TagLib::ID3v2::Tag* tag)
{
    if (!tag)
        return;
    // Version 2.2's PIC frames arrive here already read as APIC.
    for (TagLib::ID3v2::Frame* frame : tag->frameList("APIC")) {
        if (const auto* apic = dynamic_cast<TagLib::ID3v2::AttachedPictureFrame*>(frame))
            out.push_back({apic->picture(), apic->type() == TagLib::ID3v2::AttachedPictureFrame::FrontCover});
    }
}

void addFlacPictures(std::vector<Candidate>& out, const TagLib::List<TagLib::FLAC::Picture*>& pictures)
{
    for (const TagLib::FLAC::Picture* picture : pictures)
        out.push_back({picture->data(), picture->type() == TagLib::FLAC::Picture::FrontCover});
}

// Every picture the file's tags carry, in the order the tags give them.
std::vector<Candidate> embeddedCandidates(const QString& path)
{
    std::vector<Candidate> out;
    const QByteArray name = QFile::encodeName(path);
    // The tags only: the audio stream of a long file is never walked.
    TagLib::FileRef ref(name.constData(), false);
    TagLib::File* file = ref.file();
    if (!file || !file->isValid())
        return out;
    if (auto* mpeg = dynamic_cast<TagLib::MPEG::File*>(file)) {
        addId3v2(out, mpeg->ID3v2Tag());
    } else if (auto* flac = dynamic_cast<TagLib::FLAC::File*>(file)) {
        addFlacPictures(out, flac->pictureList());
        if (flac->hasXiphComment())
            addFlacPictures(out, flac->xiphComment()->pictureList());
        addId3v2(out, flac->ID3v2Tag());
    } else if (auto* mp4 = dynamic_cast<TagLib::MP4::File*>(file)) {
        // MP4 names no kinds of picture: the first is the cover.
        if (TagLib::MP4::Tag* tag = mp4->tag(); tag && tag->contains("covr")) {
            for (const TagLib::MP4::CoverArt& art : tag->item("covr").toCoverArtList())
                out.push_back({art.data(), false});
        }
    } else if (auto* asf = dynamic_cast<TagLib::ASF::File*>(file)) {
        if (TagLib::ASF::Tag* tag = asf->tag(); tag && tag->contains("WM/Picture")) {
            for (const TagLib::ASF::Attribute& attribute : tag->attribute("WM/Picture")) {
                const TagLib::ASF::Picture picture = attribute.toPicture();
                if (picture.isValid())
                    out.push_back({picture.picture(), picture.type() == TagLib::ASF::Picture::FrontCover});
            }
        }
    } else if (auto* wav = dynamic_cast<TagLib::RIFF::WAV::File*>(file)) {
        addId3v2(out, wav->ID3v2Tag());
    } else if (auto* aiff = dynamic_cast<TagLib::RIFF::AIFF::File*>(file)) {
        addId3v2(out, aiff->tag());
    } else if (auto* xiph = dynamic_cast<TagLib::Ogg::XiphComment*>(file->tag())) {
        // Ogg Vorbis, Opus, Speex, Ogg FLAC: METADATA_BLOCK_PICTURE.
        addFlacPictures(out, xiph->pictureList());
    }
    return out;
}

// The embedded front cover, else the first picture; empty when there is
// none or it is too big to be a cover.
QByteArray embeddedPicture(const QString& path)
{
    const std::vector<Candidate> candidates = embeddedCandidates(path);
    if (candidates.empty())
        return {};
    const auto front = std::find_if(candidates.begin(), candidates.end(), [](const Candidate& c) { return c.front; });
    const TagLib::ByteVector& bytes = (front != candidates.end() ? *front : candidates.front()).bytes;
    if (bytes.isEmpty() || qint64(bytes.size()) > CoverArt::kMaxPictureBytes)
        return {};
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

// The file ending for picture bytes, told by their first bytes; empty for
// anything a desktop could not be expected to show.
QString pictureSuffix(const QByteArray& bytes)
{
    if (bytes.startsWith("\xFF\xD8\xFF"))
        return QStringLiteral("jpg");
    if (bytes.startsWith("\x89PNG\r\n\x1A\n"))
        return QStringLiteral("png");
    if (bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a"))
        return QStringLiteral("gif");
    if (bytes.startsWith("RIFF") && bytes.mid(8, 4) == "WEBP")
        return QStringLiteral("webp");
    return {};
}

// cover, folder or front with .jpg, .jpeg or .png beside the track, in that
// order of preference, in any letter case.
QString folderPicture(const QString& trackPath)
{
    static const QStringList kNames = [] {
        QStringList names;
        for (const char* base : {"cover", "folder", "front"}) {
            for (const char* suffix : {".jpg", ".jpeg", ".png"})
                names.append(QString::fromLatin1(base) + QString::fromLatin1(suffix));
        }
        return names;
    }();
    const QFileInfo track(trackPath);
    const QDir folder = track.dir();
    int best = int(kNames.size());
    QString bestPath;
    for (const QFileInfo& entry : folder.entryInfoList(QDir::Files | QDir::Hidden)) {
        const int rank = int(kNames.indexOf(entry.fileName().toLower()));
        if (rank >= 0 && rank < best && entry.size() > 0 && entry.size() <= CoverArt::kMaxPictureBytes) {
            best = rank;
            bestPath = entry.absoluteFilePath();
        }
    }
    return bestPath;
}

// Marks a cached picture as just used.
void touch(const QString& path)
{
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        file.setFileTime(QDateTime::currentDateTimeUtc(), QFileDevice::FileModificationTime);
}

// Removes the least recently used pictures until the folder is under `cap`;
// `keep` (the one just asked for) stays whatever its size.
void trim(const QString& folder, qint64 cap, const QString& keep)
{
    const QRegularExpression cachedName(QStringLiteral("^[0-9a-f]{40}\\.[a-z]{3,4}$"));
    QFileInfoList cached;
    qint64 total = 0;
    for (const QFileInfo& entry : QDir(folder).entryInfoList(QDir::Files)) {
        // Only our own pictures: a temporary file being written elsewhere
        // is not ours to remove.
        if (!cachedName.match(entry.fileName()).hasMatch())
            continue;
        cached.append(entry);
        total += entry.size();
    }
    std::sort(cached.begin(), cached.end(), [](const QFileInfo& a, const QFileInfo& b) {
        return a.lastModified() < b.lastModified();
    });
    for (const QFileInfo& entry : std::as_const(cached)) {
        if (total <= cap)
            break;
        if (entry.absoluteFilePath() == keep)
            continue;
        if (QFile::remove(entry.absoluteFilePath()))
            total -= entry.size();
    }
}

// The cached copy of `bytes`, written when it is new; empty when the bytes
// are no picture or cannot be written.
QString cachePicture(const QByteArray& bytes, const QString& folder, qint64 cap)
{
    const QString suffix = pictureSuffix(bytes);
    if (suffix.isEmpty())
        return {};
    const QString name = QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex());
    const QString path = QDir(folder).absoluteFilePath(name + u'.' + suffix);
    if (QFileInfo::exists(path)) {
        touch(path);
        return path;
    }
    if (!QDir().mkpath(folder) || !textfile::writeBytesAtomically(path, bytes))
        return {};
    trim(folder, cap, path);
    return path;
}

// The whole look-up for one track; runs on the worker.
QString lookUp(const QString& trackPath, const QString& folder, qint64 cap)
{
    tags::setUpTagLib();
    if (const QByteArray bytes = embeddedPicture(trackPath); !bytes.isEmpty()) {
        if (QString cached = cachePicture(bytes, folder, cap); !cached.isEmpty())
            return cached;
    }
    return folderPicture(trackPath);
}

} // namespace

QString CoverArt::defaultCacheFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/yomikaze/art");
}

CoverArt::CoverArt(const QString& cacheFolder, qint64 capBytes, QObject* parent)
    : QObject(parent)
    , m_folder(QDir(cacheFolder).absolutePath())
    , m_cap(capBytes)
    , m_known(kRemembered)
{
    // One at a time: the cache folder has one writer, and the scans of the
    // global pool are not kept waiting by a big file.
    m_pool.setMaxThreadCount(1);
}

CoverArt::~CoverArt()
{
    m_pool.clear();
    m_pool.waitForDone();
}

void CoverArt::request(const QString& trackPath)
{
    if (trackPath.isEmpty())
        return;
    if (const QString* known = m_known.object(trackPath)) {
        // A cached picture may have been removed by the cap since. (Only
        // the cache is looked at: a folder picture may lie on a slow drive.)
        if (known->isEmpty() || !known->startsWith(m_folder + u'/') || QFileInfo::exists(*known)) {
            const QString answer = *known;
            Q_EMIT found(trackPath, answer);
            return;
        }
        m_known.remove(trackPath);
    }
    if (m_pending.contains(trackPath))
        return;
    m_pending.insert(trackPath);
    auto* watcher = new QFutureWatcher<QString>(this);
    connect(watcher, &QFutureWatcher<QString>::finished, this, [this, watcher, trackPath] {
        watcher->deleteLater();
        answered(trackPath, watcher->result());
    });
    watcher->setFuture(QtConcurrent::run(&m_pool, lookUp, trackPath, m_folder, m_cap));
}

void CoverArt::answered(const QString& trackPath, const QString& pictureFile)
{
    m_pending.remove(trackPath);
    m_known.insert(trackPath, new QString(pictureFile));
    Q_EMIT found(trackPath, pictureFile);
}

} // namespace yk
