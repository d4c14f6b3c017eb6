#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <utility>

class QMessageBox;
class QWidget;

namespace yk {

class MascotChannel;

// Shows a mascot's refusal of a message to the user: a box with an OK
// button, the program's title and "エラーコード= " + code. The box never
// blocks: it is shown non-modal, the caller's work goes on, and it deletes
// itself when closed.
class MascotErrorBox : public QObject
{
    Q_OBJECT
public:
    // Receives the box's title and text; replaces the real box (tests).
    using Presenter = std::function<void(const QString& title, const QString& text)>;

    explicit MascotErrorBox(MascotChannel* channel, QWidget* window = nullptr,
                            QObject* parent = nullptr);

    void setPresenter(Presenter presenter) { m_presenter = std::move(presenter); }

    static QString title();
    static QString messageText(int code);

    // Shows the box for one failed send.
    void report(int code);

private:
    QPointer<QWidget> m_window;
    Presenter m_presenter;
    // Boxes still open, by code: a mascot that refuses every lyric line
    // would otherwise bury the desktop in identical boxes.
    QHash<int, QPointer<QMessageBox>> m_open;
};

} // namespace yk
