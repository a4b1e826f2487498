// The command line: diaset file...
#pragma once

namespace diaset {

// Filters each named file in turn to standard output and returns the exit status: 0 when all
// went well, 1 when a file could not be opened or read or the output could not be written,
// 2 when no file was named.
int run_command(int argc, char** argv);

} // namespace diaset
