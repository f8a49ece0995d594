#pragma once
// What the fuzz targets share: the Qt set-up their code needs (an application object for the
// event loops, the core resources, quiet logging), a reporter that answers every box at once,
// and FUZZ_CHECK, which turns a broken invariant into a crash the fuzzer keeps.

#include "common/Reporter.h"

#include <cstdio>
#include <cstdlib>

namespace Fuzz {

/// Creates the application object, registers the core resources and installs a quiet
/// reporter as the process reporter. Qt's messages are dropped unless PELM_FUZZ_VERBOSE is set.
void init(int *argc, char ***argv);

/// A reporter for fuzzing: records nothing, opens a file of another module type when asked
/// (so the reading goes on), otherwise takes the default button or Ok.
class QuietReporter : public Reporter
{
public:
    int box(const Box &b) override;
    void status(const QString &text, int timeoutMs) override;
    /// Boxes shown since construction.
    int boxes = 0;
};

/// The process-wide quiet reporter that init() installs.
QuietReporter &quietReporter();

} // namespace Fuzz

/// Aborts with the failed condition: the fuzzer saves the input as a crash.
#define FUZZ_CHECK(cond)                                                                                     \
    do {                                                                                                     \
        if (!(cond)) {                                                                                       \
            std::fprintf(stderr, "FUZZ_CHECK failed at %s:%d: %s\n", __FILE__, __LINE__, #cond);             \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (0)
