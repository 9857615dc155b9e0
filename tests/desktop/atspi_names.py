"""Walks the accessibility tree of one application on the AT-SPI bus and checks that every
focusable object and every list has a meaningful name: not empty, not an object name such as
"Option1", not a class name. Prints the tree it saw; exits 1 when a name is missing or bad.

Usage: /usr/bin/python3 atspi_names.py APPLICATION_NAME [SECONDS]
Debian's pyatspi (python3-pyatspi) is installed for /usr/bin/python3 only.
"""

import re
import sys
import time

import pyatspi

LISTS = {pyatspi.ROLE_LIST, pyatspi.ROLE_LIST_BOX, pyatspi.ROLE_TABLE, pyatspi.ROLE_TREE,
         pyatspi.ROLE_TREE_TABLE}
# What a control is called when nobody named it: its object name or its class.
UNNAMED = re.compile(r"^(Option|Command|Text|Combo|HScroll|Label|List|Q[A-Z])\w*\d*$")


def application(name, seconds):
    deadline = time.time() + seconds
    while time.time() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name == name and app.childCount > 0:
                return app
        time.sleep(0.2)
    return None


def walk(node, depth, problems):
    try:
        role = node.getRole()
        states = node.getState()
        name = node.name or ""
    except Exception:  # an object that went away while walking
        return
    focusable = states.contains(pyatspi.STATE_FOCUSABLE) and states.contains(pyatspi.STATE_SHOWING)
    checked = focusable or role in LISTS
    print("%s%s %r%s" % ("  " * depth, node.getRoleName(), name, " [checked]" if checked else ""))
    if checked and (not name.strip() or UNNAMED.match(name)):
        problems.append("%s %r" % (node.getRoleName(), name))
    if role in LISTS:
        return  # the items are data, named by their own text
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            walk(child, depth + 1, problems)


def main():
    name = sys.argv[1]
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 15
    app = application(name, seconds)
    if app is None:
        print("no application %r on the accessibility bus" % name)
        return 1
    problems = []
    windows = 0
    for i in range(app.childCount):
        window = app.getChildAtIndex(i)
        if window is not None:
            windows += 1
            walk(window, 0, problems)
    for p in problems:
        print("FAIL: no meaningful name: " + p)
    if windows == 0:
        print("FAIL: the application shows no window")
        return 1
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
