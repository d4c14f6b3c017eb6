#pragma once

#include <memory>
#include <vector>

#include <QObject>
#include <QStringList>

#include "shell/Module.h"
#include "shell/Shell.h"

namespace yk {

// The running program: the shell, then each subsystem's module in the order
// they depend on one another, and the run's start and end.
class App : public QObject
{
    Q_OBJECT
public:
    explicit App(AppServices services, QObject* parent = nullptr);
    // The modules go in the reverse of the order they were built.
    ~App() override;

    // The start-up of the first running copy. `args` are the command line's
    // paths, one argument each. Shows the main window at the end.
    void start(const QStringList& args);
    // The End command (menu or Esc): save, say goodbye, quit.
    void shutdown();
    // The system closes the program (window close, termination signal):
    // save, release the hot key, no farewell.
    void systemClose();
    // The session manager asks for our data before a log-off that may yet
    // be cancelled: save and keep running.
    void commitData();

    Shell& shell() const { return *m_shell; }
    // The module of one subsystem (PlayerModule, TimersModule, ...).
    template <typename T> T& module() const
    {
        for (const auto& m : m_modules) {
            if (auto* found = dynamic_cast<T*>(m.get()))
                return *found;
        }
        std::abort();
    }

Q_SIGNALS:
    // Every queued scan and list read has been appended.
    void scansFinished();
    // The program has ended its shutdown sequence and asked the event loop to quit.
    void finished();

private:
    template <typename T, typename... Needs> T& add(Needs&... needs)
    {
        auto module = std::make_unique<T>(*m_shell, needs...);
        T& built = *module;
        m_modules.push_back(std::move(module));
        return built;
    }
    void endRun(bool farewell);

    std::unique_ptr<Shell> m_shell;
    std::vector<std::unique_ptr<Module>> m_modules; // in build order
};

} // namespace yk
