#pragma once

#include <atomic>
#include <functional>
#include <memory>

#include <QObject>
#include <QString>

#include "media/Lyrics.h"
#include "media/LyricsText.h"

namespace yk {

class MascotChannel;
class ShellAdapter;

// Timed lyrics of the playing track: finds the track's lyrics when the
// track opens (off the UI thread), reads them once, and on each position
// update shows the line due and passes each new line to the mascot. It owns
// no widgets: the main window follows captionChanged() and labelShown().
//
// Lyrics come from a lyrics file (LyricsSearch.h), else from the track's
// own tags; those are written to a file of their own in the cache folder,
// which then stands for the lyrics file (the double click opens it).
// Lyrics without time stamps show no line, but the label still shows and
// opens them.
//
// The label's rules: it shows while the list or a system sound plays and
// the track has a lyrics file, with the month title moved down to make
// room; it hides, title back up, once nothing plays, when the track has no
// lyrics, and on a full stop.
class LyricsController : public QObject, public Lyrics
{
    Q_OBJECT
public:
    struct Sources
    {
        std::function<QString()> lyricsFolder; // the setting; empty: none
        std::function<bool()> playing;         // list playback or a system sound
    };

    LyricsController(MascotChannel& mascot, Sources sources, QObject* parent = nullptr);
    ~LyricsController() override;

    // Lyrics: a track starts (lookup afresh), timed lyrics stop, the line due.
    void open(const QString& trackPath) override;
    void off() override;
    QString lineAt(qint64 positionMs) override;

    // The player's position refresh: shows and sends the line due.
    void updatePosition(qint64 positionMs);
    // The label step of the clock tick.
    void tick();
    // A double click on the label: the lyrics file opens in the desktop's
    // editor, if it is still there.
    void openFile(ShellAdapter& shell) const;
    // Where lyrics from tags are written; the user's cache folder unless set.
    void setCacheFolder(const QString& folder) { m_cacheFolder = folder; }

    QString lyricsFile() const { return m_file; }
    bool isOn() const { return m_on; }
    bool lookupRunning() const { return bool(m_cancel); }
    QString caption() const { return m_caption; }
    bool labelShown() const { return m_labelShown; }

Q_SIGNALS:
    void captionChanged(const QString& caption);
    // Shown: the label visible, the month title at its lower place.
    void labelShownChanged(bool shown);
    // The lookup for the current track has ended; empty: no lyrics.
    void lookupFinished(const QString& lyricsFile);

private:
    struct Found
    {
        QString path;
        LyricsText text;
    };
    static Found lookUp(const QString& trackPath, const QString& lyricsFolder, const QString& cacheFolder,
                        const std::atomic_bool& cancel);
    void cancelLookup();
    void found(const Found& result);
    void setCaption(const QString& caption);
    void setLabelShown(bool shown);

    MascotChannel& m_mascot;
    Sources m_sources;
    QString m_cacheFolder;
    QString m_file;
    bool m_on = false;
    LyricsText m_text;
    QString m_caption;
    bool m_labelShown = false;
    bool m_checkPending = false;
    quint64 m_lookup = 0;
    std::shared_ptr<std::atomic_bool> m_cancel; // set while a lookup runs
};

} // namespace yk
