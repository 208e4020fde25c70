#!/usr/bin/python3
"""The installed window, as check-package.sh runs it inside the clean root: under Xvfb, read
over the accessibility bus (AT-SPI). It starts, shows " Ready " with its English menus, then
its Russian translation under LANGUAGE=ru, then opens each file through the desktop file's
Exec line and shows the file's text (what `vernalo-cli convert` reads from it) in the editor.

    check-package-window.py DESKTOP_FILE [FILE...]

Prints each step; exits 1 at the first failure.
"""
import os
import shlex
import signal
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktopsession import fail, start_session_bus, stop_all, wait_for  # noqa: E402


def exec_line(desktop_file, path):
    for line in open(desktop_file, encoding="utf-8"):
        if line.startswith("Exec="):
            words = shlex.split(line[len("Exec="):].strip())
            return [path if w in ("%f", "%F", "%u", "%U") else w for w in words]
    fail("no Exec line in " + desktop_file)


def snippet(path):
    """A few words the editor must show once the file is open: the first long enough line of
    what vernalo-cli reads from it."""
    text = subprocess.run(["vernalo-cli", "convert", path, "--to", "txt"], capture_output=True,
                          text=True, check=True).stdout
    for line in text.splitlines():
        words = line.split()
        if len(" ".join(words)) >= 8:
            return " ".join(words[:3])
    fail("vernalo-cli read no text from " + path)


def main():
    desktop_file, files = sys.argv[1], [os.path.abspath(f) for f in sys.argv[2:]]
    home = tempfile.mkdtemp(prefix="vernalo_check_")
    env = dict(os.environ, HOME=home, DISPLAY=":77", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
               LANG="C.UTF-8", XDG_RUNTIME_DIR=home)
    env.pop("LANGUAGE", None)
    children = [subprocess.Popen(["Xvfb", ":77", "-screen", "0", "1280x800x24", "-nolisten", "tcp"],
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)]
    if not wait_for(lambda: os.path.exists("/tmp/.X11-unix/X77"), 20, lambda: None):
        fail("Xvfb did not start")
    start_session_bus(env)
    try:
        children.append(subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                                         env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        import gi
        gi.require_version("Atspi", "2.0")
        from gi.repository import Gio, GLib

        # The accessibility library asks for the bus once, when loaded: only after it is up.
        def a11y_bus():
            try:
                Gio.bus_get_sync(Gio.BusType.SESSION, None).call_sync(
                    "org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress", None, None,
                    Gio.DBusCallFlags.NONE, 1000, None)
                return True
            except GLib.Error:
                return False
        if not wait_for(a11y_bus, 30, lambda: None):
            fail("the accessibility bus did not start")
        import pyatspi

        def pump():
            ctx = GLib.MainContext.default()
            while ctx.iteration(False):
                pass

        def application():
            desktop = pyatspi.Registry.getDesktop(0)
            for i in range(desktop.childCount):
                a = desktop.getChildAtIndex(i)
                if a is not None and a.name == "vernalo":
                    return a
            return None

        def find(app, test):
            try:
                return pyatspi.findDescendant(app, lambda o: o is not None and test(o))
            except Exception:  # the tree changes while it is walked
                return None

        def run(argv, language=None):
            app_env = dict(env)
            if language:
                app_env["LANGUAGE"] = language
            log = os.path.join(home, "vernalo.log")
            process = subprocess.Popen(argv, env=app_env, cwd=home,
                                       stdout=subprocess.DEVNULL, stderr=open(log, "w"))
            app = wait_for(application, 90, pump)
            if app is None:
                process.kill()
                print(open(log, errors="replace").read()[-2000:], flush=True)
                fail("%s shows no window on the accessibility bus" % " ".join(argv))
            return process, app

        def stop(process):
            process.send_signal(signal.SIGTERM)
            try:
                process.wait(30)
            except subprocess.TimeoutExpired:
                process.kill()
                fail("vernalo did not end on SIGTERM")
            wait_for(lambda: application() is None, 10, pump)

        def has_label(app, name):
            return find(app, lambda o: o.getRole() == pyatspi.ROLE_LABEL and o.name == name)

        def has_menu(app, name):
            bar = find(app, lambda o: o.getRole() == pyatspi.ROLE_MENU_BAR)
            return bar is not None and any(bar.getChildAtIndex(i).name.replace("&", "") == name
                                           for i in range(bar.childCount))

        for language, ready, menu in ((None, " Ready ", "File"), ("ru", " Готово ", "Файл")):
            process, app = run(["vernalo"], language)
            if not wait_for(lambda: has_label(app, ready), 60, pump):
                fail("the window (LANGUAGE=%s) never shows %r" % (language, ready))
            if not wait_for(lambda: has_menu(app, menu), 10, pump):
                fail("the window (LANGUAGE=%s) has no menu %r" % (language, menu))
            print("ok: window shown, status %r, menu %r (LANGUAGE=%s)" % (ready, menu, language),
                  flush=True)
            stop(process)

        def shows(app, words):
            def editor():
                o = find(app, lambda o: o.getRole() == pyatspi.ROLE_TEXT
                         and words in " ".join(o.queryText().getText(0, -1).split()))
                return o
            return editor

        for path in files:
            words = snippet(path)
            # No last text to restore: what the editor shows came from this file.
            subprocess.run(["rm", "-rf", os.path.join(home, ".local/share/vernalo")], check=True)
            process, app = run(exec_line(desktop_file, path))
            if not wait_for(shows(app, words), 120, pump):
                fail("%s opened through the desktop file does not show %r" % (path, words))
            print("ok: %s opens through the desktop file (%r)" % (os.path.basename(path), words),
                  flush=True)
            stop(process)
        return 0
    finally:
        stop_all(children, env, home)


if __name__ == "__main__":
    sys.exit(main())
