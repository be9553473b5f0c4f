#pragma once

namespace tarvelo {

/// The whole command-line program; returns the exit status (0 done, 1 a picture or script
/// failed, 2 usage error).
int runCommandLine(int argc, char** argv);

} // namespace tarvelo
