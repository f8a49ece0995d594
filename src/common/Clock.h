#pragma once
// The current time comes from here, so tests can fix it.

#include <QDateTime>

namespace Clock {
/// The current moment (UTC), or the fixed moment a test has set.
QDateTime now();
/// Fixes the clock at t; an invalid QDateTime returns to the real time.
void setFixed(const QDateTime &t);
} // namespace Clock
