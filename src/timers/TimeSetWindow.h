#pragma once

#include <QDialog>
#include <QString>

#include "timers/TimeSetFlow.h"

class QLabel;
class QPushButton;

namespace yk {

class ToolWindow;

// The small window that asks whether to start the timer. It never waits
// for its answer: ask() shows it and returns, and the answer arrives as
// answered(), after the window has gone. Even a modal question leaves the
// clock ticking behind it.
//
// Yes (Enter, Alt+Y) and No (Alt+N) answer; Esc and the close box leave the
// question unanswered (TimeSetAnswer::Escape).
class TimeSetWindow : public QDialog
{
    Q_OBJECT
public:
    // Blanks before the word push it towards the middle of the title bar.
    static inline const QString kCaption = QString(25, u' ') + QStringLiteral("タイマーセット");

    explicit TimeSetWindow(QWidget* parent = nullptr);

    // Shows the question (or updates the one on screen) and returns at once.
    void ask(const QString& question, bool modal, bool topMost);
    void ask(const TimeSetFlow::Question& q) { ask(q.text, q.modal, q.topMost); }
    // Takes the window off the screen without an answer.
    void dismiss();

    QString questionText() const;
    ToolWindow* toolWindow() const { return m_tool; }

Q_SIGNALS:
    void answered(yk::TimeSetAnswer answer);

public Q_SLOTS:
    // Esc and the close box.
    void reject() override;

private:
    void finish(TimeSetAnswer answer);

    ToolWindow* m_tool = nullptr;

    // The controls; tests find them by their object names (docs/names.md).
    QLabel* m_question = nullptr;
    QPushButton* m_yes = nullptr;
    QPushButton* m_no = nullptr;
};

} // namespace yk
