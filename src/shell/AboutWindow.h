#pragma once

#include <QDialog>
#include <QString>

class QFrame;
class QLabel;
class QPushButton;

namespace yk {

class ToolWindow;

// The About window: name, version and a link to the home page. It is
// created once and shown on request; it is dragged by pressing anywhere on
// its surface, labels and frame included.
class AboutWindow : public QDialog
{
    Q_OBJECT
public:
    // The mascot's hint sent as the window opens (one script, already ended).
    static const QString kOpenHint;
    // The program's name in spaced half-width katakana.
    static const QString kNameKana;
    static const QString kVersionText; // "Version 1.35"

    explicit AboutWindow(const QString& homePage, QWidget* parent = nullptr);

    QString homePage() const { return m_homePage; }
    void setHomePage(const QString& address);

    // Always-on-top and the drag (anywhere on the surface, without snapping).
    ToolWindow* toolWindow() const { return m_tool; }
    // Reports opened() and shows the window modally (without a nested
    // event loop: the clock keeps running while it is open).
    void openAbout();

    // The title picture, drawn here.
    static QPixmap titlePicture();

Q_SIGNALS:
    // About to be shown: the owner sends kOpenHint to the mascot.
    void opened();
    // Closed with OK: the owner rebuilds the launcher menu.
    void okClicked();
    // The home page is to be opened (the link button or the icon).
    void homePageRequested(const QString& address);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ToolWindow* m_tool = nullptr;
    QString m_homePage;

    // The controls; tests find them by their object names (docs/names.md).
    QLabel* m_pictureName = nullptr;
    QLabel* m_author = nullptr;
    QLabel* m_titleLabel = nullptr;
    QLabel* m_version = nullptr;
    QLabel* m_description = nullptr;
    QLabel* m_address = nullptr;
    QPushButton* m_homePageButton = nullptr;
    QLabel* m_icon = nullptr;
    QFrame* m_frame = nullptr;
    QFrame* m_rule = nullptr;
    QPushButton* m_okButton = nullptr;
};

} // namespace yk
