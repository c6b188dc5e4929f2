// Commands of the main window whose windows and work come with the edition, editing,
// tree, keyword and web-tool parts of the program. Each is wired to its menu item or
// control, and does nothing until the window or work behind it is added.

#include "mainwindow/form1.h"

// Edition menu.

// Database menu.

// Options menu.
