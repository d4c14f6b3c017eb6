#pragma once

#include <QCache>
#include <QObject>
#include <QSet>
#include <QString>
#include <QThreadPool>

namespace yk {

// The cover picture of a track, as a local file the desktop can show (the
// media controls' artwork, a notice's picture):
//
// - a picture embedded in the file's tags (ID3v2 APIC, FLAC PICTURE blocks,
//   METADATA_BLOCK_PICTURE in Ogg Vorbis and Opus comments, MP4 `covr`,
//   ASF WM/Picture), the front cover when one is marked, else the first;
//   it is copied once into the per-user cache under the hash of its bytes,
//   so all tracks of an album share one file;
// - else cover, folder or front .jpg, .jpeg or .png beside the track (any
//   letter case), used where it lies.
//
// The cache folder is kept under a size cap by removing the pictures used
// least recently (a file's modification time is its last use).
//
// The reading, hashing and writing happen on a worker thread of its own, one
// request after another, so a big file with a big cover never holds up the
// player; answers for the last few tracks are remembered and given at once.
class CoverArt final : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 kDefaultCapBytes = qint64(64) << 20;
    // A bigger "picture" is no cover anyone made on purpose.
    static constexpr qint64 kMaxPictureBytes = qint64(32) << 20;
    static constexpr int kRemembered = 32;

    // $XDG_CACHE_HOME/yomikaze/art (~/.cache/yomikaze/art).
    static QString defaultCacheFolder();

    explicit CoverArt(const QString& cacheFolder = defaultCacheFolder(), qint64 capBytes = kDefaultCapBytes,
                      QObject* parent = nullptr);
    // Drops requests not yet started and waits for the one running.
    ~CoverArt() override;

    // Looks for the picture of `trackPath`; found() answers, before this
    // returns when the answer is remembered, later otherwise. A request for
    // a track already being looked at is not repeated.
    void request(const QString& trackPath);

Q_SIGNALS:
    // `pictureFile`: the local picture of `trackPath`; empty when it has none.
    void found(const QString& trackPath, const QString& pictureFile);

private:
    void answered(const QString& trackPath, const QString& pictureFile);

    QString m_folder;
    qint64 m_cap;
    QCache<QString, QString> m_known;
    QSet<QString> m_pending;
    QThreadPool m_pool;
};

} // namespace yk
