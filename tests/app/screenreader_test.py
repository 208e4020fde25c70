#!/usr/bin/python3
"""The window as a screen reader drives it, over the accessibility bus (AT-SPI).

Starts its own session bus and accessibility bus, then the program on the test display with a
short mixed text; finds Say by its name, activates it through its "Toggle" action (as Orca
does) and expects the reading to run to the end, the activity panel's changes ("- Russian -",
"- English -") announced as name changes, and the menu bar exposed.

    screenreader_test.py PROGRAM
"""
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
from desktopsession import fail, start_session_bus, stop_all, wait_for  # noqa: E402


def main():
    program = os.path.abspath(sys.argv[1])
    if not os.environ.get("DISPLAY"):
        print("SKIP: no display")
        return 77
    home = tempfile.mkdtemp(prefix="vernalo_a11y_")
    text = os.path.join(home, "mixed.txt")
    with open(text, "w", encoding="utf-8") as f:
        f.write("Один два. Three four.\n")

    env = dict(os.environ)
    start_session_bus(env)
    children = []
    try:
        children.append(subprocess.Popen(
            ["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"], env=env,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        import gi
        gi.require_version("Atspi", "2.0")
        from gi.repository import GLib
        import pyatspi

        def pump():
            ctx = GLib.MainContext.default()
            while ctx.iteration(False):
                pass

        app_env = dict(env, HOME=home, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                       XDG_RUNTIME_DIR=os.environ.get("XDG_RUNTIME_DIR", home))
        app_env.pop("QT_QPA_PLATFORM", None)
        # The names looked for are the English ones, whatever the desktop's language.
        app_env["LC_ALL"] = "C.UTF-8"
        app_env.pop("LANGUAGE", None)
        vernalo = subprocess.Popen([program, text], env=app_env, cwd=home,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        children.append(vernalo)

        def application():
            desktop = pyatspi.Registry.getDesktop(0)
            for i in range(desktop.childCount):
                a = desktop.getChildAtIndex(i)
                if a is not None and a.name == "vernalo":
                    return a
            return None

        app = wait_for(application, 30, pump)
        if app is None:
            fail("the program does not show on the accessibility bus")

        def find(role, name):
            return pyatspi.findDescendant(app, lambda o: o is not None and o.getRole() == role
                                          and o.name == name)

        say = wait_for(lambda: find(pyatspi.ROLE_PUSH_BUTTON, "Say text/Pause"), 30, pump)
        if say is None:
            fail("no button named 'Say text/Pause'")
        # The text is in once the line count shows two lines.
        if not wait_for(lambda: find(pyatspi.ROLE_LABEL, "Strings: 1"), 30, pump):
            fail("the file given at start did not open")
        bar = find(pyatspi.ROLE_MENU_BAR, "") or pyatspi.findDescendant(
            app, lambda o: o is not None and o.getRole() == pyatspi.ROLE_MENU_BAR)
        if bar is None or not any(bar.getChildAtIndex(i).name.replace("&", "") == "File"
                                  for i in range(bar.childCount)):
            fail("no menu bar with File")

        announced = []

        def on_name(event):
            if event.source is not None and event.source.getRole() == pyatspi.ROLE_LABEL:
                announced.append(event.source.name)

        pyatspi.Registry.registerEventListener(on_name, "object:property-change:accessible-name")
        actions = say.queryAction()
        names = [actions.getName(i) for i in range(actions.nActions)]
        if "Toggle" not in names:
            fail("Say has no Toggle action: %s" % names)
        actions.doAction(names.index("Toggle"))
        checked = lambda: say.getState().contains(pyatspi.STATE_CHECKED)
        if not wait_for(checked, 10, pump):
            fail("Toggle did not press Say")
        if not wait_for(lambda: not checked(), 60, pump):
            fail("the reading did not come to its end")
        for expected in (" - Russian - ", " - English - "):
            if expected not in announced:
                fail("%r was not announced; heard %r" % (expected, announced))
        print("ok: Say toggled over AT-SPI read to the end; announced", announced)
        return 0
    finally:
        stop_all(children, env, home, seconds=20)


if __name__ == "__main__":
    sys.exit(main())
