#pragma once

#include <optional>

#include <QString>

#include "timers/CountdownTimer.h"

namespace yk::timerstate {

// A running timer kept across a restart: its preset on the first line and
// its start (local time, ISO 8601) on the second. The file exists only
// while a timer runs; it is written whole or not at all.
std::optional<CountdownTimer::Saved> read(const QString& file);
bool write(const QString& file, const std::optional<CountdownTimer::Saved>& saved);

// What the title label and the mascot say about a timer that came due
// while the program was not running.
QString missedTitle(const QDateTime& target);
QString missedScript(const QDateTime& target);

} // namespace yk::timerstate
