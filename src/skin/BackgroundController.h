#pragma once

#include <QImage>
#include <QObject>

#include "skin/BackgroundSlots.h"

namespace yk {

class Settings;

// The main window's background as the program sees it: which slot is on
// show, the mode (kept in the settings with the twelve slots) and the
// fifteen check marks of the menu. Windows listen to pictureChanged() and
// menuCheckChanged(); every choice the user makes comes in here.
class BackgroundController : public QObject
{
    Q_OBJECT
public:
    BackgroundController(Settings& settings, const AppPaths& paths,
                         BackgroundSlots::RandomSource random, QObject* parent = nullptr);

    BackSlotList slotList() const;
    // The picture file on show; empty when the window is bare.
    QString picturePath() const { return m_path; }

    // Before every month draw: the check marks and, on the first draw of a
    // run, the in-turn slot of this run.
    void beforeMonthDraw();
    // Start-up: the mode's picture once the first month has been drawn.
    void chooseAtStartup(int shownMonth);
    // The menu shown from the main window refreshes its marks first.
    void refreshMenuMarks();

    void showSlot(int slot);          // "№n" of the menu
    void showThumbnail(int slot);     // right button on a thumbnail
    void showMonthly(int shownMonth); // "月毎変更(&M)"
    // Left / Right / Enter: the month's picture again in monthly mode.
    void monthStepped(int shownMonth);
    void toggleRandom();
    void toggleInTurn();
    // From the picker: stores the picture for `slot` when it exists.
    bool registerPicture(int slot, const QString& path, int shownMonth);

    // The play-list window's own skin (System/Back2.jpg with Flame2.bmp);
    // a null image when there is none.
    QImage playWindowPicture() const;

Q_SIGNALS:
    void pictureChanged(const QImage& composed);
    void menuCheckChanged(yk::BackMenuItem checked);
    void slotRegistered(int slot, const QString& path);

private:
    void apply(const BackgroundChange& change);
    void redraw();

    Settings& m_settings;
    BackgroundSlots m_slots;
    QString m_path;
    bool m_drawnThisRun = false;
};

} // namespace yk
