#include "shell/TagEditorModule.h"

#include "core/Twips.h"
#include "media/Id3EditorWindow.h"
#include "media/PlayListView.h"
#include "media/Player.h"
#include "shell/MainWindow.h"
#include "shell/PlayerModule.h"
#include "shell/Shell.h"
#include "ui/ToolWindow.h"

namespace yk {

TagEditorModule::TagEditorModule(Shell& shell, PlayerModule& player)
    : m_shell(shell)
    , m_player(player)
{
    connect(&player, &PlayerModule::tagEditorRequested, this, &TagEditorModule::toggle);
    connect(&shell, &Shell::topMostChanged, this, [this](bool on) {
        if (m_editor && m_editor->isVisible())
            m_editor->toolWindow()->setTopMost(on);
    });
}

TagEditorModule::~TagEditorModule() = default;

Id3EditorWindow* TagEditorModule::editor() const
{
    return m_editor;
}

void TagEditorModule::toggle()
{
    if (m_editor && m_editor->isVisible()) {
        m_editor->close();
        return;
    }
    if (m_player.list().isEmpty())
        return;
    delete m_editor.data();

    // Owned by the main window, so it goes with the program; closed, it goes
    // at once.
    auto* editor
        = new Id3EditorWindow(m_player.list().at(m_player.player().currentIndex()), &m_shell.mainWindow());
    editor->setAttribute(Qt::WA_DeleteOnClose);
    connect(editor, &Id3EditorWindow::saved, this, [this] {
        // The tag may have named the current entry: the title and the rows
        // read it again at the next tick.
        m_player.player().requestTitleRefresh();
        m_player.view().requestRebuild(true);
    });
    m_editor = editor;

    const QRect area = m_shell.workArea();
    const WorkAreaTwips work { toTwips(area.left()), toTwips(area.top()), toTwips(area.width()),
        toTwips(area.height()) };
    auto place = [this, editor, work, area] {
        const QSize size = editor->frameGeometry().size();
        const TwipsPos at = id3EditorPlace(
            m_shell.mainTool().positionTwips(), QSize(toTwips(size.width()), toTwips(size.height())), work);
        editor->toolWindow()->placeFromTwips(at.top, at.left, area, false);
    };
    place();
    editor->toolWindow()->setTopMost(m_shell.settings().alwaysOnTop);
    editor->show();
    // The window manager's frame is known once the window is up: placed
    // above the main window, the editor's bottom edge meets it exactly.
    if (editor->frameGeometry().size() != editor->size())
        place();
    editor->raise();
    editor->activateWindow();
}

} // namespace yk
