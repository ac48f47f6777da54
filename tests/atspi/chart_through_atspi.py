#!/usr/bin/python3
"""Reads the running program's window as a screen reader does, through AT-SPI.

Finds the application named "quorvane", waits until its chart "Folder Sizes" shows every
slice measured, prints the chart, each slice's name and description, the legend, the progress
bar and the named buttons and tree; then gives the chart the focus through AT-SPI, presses
Home, Right, End and Left through the registry's keyboard, and after each prints the slice that
announced itself focused and the slice whose state says focused.
Arguments: the expected subfolder names in order, each the start of its slice's name.
Exits 0 when everything was found as expected, else 1 with the reason on stderr.
"""
import sys
import time

import pyatspi
from gi.repository import GLib

TIMEOUT = 30.0
announced = []  # names of objects that announced "focused", in order


def on_focus(event):
    if event.detail1 == 1 and event.source is not None:
        announced.append(event.source.name)


def pump():
    context = GLib.MainContext.default()
    while context.pending():
        context.iteration(False)


def wait_for(what, probe, timeout=TIMEOUT):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        pump()
        try:
            found = probe()
        except Exception:  # an object that went away while it was read
            found = None
        if found:
            return found
        time.sleep(0.1)
    sys.exit(f"atspi: no {what} after {timeout:.0f} s")


def wait_for_quietly(probe, timeout):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        pump()
        if probe():
            return True
        time.sleep(0.1)
    return False


def application():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name.lower().startswith("quorvane"):
            return app
    return None


def find(root, role):
    return pyatspi.findDescendant(root, lambda a: a.getRole() == role)


def slices(part):
    return [part.getChildAtIndex(i) for i in range(part.childCount)
            if part.getChildAtIndex(i).getRole() == pyatspi.ROLE_LIST_ITEM]


def focused_slice(part):
    for item in slices(part):
        if item.getState().contains(pyatspi.STATE_FOCUSED):
            return item
    return None


def main(expected):
    pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused")
    app = wait_for("application quorvane", application)
    chart = wait_for("chart", lambda: find(app, pyatspi.ROLE_CHART))
    print(f"chart: {chart.name!r}, described {chart.description!r}")
    wait_for("measured slices", lambda: len(slices(chart)) == len(expected) and all(
        not s.getState().contains(pyatspi.STATE_BUSY) for s in slices(chart)))
    found = slices(chart)
    for item in found:
        print(f"slice: {item.name!r}; {item.description!r}")
    for item, name in zip(found, expected):
        if not item.name.startswith(name + " - "):
            sys.exit(f"atspi: slice {item.name!r} where {name!r} was expected")
    legend = find(chart, pyatspi.ROLE_LIST)
    if legend is None or [r.name for r in slices(legend)] != [s.name for s in found]:
        sys.exit("atspi: no legend with the slices' rows")
    print(f"legend: {legend.name!r}, {legend.childCount} rows")
    progress = wait_for("progress bar", lambda: find(app, pyatspi.ROLE_PROGRESS_BAR))
    print(f"progress bar: {progress.name!r}, value "
          f"{progress.queryValue().currentValue:g}")
    buttons = pyatspi.findAllDescendants(app, lambda a: a.getRole() == pyatspi.ROLE_PUSH_BUTTON)
    print("buttons:", ", ".join(repr(b.name) for b in buttons))
    tree = find(app, pyatspi.ROLE_TREE) or find(app, pyatspi.ROLE_TREE_TABLE)
    print(f"tree: {tree.name!r}" if tree is not None else "tree: none")
    if tree is None or not tree.name or any(not b.name for b in buttons):
        sys.exit("atspi: an unnamed button or tree")

    # Without a window manager a click makes the window active; the progress bar takes no
    # focus, so the focus is then given to the chart through AT-SPI alone.
    x, y, w, h = progress.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    pyatspi.Registry.generateMouseEvent(x + w // 2, y + h // 2, pyatspi.MOUSE_B1C)
    wait_for("active window", lambda: app.getChildAtIndex(0).getState().contains(
        pyatspi.STATE_ACTIVE))
    chart.queryComponent().grabFocus()
    wait_for("focus on the chart", lambda: chart.getState().contains(pyatspi.STATE_FOCUSED))
    # A key that comes while the X server still gives the focus to the new window, or while a
    # loaded machine lags, can be lost. Home lands on the first slice however often it is
    # pressed; a key that moves is pressed again only when the focus has not moved, so that no
    # press is ever counted twice.
    steps = [("Home", 0xFF50, 0), ("Right", 0xFF53, 1), ("End", 0xFF57, len(expected) - 1),
             ("Left", 0xFF51, len(expected) - 2)]
    for label, keysym, index in steps:
        want = found[index].name

        def focused_name():
            try:
                current = focused_slice(chart)
            except Exception:  # a slice that went away while it was read
                return None
            return current.name if current is not None else None

        # The chart may already stand on the first slice when it takes the focus, and its
        # announcement can come before the key: then Home moves nothing and says nothing new.
        def arrived():
            return want in announced or (label == "Home" and focused_name() == want)

        tries = 3
        for attempt in range(tries):
            del announced[:]
            before = focused_name()
            pyatspi.Registry.generateKeyboardEvent(keysym, None, pyatspi.KEY_SYM)
            if wait_for_quietly(arrived, 5):
                break
            if attempt + 1 < tries and (label == "Home" or focused_name() == before):
                print(f"{label} was lost; pressed again")
                continue
            wait_for(f"announcement of {want!r} after {label}", arrived, 10)
            break
        item = wait_for(f"focused slice {want!r} after {label}",
                        lambda: (lambda f: f if f is not None and f.name == want else None)(
                            focused_slice(chart)), 10)
        print(f"after {label}: announced {announced!r}, focused {item.name!r}")
    print("atspi: ok")


if __name__ == "__main__":
    main(sys.argv[1:])
