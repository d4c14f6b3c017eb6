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

class DesktopShell final : public ShellAdapter
{
public:
    bool openDocument(const QString& pathOrUrl) override;
    bool startProgram(const QString& path) override;
};

} // namespace yk
