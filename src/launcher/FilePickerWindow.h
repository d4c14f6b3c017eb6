#pragma once

#include "launcher/FilePicker.h"
#include "platform/AppPaths.h"

#include <QDialog>
#include <QFutureWatcher>

class QComboBox;
class QFileSystemModel;
class QLineEdit;
class QListView;
class QPushButton;
class QTreeView;

namespace yk {

class ToolWindow;

// The file picker: a drive list, a folder tree and a filtered file list
// that fill a path box, and a register button whose action depends on the
// caption the opener gave (see PickerMode). It registers through a
// PickerTarget and leaves the window positions and the settings file to
// its opener, through toolWindow()->positionRecorded() and saveRequested().
class FilePickerWindow : public QDialog
{
    Q_OBJECT
public:
    explicit FilePickerWindow(AppPaths paths, PickerTarget* target = nullptr, QWidget* parent = nullptr);
    ~FilePickerWindow() override;

    void setTarget(PickerTarget* target) { m_target = target; }

    // Caption, pattern and first folder in one go.
    void apply(const PickerRequest& request);
    void setCaption(const QString& caption);
    PickerMode mode() const;
    void setPattern(const QString& pattern);
    QString pattern() const { return m_pattern; }
    // Moves drive list, folder tree and file list to the folder.
    void setFolder(const QString& folder);
    // The folder the file list shows, with a trailing '/'.
    QString folder() const { return m_folder; }
    QString text1() const;

    // The drive list: the ready mounted file systems, sorted. Filled in the
    // background at construction (a stale network mount must not hang the
    // window); callers may also give their own list.
    void setDrives(const QStringList& roots);
    QStringList drives() const;

    // Placement from windowPlaces, always-on-top and the position record.
    ToolWindow* toolWindow() const { return m_tool; }
    // Shows the window modal to the whole program without blocking the
    // caller; open() (modal to the parent) and exec() also work.
    void showModal();

    // The register step for the path box; the window stays open.
    RegisterResult registerPath();
    // Reports the window's place (toolWindow()->positionRecorded) for windowPlaces.
    void recordPlace();

    void done(int result) override;

Q_SIGNALS:
    // "戻る(&E)": the opener writes the settings file before the window goes.
    void saveRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildUi();
    void driveChanged();
    void folderChosen(const QString& folder);
    void fileClicked(const QString& name);
    void showFolderFiles(const QString& folder);
    void selectDriveOf(const QString& folder);
    void fillDrives(const QStringList& roots);
    void registerClicked();

    AppPaths m_paths;
    ToolWindow* m_tool = nullptr;
    PickerTarget* m_target = nullptr;
    QString m_pattern;
    QString m_folder;

    QComboBox* m_drive1 = nullptr;
    QTreeView* m_dir1 = nullptr;
    QListView* m_file1 = nullptr;
    QLineEdit* m_text1 = nullptr;
    QPushButton* m_touroku = nullptr;
    QPushButton* m_command1 = nullptr;
    QFileSystemModel* m_dirModel = nullptr;
    QFileSystemModel* m_fileModel = nullptr;
    QFutureWatcher<QStringList> m_driveScan;
    bool m_drivesGiven = false; // a caller's list wins over the scan
};

} // namespace yk
