#pragma once

#include <memory>

#include <QHash>
#include <QObject>
#include <QPoint>
#include <QString>
#include <QStringList>

#include "launcher/Launcher.h"
#include "skin/BackgroundSlots.h"

class QAction;
class QMenu;

namespace yk {

// The one context menu, mnu_Menu, that reaches every function without a key
// of its own. It is shown over the main window, the play-list window and the
// tray icon. The menu only reports which item was chosen; the owner decides
// what happens and sets the check marks and launcher items from its state.
//
// Items are QActions named after their role (mnu_Apr1, mnu_Ber5, ...), so
// tests and the owner find them by name. The background submenu is the
// QMenu "mnu_sentaku"; its menuAction() carries the same name.
//
// Check marks follow the program's state only: choosing a checkable item
// does not flip its mark by itself, the owner sets it after doing the work.
class PopupMenu : public QObject
{
    Q_OBJECT
public:
    explicit PopupMenu(QObject* parent = nullptr);
    ~PopupMenu() override;

    QMenu* menu() const { return m_menu.get(); }
    // The item (or separator) of that name; null for an unknown name.
    QAction* item(const QString& name) const;
    // All item names of the menu, submenu included, in menu order.
    QStringList itemNames() const;

    // Opens the menu at a screen position and returns at once; the choice
    // arrives later through triggered().
    void popup(const QPoint& globalPos);

    // The launcher menu refresh: captions and visibility of mnu_Apr1..10
    // and the separator mnu_Ber5 below them.
    void applyLauncherMenu(const LauncherMenu& launcher);

    // Clears the fifteen background check marks (№1..№12, monthly, random,
    // in turn).
    void clearBackgroundChecks();
    // Clears the fifteen and checks one; None leaves the marks alone.
    void checkBackground(BackMenuItem which);
    void checkBackgroundSlot(int slot) { checkBackground(backMenuItemForSlot(slot)); }

    void setTopChecked(bool on);       // mnu_Top
    void setLoginChecked(bool on);     // mnu_Login
    void setMovieFullChecked(bool on); // mnu_Movie_Full
    void setPlayListChecked(bool on);  // mnu_P_List

    // For a name from triggered(): the launcher entry 0..9 of mnu_Apr1..10,
    // or -1 for any other item.
    static int launcherEntryOf(const QString& itemName);
    // The background slot 1..12 of mnu_No1..12, or 0 for any other item.
    static int backgroundSlotOf(const QString& itemName);

Q_SIGNALS:
    // An item was chosen, by its object name ("mnu_End", "mnu_Apr3", ...).
    void triggered(const QString& itemName);

private:
    QAction* addItem(QMenu* to, const QString& name, const QString& caption);
    QAction* addSeparator(QMenu* to, const QString& name);

    std::unique_ptr<QMenu> m_menu;
    QMenu* m_sentaku = nullptr;
    QHash<QString, QAction*> m_items;
    QStringList m_order;
};

// A file name shown as a menu caption: '&' doubled so it is not taken as
// an accelerator mark.
QString menuCaptionText(const QString& plain);

} // namespace yk
