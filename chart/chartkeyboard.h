#pragma once

class QKeyEvent;

// What a key pressed on the pie or its legend asks for. The highlight moves in slice order,
// which is also the legend's order, so the chart reads the same without telling colours apart.
struct ChartKey {
    enum class Kind {
        None,        // not a chart key: the widget's own handling goes on
        Highlight,   // highlight `row`
        Activate,    // drill down into `row`, as a double-click does
        Parent,      // chart the folder above the one shown
        ContextMenu, // the menu of `row`
    };
    Kind kind = Kind::None;
    int row = -1;
};

// The key's meaning on a chart of `count` slices whose highlighted slice is `current` (-1 for
// none). Left/Right step through the slices, and Up/Down too where `vertical` (the legend, a
// list); Home/End go to the first and last, Page Up/Down by `page` rows (0: not at all).
// A first step with nothing highlighted lands on the first slice going forward and on the
// last going back. Enter and the Menu key (or Shift+F10) need a highlighted slice;
// Backspace needs none.
ChartKey chartKey(const QKeyEvent &event, int current, int count, bool vertical, int page = 0);
