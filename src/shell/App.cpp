#include "shell/App.h"

#include "core/ClockTick.h"
#include "media/PlayListActions.h"
#include "shell/CalendarModule.h"
#include "shell/DesktopModule.h"
#include "shell/HandOver.h"
#include "shell/LyricsModule.h"
#include "shell/MovieModule.h"
#include "shell/PlayerModule.h"
#include "shell/TagEditorModule.h"
#include "shell/TimersModule.h"
#include "shell/WindowsModule.h"

namespace yk {

App::App(AppServices services, QObject* parent)
    : QObject(parent)
    , m_shell(std::make_unique<Shell>(std::move(services)))
{
    // Each module takes what it uses; the order is the graph's.
    auto& calendar = add<CalendarModule>();
    auto& windows = add<WindowsModule>(calendar);
    auto& player = add<PlayerModule>(windows);
    add<LyricsModule>(player);
    add<MovieModule>(player);
    add<TagEditorModule>(player);
    auto& desktop = add<DesktopModule>(player);
    add<TimersModule>(player, windows, desktop);

    connect(m_shell.get(), &Shell::endRequested, this, &App::endRun);
    connect(&player.actions(), &PlayListActions::settled, this, &App::scansFinished);
}

App::~App()
{
    // Nothing reaches a module once the modules it uses are gone.
    while (!m_modules.empty())
        m_modules.pop_back();
}

void App::start(const QStringList& args)
{
    const QStringList files = absolutePaths(args);
    m_shell->readSettings();
    for (const auto& m : m_modules)
        m->start(files);
    m_shell->showMainWindow();
}

void App::endRun(bool farewell)
{
    if (m_shell->ended())
        return;
    m_shell->markEnded();
    for (const auto& m : m_modules)
        m->beforeSave(true);
    m_shell->saveSettings();
    m_shell->tick().stop();
    for (auto m = m_modules.rbegin(); m != m_modules.rend(); ++m)
        (*m)->end(farewell);
    m_shell->finish(farewell);
    Q_EMIT finished();
}

void App::shutdown()
{
    endRun(true);
}

void App::systemClose()
{
    // Saving here keeps a termination from losing every change made since
    // the start.
    endRun(false);
}

void App::commitData()
{
    if (m_shell->ended())
        return;
    // The session may end without another word: what is shown goes into
    // this save, and everything runs on.
    for (const auto& m : m_modules)
        m->beforeSave(false);
    m_shell->saveSettings();
}

} // namespace yk
