#pragma once
// The exit codes of pelm-cli: every command returns one of them.

namespace Cli {

/// Exit codes of pelm-cli.
enum ExitCode
{
    kOk = 0,
    kUsage = 1,        ///< unknown command or bad arguments
    kFileError = 2,    ///< a file could not be read or written
    kIncomplete = 3,   ///< some input was invalid, or parameters could not be packed or were refused
    kNoDevice = 4,     ///< no device, no answer, or not a supported device
    kUpdateFailed = 5, ///< a firmware update was refused, failed or was stopped
};

} // namespace Cli
