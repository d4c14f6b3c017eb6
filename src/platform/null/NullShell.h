#pragma once

#include "platform/ShellAdapter.h"

namespace yk {

// A desktop that opens and starts nothing; every request fails.
class NullShell final : public ShellAdapter
{
public:
    bool openDocument(const QString&) override { return false; }
    bool startProgram(const QString&) override { return false; }
};

} // namespace yk
