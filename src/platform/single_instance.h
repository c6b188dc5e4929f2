#pragma once
// Tells whether another instance of the program is already running, through a lock file
// in the user's runtime folder that the first instance holds for its whole life.

#include <QString>

// Takes the lock when it is free and keeps it until the program ends; answers true when
// another running instance holds it. A lock left behind by a crashed instance is taken over.
bool AnotherInstanceRunning();
// The lock file's path.
QString InstanceLockPath();
// Gives the lock back (the program does this when it ends; tests use it too).
void ReleaseInstanceLock();
