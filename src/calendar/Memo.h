#pragma once

#include "calendar/DayNoteStore.h"

#include <array>

#include <QPoint>
#include <QPointer>
#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace yk {

// The note editor of one day: the diary, morning and afternoon texts of the
// day and the common memo, on four tabs. Frameless; the strip at the top of
// each tab moves it.
//
// The window remembers the day it was opened for, so a click elsewhere in
// the calendar while it is open cannot make it save into another day.
class Memo : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kTwipsPerPixel = 15;

    explicit Memo(DayNoteStore store, QWidget* parent = nullptr);

    // Loads the day named by `selDate` ("yyyymmdd") and the common memo,
    // each only when its file exists. The day boxes are emptied first so no
    // text of an earlier day stays behind; a closed window starts with all
    // four boxes empty. False (and nothing changes) when `selDate` names no day.
    bool openDay(const QString& selDate);
    QString day() const { return m_day; }

    // Window position in twips (top, left), as the settings keep it.
    void placeTwips(int topTwips, int leftTwips);
    int topTwips() const;
    int leftTwips() const;

    void setTopMost(bool on);

    // The actions of the three buttons.
    void save();       // write, then close; stays open when a write fails
    void deleteDay();  // remove the day's file, then close
    void back();       // close without writing

Q_SIGNALS:
    // Sent on every key press and when the window closes: the caller stores
    // the position (settings window record 7-8), refreshes the memo markers
    // and today's schedule mark.
    void positionReport(int topTwips, int leftTwips);
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
    void reportFailure(const QString& text);
    bool handleDrag(QEvent* event);

    DayNoteStore m_store;
    QString m_day;

    QTabWidget* m_tabs = nullptr;
    std::array<QPlainTextEdit*, 4> m_texts{};
    std::array<QLabel*, 4> m_strips{};
    QPushButton* m_save = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_back = nullptr;

    bool m_dragging = false;
    QPoint m_dragOffset; // mouse position relative to the window at the press

    // The key press being dispatched, so a key that travels up from a child
    // to its parents counts once.
    const QEvent* m_keyEvent = nullptr;
    QPointer<QWidget> m_keyReceiver;
};

} // namespace yk
