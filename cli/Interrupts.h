#pragma once
// What velt-cli does on signals that would otherwise leave a half-written file behind.

#include "Platform.h"

namespace velt::cli {

/// Installs the handlers once per process: SIGINT and SIGTERM remove the named temporary
/// file being written, if any, then end the process as the signal would have; SIGXFSZ is
/// ignored, so a file-size limit fails the write with "no room" instead of killing silently.
/// Returns the registry that coding operations report named temporaries to.
ITemporaryFiles& InstallInterruptCleanup();

} // namespace velt::cli
