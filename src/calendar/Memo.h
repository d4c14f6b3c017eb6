#pragma once

#include "calendar/DayNoteStore.h"

#include <array>

#include <QPointer>
#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSizeGrip;
class QTabWidget;

namespace yk {

class ToolWindow;

// The note editor of one day: the diary, morning and afternoon texts of the
// day and the common memo, on four tabs. Frameless; the strip at the top of
// each tab moves it and names the day, the grip in the corner resizes it.
//
// The window remembers the day it was opened for, so a click elsewhere in
// the calendar while it is open cannot make it save into another day.
class Memo : public QWidget
{
    Q_OBJECT

public:
    explicit Memo(DayNoteStore store, QWidget* parent = nullptr);

    // Loads the day named by `selDate` ("yyyymmdd") and the common memo,
    // each only when its file exists. The day boxes are emptied first so no
    // text of an earlier day stays behind; a closed window starts with all
    // four boxes empty. False (and nothing changes) when `selDate` names no
    // day, or when the day's file or the common memo is too large to be a
    // note: the user is told which, and nothing can overwrite it from here.
    bool openDay(const QString& selDate);
    QString day() const { return m_day; }

    // Placement, always-on-top and the position record (on every key press
    // and on close: settings window record 7-8).
    ToolWindow* toolWindow() const { return m_tool; }

    // What a day tab's strip says for `selDate` ("yyyymmdd"): month, day and
    // weekday, e.g. 12月22日（火）. Empty when it names no day.
    static QString dayCaption(const QString& selDate);

    // The actions of the three buttons.
    void save();       // write, then close; stays open when a write fails
    void deleteDay();  // remove the day's file, then close
    void back();       // close without writing

Q_SIGNALS:
    // Sent on every key press and when the window closes, right after the
    // position record: the caller refreshes the memo markers and today's
    // schedule mark.
    void notesChanged();
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ini();
    void focusShownText();
    void watchKeys(QWidget* widget);
    void reportFailure(const QString& text, QWidget* parent);

    DayNoteStore m_store;
    QString m_day;

    QTabWidget* m_tabs = nullptr;
    std::array<QPlainTextEdit*, 4> m_texts{};
    std::array<QLabel*, 4> m_strips{};
    QPushButton* m_save = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_back = nullptr;
    QSizeGrip* m_grip = nullptr;
    ToolWindow* m_tool = nullptr;

    // The key press being dispatched, so a key that travels up from a child
    // to its parents counts once.
    const QEvent* m_keyEvent = nullptr;
    QPointer<QWidget> m_keyReceiver;
};

} // namespace yk
