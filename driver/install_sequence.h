// The installation itself, from the wizard to the last batch text, once the
// payload's settings and the StubImage are ready.
#pragma once

// Runs the install sequence. Returns to the caller, which ends the run.
void RunInstallSequence();
