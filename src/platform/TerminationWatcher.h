#pragma once

#include <QObject>

class QSocketNotifier;

namespace yk {

// Turns SIGTERM, SIGINT and SIGHUP (log-off, kill, a closed terminal) into a
// Qt signal on the UI thread, so the program can save before it goes.
class TerminationWatcher : public QObject
{
    Q_OBJECT
public:
    explicit TerminationWatcher(QObject* parent = nullptr);
    ~TerminationWatcher() override;

Q_SIGNALS:
    void terminationRequested();

private:
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace yk
