#pragma once

#include <QString>

namespace yk::fuzz {

// A private folder for the files one process of fuzzing writes, made once
// and removed at exit; `name` is a path inside it.
QString scratchPath(const QString& name);
QByteArray readAll(const QString& path);
void writeAll(const QString& path, const QByteArray& bytes);

} // namespace yk::fuzz
