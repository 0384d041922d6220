#!/usr/bin/python3
"""Drives the program's window as a person does, for the real-stack tests: finds a control by its accessible
name on the accessibility bus and clicks or types on it through the X server (xdotool), or reads values.

  gui.py click NAME [ROLE]     click the middle of the shown, enabled control of that name
  gui.py type NAME TEXT        click the edit of that name, select all and type TEXT
  gui.py choose LABEL ITEM     open the combo box after the label LABEL and click its entry ITEM
  gui.py values                every shown label "Caption: value" as a line "Caption<TAB>value"
  gui.py tree                  the whole tree of the program's window (for a failure's message)
  gui.py steps STEP...         each STEP a command above in one argument ("click Add"), in order, stopping at
                               the first that fails

Each waits up to 60 s for its control to be shown; exit status 1 with a line saying what was missing."""
import shlex
import subprocess
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

WAIT_S = 60


def walk(node, depth=0, everything=False):
    """The node and its descendants; those of a hidden node only with `everything` (a hidden page holds many)."""
    yield node, depth
    if not everything and depth > 0 and not shown(node):
        return
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is not None:
            yield from walk(child, depth + 1, everything)


def program():
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        if app is not None and app.get_name() == "wlanutil":
            return app
    return None


def shown(node):
    states = node.get_state_set()
    return states.contains(Atspi.StateType.SHOWING) and states.contains(Atspi.StateType.VISIBLE)


def find(name, role=None):
    """The first shown, enabled control of that name (and role, or one of several roles), waited for."""
    end = time.monotonic() + WAIT_S
    while time.monotonic() < end:
        app = program()
        for node, _ in walk(app) if app else []:
            try:
                if node.get_name() == name and shown(node) and \
                        node.get_state_set().contains(Atspi.StateType.ENABLED) and \
                        (role is None or node.get_role_name() in role.split("|")):
                    return node
            except gi.repository.GLib.Error:
                continue
        time.sleep(0.2)
    sys.exit(f"gui.py: no shown control '{name}'" + (f" ({role})" if role else "") + f" within {WAIT_S} s")


def after_label(label, role):
    """The first shown control of the role that follows the shown label of that name, waited for."""
    end = time.monotonic() + WAIT_S
    while time.monotonic() < end:
        app = program()
        seen = False
        for node, _ in walk(app) if app else []:
            if not shown(node):
                continue
            if node.get_role_name() == "label" and node.get_name() == label:
                seen = True
            elif seen and node.get_role_name() == role:
                return node
        time.sleep(0.2)
    sys.exit(f"gui.py: no {role} after a label '{label}' within {WAIT_S} s")


def click(node):
    box = node.get_extents(Atspi.CoordType.SCREEN)
    subprocess.run(["xdotool", "mousemove", "--sync", str(box.x + box.width // 2), str(box.y + box.height // 2),
                    "click", "1"], check=True)


def tree():
    app = program()
    for node, depth in walk(app, everything=True) if app else []:
        box = node.get_extents(Atspi.CoordType.SCREEN)
        print("  " * depth + f"{node.get_role_name()} '{node.get_name()}' ({box.x},{box.y} {box.width}x{box.height})"
              + ("" if shown(node) else " hidden"))


def main(args):
    if args and args[0] == "steps":
        for step in args[1:]:
            start = time.monotonic()
            print(f"gui.py: {step}", end="", flush=True)
            run(shlex.split(step))
            print(f" ({time.monotonic() - start:.1f} s)", flush=True)
        return
    run(args)


def run(args):
    if not args:
        sys.exit(__doc__)
    command = args[0]
    if command == "click":
        click(find(args[1], args[2] if len(args) > 2 else None))
    elif command == "type":
        click(find(args[1], "text|password text"))
        subprocess.run(["xdotool", "key", "ctrl+a"], check=True)
        subprocess.run(["xdotool", "type", "--delay", "30", args[2]], check=True)
    elif command == "choose":
        click(after_label(args[1], "combo box"))
        click(find(args[2], "list item"))
    elif command == "values":
        app = program()
        for node, _ in walk(app) if app else []:
            name = node.get_name() or ""
            if node.get_role_name() == "label" and shown(node) and ": " in name:
                caption, value = name.split(": ", 1)
                print(f"{caption}\t{value}")
    elif command == "tree":
        tree()
    else:
        sys.exit(__doc__)


main(sys.argv[1:])
