#include "shell/App.h"

// The ID3 tag editor's part of the wiring: the title label's right button
// opens it for the current entry beside the main window, and a saved tag
// shows at once in the title and the play-list rows.

#include "media/Id3EditorWindow.h"
#include "media/PlayListView.h"
#include "media/Player.h"
#include "shell/Form1.h"
#include "shell/ToolWindow.h"
#include "shell/Twips.h"

namespace yk {

std::function<void()> App::wireId3Editor()
{
    return [this] { toggleId3Editor(); };
}

Id3EditorWindow* App::id3Editor() const
{
    return m_id3Editor;
}

void App::toggleId3Editor()
{
    if (m_id3Editor && m_id3Editor->isVisible()) {
        m_id3Editor->close();
        return;
    }
    if (m_playList.isEmpty())
        return;
    delete m_id3Editor.data();

    // Owned by the main window, so it goes with the program; closed, it goes
    // at once.
    auto* editor = new Id3EditorWindow(m_playList.at(m_player->currentIndex()), m_form.get());
    editor->setAttribute(Qt::WA_DeleteOnClose);
    connect(editor, &Id3EditorWindow::saved, this, [this] {
        // The tag may have named the current entry: the title and the rows
        // read it again at the next tick.
        m_player->requestTitleRefresh();
        m_listView->requestRebuild(true);
    });
    m_id3Editor = editor;

    const WorkAreaTwips work{toTwips(m_workArea.left()), toTwips(m_workArea.top()), toTwips(m_workArea.width()),
                             toTwips(m_workArea.height())};
    auto place = [this, editor, work] {
        const QSize size = editor->frameGeometry().size();
        const TwipsPos at = id3EditorPlace(m_formTool->positionTwips(),
                                           QSize(toTwips(size.width()), toTwips(size.height())), work);
        editor->toolWindow()->placeFromTwips(at.top, at.left, m_workArea, false);
    };
    place();
    editor->toolWindow()->setTopMost(m_settings.Top_Flag);
    editor->show();
    // The window manager's frame is known once the window is up: placed
    // above the main window, the editor's bottom edge meets it exactly.
    if (editor->frameGeometry().size() != editor->size())
        place();
    editor->raise();
    editor->activateWindow();
}

void App::applyTopMostToId3Editor(bool on)
{
    if (m_id3Editor && m_id3Editor->isVisible())
        m_id3Editor->toolWindow()->setTopMost(on);
}

} // namespace yk
