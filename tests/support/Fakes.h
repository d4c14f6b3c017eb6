#pragma once

#include <QStringList>
#include <QTimer>

#include "platform/DesktopNotifier.h"
#include "platform/Clock.h"
#include "platform/MascotChannel.h"
#include "platform/ShellAdapter.h"
#include "platform/VolumeMixer.h"
#include "launcher/FilePicker.h"

namespace yk::test {

// A clock that stands still until the test moves it.
class FakeClock final : public Clock
{
public:
    explicit FakeClock(QDateTime t = QDateTime(QDate(2026, 12, 8), QTime(9, 30))) : m_now(std::move(t)) {}
    QDateTime now() const override { return m_now; }
    void set(const QDateTime& t) { m_now = t; }
    void advanceMs(qint64 ms) { m_now = m_now.addMSecs(ms); }

private:
    QDateTime m_now;
};

// Records every script; a mascot is "there" when present is true. A
// reported send says, after the call, whether it was taken: only a present
// mascot that does not refuse takes it.
class FakeMascot final : public MascotChannel
{
public:
    bool present = true;
    bool refuses = false; // present, but answers every message with an error
    QStringList scripts;
    int flushes = 0;

    void sendScript(const QString& script) override
    {
        if (present)
            scripts.append(script);
    }
    void sendScriptReported(const QString& script, Delivery delivery) override
    {
        sendScript(script);
        const bool taken = present && !refuses;
        if (delivery)
            QTimer::singleShot(0, this, [delivery = std::move(delivery), taken] { delivery(taken); });
    }
    void sendText(const QString& text) override
    {
        if (present)
            scripts.append(QStringLiteral("\\h") + text + QStringLiteral("\\e"));
    }
    void flush(int) override { ++flushes; }
};

class FakeShell final : public ShellAdapter
{
public:
    QStringList opened;
    QStringList started;
    bool openDocument(const QString& p) override { opened.append(p); return true; }
    bool startProgram(const QString& p) override { started.append(p); return true; }
};

class FakeMixer final : public VolumeMixer
{
public:
    std::optional<quint32> value;
    std::optional<quint32> volume() const override { return value; }
    bool setVolume(quint32 v) override { value = v; return true; }
};

// Records every call the picker's register step makes, in order.
class RecordingPickerTarget final : public PickerTarget
{
public:
    void registerBackground(const QString& path) override { log << QStringLiteral("background ") + path; }
    int launcherNumber() const override { return launcherNo; }
    int soundNumber() const override { return soundNo; }
    void setLauncherEntry(int n, const QString& path) override
    {
        log << QStringLiteral("launcher %1 ").arg(n) + path;
    }
    void setSoundEntry(int n, const QString& path) override { log << QStringLiteral("sound %1 ").arg(n) + path; }
    void showLauncherName(const QString& text) override { log << QStringLiteral("txt_Apr ") + text; }
    void showSoundName(const QString& text) override { log << QStringLiteral("txt_Wav ") + text; }
    void addToPlayList(const QString& path) override { log << QStringLiteral("add ") + path; }

    int launcherNo = 3;
    int soundNo = 2;
    QStringList log;
};

// Keeps every desktop notice it is asked to show.
class RecordingNotifier final : public DesktopNotifier
{
public:
    struct Notice
    {
        QString summary;
        QString body;
        QString picture;
    };
    QList<Notice> notices;
    void notify(const QString& summary, const QString& body, const QString& picture) override
    {
        notices.append({summary, body, picture});
    }
};

} // namespace yk::test
