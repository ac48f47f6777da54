#pragma once

#include "treefolder/propertybag.h"

// The stored set the main window keeps for its tree control TreeFolder1 (control type
// "Quorvane.TreeFolder"): white background, Arial 9 pt bold, selection shown when the tree
// loses focus, Control Panel hidden, manual label editing, automatic drag, manual drop, and
// the desktop folder as path (the main window assigns its own start path at start-up).
// "_extentx" and "_extenty" are the host's own size entries in HIMETRIC, which the control
// never reads; "mouseicon" is an empty picture, which reads as no icon.
// Throws what DesktopFolderPath throws when the desktop folder has no path.
PropertyBag Form1TreeFolder1Properties();
