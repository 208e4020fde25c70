"""What the scripts that drive the window as a person would share: waiting for a condition, a
private session bus, and taking down what they started.

Used by the screen-reader and Wayland tests and by check-package-window.py, which
check-package.sh copies into the clean root beside this file."""
import os
import signal
import subprocess
import sys
import time


def fail(message):
    print("FAIL:", message, flush=True)
    sys.exit(1)


def wait_for(condition, seconds, pump=lambda: None, step=0.05):
    """The condition's first true value within `seconds`, calling `pump` before each look; None
    when it stays false."""
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        pump()
        value = condition()
        if value:
            return value
        time.sleep(step)
    return None


def start_session_bus(env):
    """A private session bus (dbus-launch): its address and process go into `env` and into this
    process's environment, where the accessibility library looks for them."""
    bus = subprocess.run(["dbus-launch", "--sh-syntax"], capture_output=True, text=True,
                         check=True, env=env).stdout
    for line in bus.splitlines():
        if line.startswith(("DBUS_SESSION_BUS_ADDRESS=", "DBUS_SESSION_BUS_PID=")):
            key, value = line.rstrip(";").split("=", 1)
            env[key] = value.strip("'")
    os.environ.update(env)


def stop_all(children, env, home, seconds=10):
    """Ends `children` last first (killed when they do not end in time), the session bus
    `env` names if any, and removes `home`."""
    for child in reversed(children):
        child.send_signal(signal.SIGTERM)
        try:
            child.wait(seconds)
        except subprocess.TimeoutExpired:
            child.kill()
            child.wait()
    pid = env.get("DBUS_SESSION_BUS_PID")
    if pid:
        os.kill(int(pid), signal.SIGTERM)
    subprocess.run(["rm", "-rf", home])
