// Preloaded into the YMODEM receiver `rb` by the tests: its timers count whole seconds
// (alarm), so it asks for the first block after a second and answers EOT only after a second
// of silence. Here alarm(n) fires after n tenths of a second instead.

#include <sys/time.h>
#include <unistd.h>

namespace {
constexpr long kMicrosPerTick = 100000; // one "second" of rb: 100 ms
constexpr long kMicrosPerSecond = 1000000;
} // namespace

extern "C" __attribute__((visibility("default"))) unsigned int alarm(unsigned int seconds)
{
    itimerval value = {};
    itimerval old = {};
    const long micros = kMicrosPerTick * long(seconds);
    value.it_value.tv_sec = micros / kMicrosPerSecond;
    value.it_value.tv_usec = micros % kMicrosPerSecond;
    setitimer(ITIMER_REAL, &value, &old);
    return unsigned(old.it_value.tv_sec);
}
