"""The recording of the test sound server's sink (raw 16-bit mono samples at 22050 Hz, the file
VERNALO_MONITOR names), as the sound benchmarks read it: its samples, waiting for it to fall
quiet, and the quiet stretches around the moments pieces were handed over."""
import array
import os
import time

RATE = 22050
LOUD = 300  # about 1 % of full scale: above the recorder's hiss


class Recording:
    def __init__(self, path):
        self.path = path

    def size(self):
        return os.path.getsize(self.path)

    def samples(self, a, b):
        with open(self.path, 'rb') as f:
            f.seek(a & ~1)
            data = f.read((b - a) & ~1)
        s = array.array('h')
        s.frombytes(data[:len(data) // 2 * 2])
        return s

    def settle(self, start, quiet=0.8, limit=60, silent=5):
        # Until the recording ends in `quiet` seconds of silence after some sound, or nothing
        # sounded for `silent` seconds.
        begun = time.time()
        while time.time() < begun + limit:
            s = self.samples(start, self.size())
            last = next((i for i in range(len(s) - 1, -1, -1) if abs(s[i]) > LOUD), None)
            if last is not None and len(s) - last > quiet * RATE:
                return
            if last is None and time.time() > begun + silent:
                return
            time.sleep(0.05)


def quiet_runs(s, shortest):
    """The stretches of `s` quiet for at least `shortest` samples, as (first, end) pairs."""
    runs, start = [], None
    for i, v in enumerate(s):
        if abs(v) <= LOUD:
            if start is None:
                start = i
        elif start is not None:
            if i - start >= shortest:
                runs.append((start, i))
            start = None
    return runs


def gap_at(runs, p, after):
    """The quiet stretch around sample `p`, in ms: the recorder lags the device a little, so a
    moment still in the sound before takes the stretch that starts within `after` samples."""
    run = next((r for r in runs if r[0] <= p < r[1]), None) or \
        next((r for r in runs if p <= r[0] < p + after), None)
    return 0 if run is None else (run[1] - run[0]) * 1000 / RATE
