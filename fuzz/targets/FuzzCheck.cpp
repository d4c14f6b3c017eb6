#include "FuzzTargets.h"

#include <cstdio>
#include <string>

namespace yk::fuzz {
namespace {

std::string& inputName()
{
    static std::string name;
    return name;
}

} // namespace

void setInputName(const char* name)
{
    inputName() = name ? name : "";
}

void fail(const char* what, const char* file, int line)
{
    std::fprintf(stderr, "fuzz check failed: %s\n  at %s:%d\n", what, file, line);
    if (!inputName().empty())
        std::fprintf(stderr, "  input: %s\n", inputName().c_str());
    std::fflush(stderr);
    __builtin_trap();
}

} // namespace yk::fuzz
