#pragma once
// The end of a run.

// Deletes every top-level window still there, so that their browser pages are gone before
// the browser engine releases its profile with the application object. Called once the
// event loop has ended.
void DeleteAllWindows();
