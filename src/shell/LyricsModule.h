#pragma once

#include <memory>

#include <QObject>

#include "shell/Module.h"

namespace yk {

class LyricsController;
class PlayerModule;
class Shell;

// Timed lyrics: the lookup and the timed line behind the player, the label
// on the main window and the tick's label step.
//
// The controller is the lyrics service unless the caller gave one of its
// own; a given service is told about track starts and stops and nothing
// else, and the label then stays hidden.
class LyricsModule : public QObject, public Module
{
    Q_OBJECT
public:
    LyricsModule(Shell& shell, PlayerModule& player);
    ~LyricsModule() override;

    LyricsController& lyrics() const { return *m_lyrics; }

private:
    std::unique_ptr<LyricsController> m_lyrics;
};

} // namespace yk
