#pragma once

#include <functional>

#include <QPointer>
#include <QWidget>

#include "launcher/FilePicker.h"
#include "core/SettingsHost.h"
#include "timers/TimerForm.h"

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace yk {

class MascotChannel;
class Settings;
class ToolWindow;

// The timer and registration window: the timer preset on the left (the
// narrow form), and on the right, shown by widening the window, the
// programs and alarm sounds of the registration lists, the lyrics folder
// and the calendar colours. The state lives in a TimerForm; this class
// shows it and turns clicks and keys into its calls.
//
// It is also the picker's target while the picker registers a program or a
// sound for it.
class TimerWindow : public QWidget, public PickerTarget
{
    Q_OBJECT
public:
    // Folder chooser: calls `chosen` with a folder, or never when cancelled.
    using FolderChooser =
        std::function<void(QWidget* parent, const QString& title, std::function<void(const QString&)> chosen)>;

    struct Services
    {
        Settings& settings;
        MascotChannel& mascot;
        // One of the six colour buttons, by its object name ("cmd_Y" ...).
        std::function<void(const QString& button, QWidget* parent)> chooseColour = {};
        // The picker for program slot n (PickerMode::Launcher) or sound slot
        // n (PickerMode::TimerSound), registering into this window.
        std::function<void(PickerMode mode, int slot)> openPicker = {};
        // The launcher entries of the popup menu are to be rebuilt.
        std::function<void()> refreshLauncherMenu = {};
        // Empty: the system's folder dialog.
        FolderChooser chooseFolder = {};
    };

    static const QString kCaption;
    static const QString kFolderTitle;

    explicit TimerWindow(Services services, QWidget* parent = nullptr);

    // Fills the window from the settings as it opens: the preset, the
    // lists, the options and the lyrics folder; narrow.
    void load();

    TimerForm& form() { return m_form; }
    // Placement, always-on-top and the record of the place (on close).
    ToolWindow* toolWindow() const { return m_tool; }

    // The settings file's view of the window.
    void setCheck(RegistrationCheck c, bool on);
    bool isChecked(RegistrationCheck c) const;
    QString lyricsBoxText() const;

    // What the buttons and keys do.
    void storePreset();   // cmb_Set
    void toggleWidth(bool fromButton); // cmb_Next, or Shift
    void stepGroup(int direction);     // Page Down (+1), Page Up (-1)
    void escape();

    // PickerTarget: the picker registers here.
    int launcherNumber() const override;
    int soundNumber() const override;
    void setLauncherEntry(int n, const QString& path) override;
    void setSoundEntry(int n, const QString& path) override;
    void showLauncherName(const QString& text) override;
    void showSoundName(const QString& text) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct ListControls
    {
        QGroupBox* frame = nullptr;
        QComboBox* list = nullptr;
        QLineEdit* name = nullptr;
        QLineEdit* number = nullptr;
        QCheckBox* check = nullptr;
        QPushButton* browse = nullptr;
        QPushButton* remove = nullptr;
    };

    void buildTimerPart();
    void buildRegistrationPart();
    ListControls buildList(TimerForm::List l, const QRect& frame, const QStringList& names, const QStringList& captions);
    void wireBox(QLineEdit* box, TimerForm::Box b);
    void showForm();
    void applyWidth();
    void activate(TimerForm::Group g);
    void focusGroup();
    void handleKey(int key);
    void watchKeys();
    QLineEdit* boxWidget(TimerForm::Box b) const;
    const ListControls& controls(TimerForm::List l) const;
    void chooseLyricsFolder();
    bool isPathLine(const QWidget* w) const;

    Services m_s;
    TimerForm m_form;
    ToolWindow* m_tool = nullptr;

    QGroupBox* m_fla1 = nullptr;
    QGroupBox* m_fla3 = nullptr;
    QGroupBox* m_fla2 = nullptr;
    QLabel* m_focas1 = nullptr;
    QLabel* m_focas2 = nullptr;
    QLabel* m_focas3 = nullptr;
    QRadioButton* m_opt3 = nullptr;
    QRadioButton* m_opt5 = nullptr;
    QRadioButton* m_opt10 = nullptr;
    QRadioButton* m_optAm = nullptr;
    QRadioButton* m_optPm = nullptr;
    QLineEdit* m_txtH = nullptr;
    QLineEdit* m_txtM = nullptr;
    QLineEdit* m_txtH2 = nullptr;
    QLineEdit* m_txtM2 = nullptr;
    QLabel* m_lblPoint = nullptr;
    QLabel* m_lblFungo = nullptr;
    QLabel* m_lblPoint2 = nullptr;
    QPushButton* m_set = nullptr;
    QPushButton* m_next = nullptr;
    QCheckBox* m_timeOff = nullptr;
    QCheckBox* m_exitWin = nullptr;
    ListControls m_apr;
    ListControls m_wav;
    QLineEdit* m_lyrics = nullptr;

    // The key press being dispatched, so a key that travels up from a
    // child to its parents counts once.
    const QEvent* m_keyEvent = nullptr;
    QPointer<QWidget> m_keyReceiver;
};

} // namespace yk
