#!/usr/bin/python3
"""The window on a Wayland compositor of its own (weston, headless), natively through
qt6-wayland: the window's surface gets its title and a first frame, and a text given with
--read-text is heard on the test sound sink (when test.sh's recorded sink is there).

    wayland_smoke.py PROGRAM        exit 77 (skipped) without weston or Qt's Wayland plugin
"""
import array
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
from desktopsession import stop_all, wait_for  # noqa: E402

SKIP = 77


def loud_since(path, offset):
    """Whether the recording (s16le mono) holds speech after offset: a tenth of a second
    louder than an RMS of 500."""
    with open(path, "rb") as f:
        f.seek(offset)
        data = f.read()
    samples = array.array("h", data[: len(data) // 2 * 2])
    window = 2205
    for start in range(0, len(samples) - window, window):
        chunk = samples[start:start + window]
        if sum(s * s for s in chunk) / window > 500 * 500:
            return True
    return False


def main():
    program = os.path.abspath(sys.argv[1])
    if not shutil.which("weston") or not glob.glob(
            "/usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so"):
        print("SKIP: weston or qt6-wayland is not installed")
        return SKIP
    home = tempfile.mkdtemp(prefix="vernalo_wayland_")
    runtime = os.path.join(home, "runtime")
    os.mkdir(runtime, 0o700)
    env = dict(os.environ, HOME=home, XDG_RUNTIME_DIR=runtime, LC_ALL="C.UTF-8")
    env.pop("DISPLAY", None)  # no way back to X11
    # The test sink lives in test.sh's runtime folder: keep reaching it there.
    if "XDG_RUNTIME_DIR" in os.environ:
        env["PULSE_SERVER"] = "unix:" + os.path.join(os.environ["XDG_RUNTIME_DIR"], "pulse", "native")
    children = []
    try:
        weston_log = open(os.path.join(home, "weston.log"), "w")
        children.append(subprocess.Popen(
            ["weston", "--backend=headless-backend.so", "--socket=wayland-vernalo", "--idle-time=0"],
            env=env, stdout=weston_log, stderr=subprocess.STDOUT))
        if not wait_for(lambda: os.path.exists(os.path.join(runtime, "wayland-vernalo")), 10):
            print("FAIL: weston did not start")
            return 1
        monitor = os.environ.get("VERNALO_MONITOR")
        offset = os.path.getsize(monitor) if monitor and os.path.exists(monitor) else None
        log_path = os.path.join(home, "client.log")
        app_env = dict(env, QT_QPA_PLATFORM="wayland", WAYLAND_DISPLAY="wayland-vernalo",
                       WAYLAND_DEBUG="client")
        children.append(subprocess.Popen(
            [program, "--read-text", "Hello from Wayland. Привет."], env=app_env, cwd=home,
            stdout=subprocess.DEVNULL, stderr=open(log_path, "w")))

        def shown():
            with open(log_path, errors="replace") as f:
                log = f.read()
            # A titled toplevel whose configure was acknowledged and then given a frame.
            return (re.search(r"xdg_toplevel@\d+\.set_title\(\"Vernalo", log)
                    and re.search(r"ack_configure\(.*wl_surface@\d+\.attach\(wl_buffer@", log, re.S))
        if not wait_for(shown, 30):
            print("FAIL: no window appeared on the Wayland display")
            return 1
        print("window shown under Wayland")
        if offset is None:
            print("no recorded sound sink: Say not checked")
            return 0
        if not wait_for(lambda: loud_since(monitor, offset), 30):
            print("FAIL: no speech on the test sound sink")
            return 1
        print("speech heard")
        return 0
    finally:
        stop_all(children, env, home)


if __name__ == "__main__":
    sys.exit(main())
