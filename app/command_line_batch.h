#pragma once

#include <ostream>

#include "app/command_line.h"

// Runs a command line that asks for no window (--convert, --help, --version) under a QCoreApplication: no
// display, no skin, no tip of the day. Output for scripts (--help, --version, --dry-run) goes to `out`, output
// for people (progress, refusals, failures) to `err`; `errIsTerminal` selects the progress line rewritten in
// place. Answers the exit status.
int RunCommandLineBatch(const CommandLine& command, std::ostream& out, std::ostream& err, bool errIsTerminal);
