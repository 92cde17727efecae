#pragma once
// The terminal the tool writes to, one source per system: whether standard output
// or standard error is a terminal, whether it shows ANSI colours, and Ctrl-C.

namespace valdro::cli {

enum class StdStream { Out, Err };

bool IsTerminal(StdStream stream);
// True when the stream is a terminal that shows ANSI colour and cursor sequences
// (a Windows console is switched to show them first).
bool ColourTerminal(StdStream stream);

// Ctrl-C (and SIGTERM, or a console's Ctrl-Break): the handler only raises a flag;
// the owner loop's tick looks at it.
void InstallInterruptHandler();
bool Interrupted();

}  // namespace valdro::cli
