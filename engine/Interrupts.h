#pragma once
// What Velt and velt-cli do on signals that would otherwise leave a half-written file behind.

#include "engine/Platform.h"

namespace velt {

/// Installs the handlers once per process: SIGINT, SIGTERM and SIGHUP remove the named temporary
/// file being written, if any, then end the process as the signal would have; SIGXFSZ is
/// ignored, so a file-size limit fails the write with "no room" instead of killing silently.
/// Returns the registry that coding operations report named temporaries to.
ITemporaryFiles& InstallInterruptCleanup();

} // namespace velt
