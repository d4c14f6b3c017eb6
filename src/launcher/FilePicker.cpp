#include "launcher/FilePicker.h"

#include "launcher/Launcher.h"
#include "media/MediaFormats.h"
#include "platform/AppPaths.h"

#include <QDir>
#include <QFileInfo>

namespace yk {
namespace {

QString lastThreeLower(const QString& path)
{
    return path.right(3).toLower();
}

QString folderOr(const AppPaths& paths, std::initializer_list<QStringView> candidates)
{
    for (QStringView relative : candidates) {
        const QString folder = paths.file(relative);
        if (QFileInfo(folder).isDir())
            return folder.endsWith(u'/') ? folder : folder + u'/';
    }
    return paths.myPath();
}

bool validSlot(int n)
{
    return n >= 1 && n <= kLauncherEntries;
}

} // namespace

PickerMode pickerModeFor(const QString& caption)
{
    const QString tail = caption.right(4);
    if (tail == u"背景登録")
        return PickerMode::Background;
    if (tail == u"録します")
        return PickerMode::Launcher;
    if (tail == u"択します")
        return PickerMode::TimerSound;
    if (tail == u"加します")
        return PickerMode::PlayListAdd;
    return PickerMode::None;
}

QString defaultPickerFolder(const AppPaths& paths)
{
    return folderOr(paths, {u"img/"});
}

PickerRequest backgroundPickerRequest(int slot, const AppPaths& paths)
{
    return {QStringLiteral(" No,") + QString::number(slot) + QStringLiteral("の背景登録"),
            QStringLiteral("*.bmp;*.jpg;*.gif"), folderOr(paths, {u"img/"})};
}

PickerRequest launcherPickerRequest(int n, const AppPaths& paths)
{
    // The system-wide program folders a Windows copy also looks in do not
    // exist here; exe/ beside the program or the program's folder remain.
    return {QStringLiteral(" No,") + QString::number(n)
                + QStringLiteral("にタイマー完了時実行するアプリ＆ランチャーを登録します"),
            QStringLiteral("*.exe"), folderOr(paths, {u"exe/"})};
}

PickerRequest timerSoundPickerRequest(int n, const AppPaths& paths)
{
    return {QStringLiteral(" No,") + QString::number(n) + QStringLiteral("にタイマー完了時再生するファイルを選択します"),
            QStringLiteral("*.wav;*.mp3;*mp2;*avi;*mpg;*mpeg;*mid;") + modernMediaPatterns(),
            defaultPickerFolder(paths)};
}

PickerRequest playListPickerRequest(const AppPaths& paths)
{
    return {QStringLiteral(" マルチメディアプレイモードのプレイリストに追加します"),
            QStringLiteral("*.wav;*.stm;*.dsm;*.mj;*.mp3;*.mp2;*.aip;*.au;*.avi;*.mpg;*.mpeg;*.mpe;*.m1v;"
                           "*.mpv2;*.mp2v;*.wmv;*.wvx;*.wax;*.mid;*.midi;*.rmi;")
                + modernMediaPatterns(),
            folderOr(paths, {u"mp3/", u"wav/"})};
}

QStringList patternFilters(const QString& pattern)
{
    QStringList out;
    for (const QString& part : pattern.split(u';', Qt::SkipEmptyParts)) {
        const QString trimmed = part.trimmed();
        if (!trimmed.isEmpty())
            out << trimmed;
    }
    return out;
}

bool isLauncherProgram(const QString& path)
{
    return lastThreeLower(path) == u"exe";
}

bool isTimerSoundFile(const QString& path)
{
    return isMediaFileName(path);
}

QString notRegisteredText()
{
    return QStringLiteral("未登録");
}

void PickerTarget::registerBackground(const QString&) {}
int PickerTarget::launcherNumber() const { return 0; }
int PickerTarget::soundNumber() const { return 0; }
void PickerTarget::setLauncherEntry(int, const QString&) {}
void PickerTarget::setSoundEntry(int, const QString&) {}
void PickerTarget::showLauncherName(const QString&) {}
void PickerTarget::showSoundName(const QString&) {}
void PickerTarget::addToPlayList(const QString&) {}

RegisterResult registerPath(PickerMode mode, const QString& text1, PickerTarget& target)
{
    const bool exists = namesExistingFile(text1);
    const QString name = QFileInfo(text1).fileName();
    switch (mode) {
    case PickerMode::Background:
        if (!exists)
            return RegisterResult::Ignored;
        target.registerBackground(text1);
        return RegisterResult::Stored;

    case PickerMode::Launcher: {
        if (!exists) {
            target.showLauncherName(notRegisteredText());
            return RegisterResult::NotRegistered;
        }
        // A slot number outside 1..10 has no entry to write into.
        const int n = target.launcherNumber();
        if (!isLauncherProgram(text1) || !validSlot(n))
            return RegisterResult::Ignored;
        target.setLauncherEntry(n, text1);
        target.showLauncherName(name);
        return RegisterResult::Stored;
    }

    case PickerMode::TimerSound: {
        const int n = target.soundNumber();
        if (!exists || !isTimerSoundFile(text1) || !validSlot(n)) {
            target.showSoundName(notRegisteredText());
            return RegisterResult::NotRegistered;
        }
        target.setSoundEntry(n, text1);
        target.showSoundName(name);
        return RegisterResult::Stored;
    }

    case PickerMode::PlayListAdd:
        if (!exists)
            return RegisterResult::Ignored;
        target.addToPlayList(text1);
        return RegisterResult::Stored;

    case PickerMode::None:
        break;
    }
    return RegisterResult::Ignored;
}

} // namespace yk
