"""Time of a picture written without a window: quillmere --output of a small scan, measured
from outside as a whole process, from its start to its exit, with no display at all.

Every run starts a fresh process in a fresh copy of Data/ (no texture file yet), so the figure
holds the whole cold start: the EGL context, the texture run, the model load, one frame and the
PNG file.
"""

import os
import shutil
import statistics
import subprocess
import tempfile
import time

import first_frame

SIZE = "640x480"


def _one_run(quillmere, data, folder, model, seed):
    work = first_frame.scratch_copy(data, folder)
    env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
    output = os.path.join(work, "picture.png")
    try:
        start = time.monotonic()
        done = subprocess.run([os.path.abspath(quillmere), "--seed", str(seed), "--size", SIZE,
                               "--output", output, os.path.abspath(model)],
                              cwd=work, env=env, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=120)
        elapsed = time.monotonic() - start
        return elapsed if done.returncode == 0 and os.path.getsize(output) > 0 else None
    except (OSError, subprocess.TimeoutExpired):
        return None
    finally:
        shutil.rmtree(work, ignore_errors=True)


def measure(quillmere, data, model, runs=7):
    """Median seconds over runs (None when no run wrote its picture), and every run's figure.
    The seeds differ from run to run, as the clock's would."""
    folder = tempfile.mkdtemp(prefix="quillmere-picture-")
    try:
        times = [_one_run(quillmere, data, folder, model, 1000 + i) for i in range(runs)]
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    written = [t for t in times if t is not None]
    return (statistics.median(written) if written else None), times
