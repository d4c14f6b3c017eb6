#pragma once

#include <QDialog>
#include <QFutureWatcher>
#include <QSize>
#include <QString>

#include "media/TagEditing.h"
#include "core/MoveRule.h"
#include "core/SettingsHost.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace yk {

class ToolWindow;

// The side of the main window, in twips: the editor opens against it.
inline constexpr int kId3MainSide = 2655;

// Where the tag editor opens beside the main window, all in twips. In the
// upper half of the work area it goes below the main window, in the lower
// half above it; in the left half it lines up with the main window's left
// edge, in the right half with its right edge, so it always opens towards
// the middle of the desktop.
TwipsPos id3EditorPlace(TwipsPos main, QSize editorTwips, const WorkAreaTwips& work);

// The tag editor `frm_Id3` for one file. It reads the file's own tag off the
// UI thread when it is made (an MP3's ID3v2 tag, else its ID3v1 block; the
// Vorbis comments of FLAC, Ogg and Opus; MP4 and ASF tags); the boxes stay
// disabled until it is in. Where the ID3v1 block is the only tag, saving
// fits each box to its field's width in bytes (at a character boundary,
// shown back in the box); other tags take the text whole. The tag is
// written off the UI thread, and the window closes once the file holds it;
// a tag that cannot be written keeps the window open and says why
// underneath. A kind of file whose tags cannot be written says so at once.
// Esc and キャンセル close without writing. While a write is under way the
// window cannot be closed: a half-finished save is never left unreported.
class Id3EditorWindow : public QDialog
{
    Q_OBJECT
public:
    static inline const QString kCaption = QStringLiteral("ID3 tag editer");

    explicit Id3EditorWindow(const QString& path, QWidget* parent = nullptr);
    ~Id3EditorWindow() override;

    QString path() const { return m_path; }
    ToolWindow* toolWindow() const { return m_tool; }
    bool saving() const { return m_saving; }
    // The file's tag is still being read.
    bool loading() const { return m_loading; }
    // The last save's failure, empty when there is none.
    QString message() const;

    // The year box's rule: an empty box or a number (sign, decimals and an
    // exponent allowed, blanks around it) stays, anything else is no year.
    static bool isNumber(const QString& text);

    // m_saveButton: starts the write and returns at once; saved() or a message
    // follows.
    void save();

Q_SIGNALS:
    // The tag is in the file; the window closes right after.
    void saved(const QString& path);
    // The write ended without changing the file; the window stays and
    // shows `message`.
    void saveFailed(const QString& message);

public Q_SLOTS:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void load();
    void finishLoad();
    void finishSave();
    void updateEnabled();
    bool editable() const;

    QString m_path;
    ToolWindow* m_tool = nullptr;
    bool m_loading = false;
    bool m_saving = false;
    tagedit::FileTags m_loaded;
    QFutureWatcher<tagedit::FileTags> m_loader;
    QFutureWatcher<tagedit::WriteResult> m_watcher;

    // The controls; tests find them by their object names (docs/names.md).
    QLineEdit* m_fileNameBox = nullptr;
    QLineEdit* m_titleBox = nullptr;
    QLineEdit* m_artistBox = nullptr;
    QLineEdit* m_albumBox = nullptr;
    QLineEdit* m_yearBox = nullptr;
    QLineEdit* m_commentBox = nullptr;
    QComboBox* m_genreBox = nullptr;
    QPushButton* m_saveButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QLabel* m_message = nullptr;
};

} // namespace yk
