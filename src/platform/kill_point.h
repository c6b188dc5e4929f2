#pragma once
// Places where a command may be cut short, named so that a test can end the process there
// with SIGKILL and check that the folder holds either the state before the command or the
// state after it. The environment variable QUORVANE_KILL_AT names the place, "<name>" for
// its first pass or "<name>:<n>" for its n-th pass; without it nothing happens.

void KillPoint(const char *name);
