// The command-line host's exit codes; --help and the README list the same four.
#pragma once

namespace host {

enum ExitCode : int {
    EXIT_OK = 0,             // the command did what it was asked
    EXIT_FAILED = 1,         // the import, load, save or tessellation failed; stderr says why
    EXIT_USAGE = 2,          // a wrong command line: nothing was run
    EXIT_CONTRACT_BREAK = 3, // the plug-in misused a host service or broke a slot's convention
};

} // namespace host
