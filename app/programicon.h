#pragma once

#include <QIcon>

// The program's icon, as the window and the desktop menu show it.
QIcon ProgramIcon();
