#pragma once

class QWidget;

// Leaves a window that fits its screen's free area as it is (its place is the window
// manager's); a larger one is made as large as that area allows, never below its minimum
// size, and centred there, so that no part of it starts off the screen.
void fitToScreen(QWidget &window);
