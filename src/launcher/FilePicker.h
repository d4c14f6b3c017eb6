#pragma once

#include <QString>
#include <QStringList>

namespace yk {

class AppPaths;

// The file picker serves four openers; which one is told by the last four
// characters of the caption the opener gives it.
enum class PickerMode {
    None,        // a caption none of the openers uses: register does nothing
    Background,  // "...背景登録": a background slot
    Launcher,    // "...録します": launcher entry n
    TimerSound,  // "...択します": timer sound n
    PlayListAdd, // "...加します": append to the play list
};

PickerMode pickerModeFor(const QString& caption);

// What an opener hands the picker: caption, file pattern and first folder.
struct PickerRequest
{
    QString caption;
    QString pattern; // "*.bmp;*.jpg;*.gif" style, ';' separated
    QString folder;  // absolute, with a trailing '/'
};

// The picker's own first folder: img/ under the application folder when it
// exists, else the application folder.
QString defaultPickerFolder(const AppPaths& paths);

PickerRequest backgroundPickerRequest(int slot, const AppPaths& paths);
PickerRequest launcherPickerRequest(int n, const AppPaths& paths);
PickerRequest timerSoundPickerRequest(int n, const AppPaths& paths);
PickerRequest playListPickerRequest(const AppPaths& paths);

// "*.bmp;*.jpg" -> {"*.bmp", "*.jpg"}; blanks around the parts are dropped.
QStringList patternFilters(const QString& pattern);

// A program the launcher accepts: the last three characters of the path,
// lower-cased, are "exe" (tool.EXE and runexe pass, tool.com does not).
bool isLauncherProgram(const QString& path);
// A file a timer may play: any media file, judged by its name
// (isMediaFileName).
bool isTimerSoundFile(const QString& path);

// The text the registration window shows for an empty or refused slot.
QString notRegisteredText();

// The windows the picker registers into. Each opener overrides the calls of
// its own mode; the rest do nothing.
class PickerTarget
{
public:
    virtual ~PickerTarget() = default;

    // Background window: backgroundSlots of the slot being registered becomes the
    // path; the thumbnail, and the main window in by-month mode, follow.
    virtual void registerBackground(const QString& path);

    // Registration window: the slot number boxes txt_Apr_No / txt_Wav_No.
    virtual int launcherNumber() const;
    virtual int soundNumber() const;
    // Row n - 1 of cmb_Apr_Dir, registrations entry n - 1 and the list's text.
    virtual void setLauncherEntry(int n, const QString& path);
    // Row n - 1 of cmb_Wav_Dir and registrations entry 9 + n.
    virtual void setSoundEntry(int n, const QString& path);
    virtual void showLauncherName(const QString& text); // txt_Apr
    virtual void showSoundName(const QString& text);    // txt_Wav

    // Play-list window: append to the play list.
    virtual void addToPlayList(const QString& path);
};

enum class RegisterResult {
    Stored,        // handed to the target
    NotRegistered, // the target was told "未登録"
    Ignored,       // nothing happened
};

// The picker's register step for the path in its path box.
RegisterResult registerPath(PickerMode mode, const QString& text1, PickerTarget& target);

} // namespace yk
