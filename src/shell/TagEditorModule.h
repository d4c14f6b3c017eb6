#pragma once

#include <QObject>
#include <QPointer>

#include "shell/Module.h"

namespace yk {

class Id3EditorWindow;
class PlayerModule;
class Shell;

// The tag editor: the title label's right button opens it for the current
// entry beside the main window, and a saved tag shows at once in the title
// and the play-list rows.
class TagEditorModule : public QObject, public Module
{
    Q_OBJECT
public:
    TagEditorModule(Shell& shell, PlayerModule& player);
    ~TagEditorModule() override;

    // The editor for the current entry beside the main window, or the open
    // one closed. Nothing for an empty list.
    void toggle();
    Id3EditorWindow* editor() const; // null while closed

private:
    Shell& m_shell;
    PlayerModule& m_player;
    QPointer<Id3EditorWindow> m_editor; // owned by the main window
};

} // namespace yk
