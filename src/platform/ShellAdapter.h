#pragma once

#include <QString>

namespace yk {

// Opening documents and starting programs through the desktop.
class ShellAdapter
{
public:
    virtual ~ShellAdapter() = default;
    // Opens a document, folder or web address with the desktop's default handler.
    virtual bool openDocument(const QString& pathOrUrl) = 0;
    // Starts a program by its path alone: no arguments, no working folder.
    virtual bool startProgram(const QString& path) = 0;
};

// Everything it starts runs in the user's own environment (userEnvironment()),
// not in ours, and holds none of our files or sockets.
class DesktopShell final : public ShellAdapter
{
public:
    // `opener` is the program that opens a document or address given as its
    // one argument; empty means the desktop's xdg-open, found on the PATH.
    explicit DesktopShell(QString opener = {});

    bool openDocument(const QString& pathOrUrl) override;
    bool startProgram(const QString& path) override;

private:
    QString m_opener;
};

} // namespace yk
