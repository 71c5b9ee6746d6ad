"""Time from program start to the first drawn frame of the real viewer, measured from outside.

The program runs under a private Xvfb display in a scratch copy of Data/. The clock starts just
before the process is started and stops at the first look at the window that finds non-black
pixels in its centre: the window is black until the first frame is swapped in (the data set's
clear colour is black too, and a named model's grey background comes with its first frame), so
those pixels are the model's first frame.
The window's pixels are read through Xlib (ctypes), a millisecond per look, so the figure is not
blurred by the cost of the looks themselves.
"""

import contextlib
import ctypes
import os
import re
import shutil
import statistics
import subprocess
import tempfile
import threading
import time

WINDOW_TITLE = "Quillmere"
CENTRE = 200  # the window is 400 x 400
PATCH = 16  # side of the centre square that is inspected
ALL_PLANES = 0xFFFFFFFF
Z_PIXMAP = 2


class _XImage(ctypes.Structure):
    _fields_ = [
        ("width", ctypes.c_int),
        ("height", ctypes.c_int),
        ("xoffset", ctypes.c_int),
        ("format", ctypes.c_int),
        ("data", ctypes.POINTER(ctypes.c_ubyte)),
        ("byte_order", ctypes.c_int),
        ("bitmap_unit", ctypes.c_int),
        ("bitmap_bit_order", ctypes.c_int),
        ("bitmap_pad", ctypes.c_int),
        ("depth", ctypes.c_int),
        ("bytes_per_line", ctypes.c_int),
        ("bits_per_pixel", ctypes.c_int),
    ]


_ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)


class _Screen:
    """A connection to one X display that can read a square of a window's pixels."""

    def __init__(self, display):
        self.x11 = ctypes.CDLL("libX11.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XGetImage.restype = ctypes.POINTER(_XImage)
        self.x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int,
                                       ctypes.c_int, ctypes.c_uint, ctypes.c_uint,
                                       ctypes.c_ulong, ctypes.c_int]
        self.x11.XFree.argtypes = [ctypes.c_void_p]
        self.x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        # A window that is not mapped yet answers with an X error; Xlib's default handler would
        # end this process.
        self._ignore = _ERROR_HANDLER(lambda _display, _event: 0)
        self.x11.XSetErrorHandler(self._ignore)
        self.display = self.x11.XOpenDisplay(display.encode())
        if not self.display:
            raise RuntimeError("cannot open display " + display)

    def centre_lit(self, window):
        """True when any pixel of the window's centre square is not black."""
        image = self.x11.XGetImage(self.display, window, CENTRE - PATCH // 2,
                                   CENTRE - PATCH // 2, PATCH, PATCH, ALL_PLANES, Z_PIXMAP)
        self.x11.XSync(self.display, 0)
        if not image:
            return False
        picture = image.contents
        lit = False
        if picture.bits_per_pixel == 32:
            for row in range(PATCH):
                start = row * picture.bytes_per_line
                if any(picture.data[start + i] for i in range(PATCH * 4) if i % 4 != 3):
                    lit = True
                    break
        self.x11.XFree(picture.data)
        self.x11.XFree(image)
        return lit

    def close(self):
        self.x11.XCloseDisplay(self.display)


def _find_window(env, model=None):
    # With a model the title names its file: "Quillmere - name.obj".
    title = "^%s$" % WINDOW_TITLE
    if model is not None:
        title = "^%s - %s$" % (WINDOW_TITLE, re.escape(os.path.basename(model)))
    found = subprocess.run(["xdotool", "search", "--name", title], env=env,
                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    ids = found.stdout.split()
    return int(ids[0]) if ids else None


def _start_display(folder):
    """Starts a private Xvfb; returns (process, display name)."""
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                             "1024x768x24", "-nolisten", "tcp", "-noreset"],
                            pass_fds=(write_end,), stdout=subprocess.DEVNULL,
                            stderr=open(os.path.join(folder, "xvfb.log"), "w"))
    os.close(write_end)
    with os.fdopen(read_end) as numbers:
        number = numbers.readline().strip()
    if not number:
        xvfb.kill()
        raise RuntimeError("Xvfb did not start")
    return xvfb, ":" + number


@contextlib.contextmanager
def session(prefix):
    """A scratch folder, a private Xvfb with Mesa's software renderer and a _Screen on it, for
    the length of a measurement; yields (folder, env, screen, xvfb)."""
    folder = tempfile.mkdtemp(prefix=prefix)
    xvfb = None
    try:
        xvfb, display = _start_display(folder)
        env = dict(os.environ, DISPLAY=display, LIBGL_ALWAYS_SOFTWARE="1")
        screen = _Screen(display)
        try:
            yield folder, env, screen, xvfb
        finally:
            screen.close()
    finally:
        if xvfb is not None:
            xvfb.terminate()
            xvfb.wait()
        shutil.rmtree(folder, ignore_errors=True)


def scratch_copy(data, folder):
    """A fresh working folder inside folder with a copy of data as Data/, without a texture."""
    work = tempfile.mkdtemp(dir=folder)
    shutil.copytree(data, os.path.join(work, "Data"))
    for name in os.listdir(os.path.join(work, "Data")):
        if name.startswith("example"):
            os.remove(os.path.join(work, "Data", name))
    return work


def first_lit(program, env, screen, start, limit, model=None, poll=0.001):
    """Seconds from start to the first look that finds the window's centre lit, looking every
    poll seconds once the window is there; None when the program ended or limit passed first."""
    window = None
    while time.monotonic() - start < limit and program.poll() is None:
        if window is None:
            window = _find_window(env, model)
        elif screen.centre_lit(window):
            return time.monotonic() - start
        time.sleep(poll if window is not None else 0.01)
    return None


def _one_run(quillmere, data, folder, env, screen, limit, model=None):
    """Seconds to the first frame of one fresh start, or None when none came within limit.
    With a model, the viewer opens it from the command line, and the result is a pair: the
    seconds to the first frame and to the end of the load (the reader's "Limites: " line, its
    last; standard output is made line-buffered so the line arrives when it is written)."""
    work = scratch_copy(data, folder)
    command = [os.path.abspath(quillmere)]
    if model is not None:
        command = ["stdbuf", "-oL"] + command + [os.path.abspath(model)]
    loaded = []
    start = time.monotonic()
    program = subprocess.Popen(command, cwd=work, env=env,
                               stdout=subprocess.PIPE if model else subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    if model is not None:
        def watch():
            for line in program.stdout:
                if line.startswith(b"Limites: ") and not loaded:
                    loaded.append(time.monotonic() - start)
        threading.Thread(target=watch, daemon=True).start()
    try:
        elapsed = first_lit(program, env, screen, start, limit, model)
    finally:
        program.kill()
        program.wait()
        shutil.rmtree(work, ignore_errors=True)
    if model is not None:
        return elapsed, (loaded[0] if loaded else None)
    return elapsed


def measure(quillmere, data, runs=5, limit=60.0):
    """Median seconds over runs (None when no run drew a frame), and every run's figure."""
    with session("quillmere-first-frame-") as (folder, env, screen, _):
        times = [_one_run(quillmere, data, folder, env, screen, limit) for _ in range(runs)]
    drawn = [t for t in times if t is not None]
    return (statistics.median(drawn) if drawn else None), times


def measure_model(quillmere, data, model, runs=5, limit=180.0):
    """The viewer opening model: median seconds to the first frame and to the end of the load
    (None when no run got there), and every run's pair."""
    with session("quillmere-first-frame-") as (folder, env, screen, _):
        pairs = [_one_run(quillmere, data, folder, env, screen, limit, model)
                 for _ in range(runs)]
    frames = [p[0] for p in pairs if p[0] is not None]
    loads = [p[1] for p in pairs if p[1] is not None]
    return ((statistics.median(frames) if frames else None),
            (statistics.median(loads) if loads else None), pairs)


if __name__ == "__main__":
    import sys

    median, all_runs = measure(sys.argv[1], sys.argv[2])
    print("median", median, "runs", all_runs)
