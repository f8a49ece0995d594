#include "common/Clock.h"

namespace {
QDateTime g_fixed;
}

QDateTime Clock::now()
{
    return g_fixed.isValid() ? g_fixed.toUTC() : QDateTime::currentDateTimeUtc();
}

void Clock::setFixed(const QDateTime &t)
{
    g_fixed = t;
}
