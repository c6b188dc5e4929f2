#pragma once
// The end of a run.

// Deletes every top-level window still there, so that their browser pages are gone before
// the browser engine releases its profile with the application object. Called once the
// event loop has ended.
void DeleteAllWindows();

// The end of the program once its event loop is over and its own state is saved (the
// settings, the edition's backup, the closed database): gives the instance lock back and
// ends the process at once, without the browser engine's teardown. That teardown stops the
// engine's threads and its page process one after the other and writes nothing (the
// engine's profile lives in memory only), yet on a busy machine it kept the process alive
// for a second or more. Only while the program still holds the clipboard does the run end
// the ordinary way: the windows go and the answer is returned for main to return, so that
// the application object hands the copied data to the desktop's clipboard keeper.
int EndRun(int exitCode);
