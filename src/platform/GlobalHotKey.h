#pragma once

#include <QObject>

#include <memory>

namespace yk {

// The program's one system-wide hot key, Ctrl+Page Up. At most one
// registration exists: registering again replaces the previous one, so the
// key never fires twice per press.
class GlobalHotKey : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Whether this desktop lets a program grab a key for the whole system.
    virtual bool isSupported() const = 0;
    // Grabs Ctrl+Page Up. False when unsupported or when another program
    // already owns the combination.
    virtual bool registerHotKey() = 0;
    // Releases the key; harmless when nothing is registered.
    virtual void unregisterHotKey() = 0;
    virtual bool isRegistered() const = 0;

Q_SIGNALS:
    // The hot key was pressed, wherever the focus was.
    void activated();
};

// The implementation for the running desktop (X11 under the xcb platform),
// or NullHotKey.
std::unique_ptr<GlobalHotKey> createGlobalHotKey(QObject* parent = nullptr);

} // namespace yk
