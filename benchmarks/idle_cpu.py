"""Processor time that the viewer spends while the data set's model just spins, measured from
outside.

The program runs under a private Xvfb display with Mesa's software renderer, in a scratch copy of
Data/. Once the model is loaded and a few seconds of warm-up have passed, the figure is the
process's own processor time (user + system, from /proc) over a fixed window, as a share of one
core. Processor time, unlike wall-clock time, is hardly inflated by other work on the machine.
The display server's share over the same window is given beside it, and so is the share of the
window in which the viewer was ready to run but waited for a processor (from /proc's schedstat).
A loaded machine can hold the viewer below its 60 frames per second, which would flatter the
figure; so one more run reads the frame rate from Mesa's own counter (GALLIUM_HUD's fps, dumped
to a file once a second). That counter draws its graph in the window, which costs a few points
of its own, so the runs that give the figure go without it; the figure is also given scaled to
the counted rate when that falls short of 60 frames per second.
"""

import os
import shutil
import statistics
import subprocess
import time

import first_frame

TICKS = os.sysconf("SC_CLK_TCK")
FULL_RATE = 60.0


def _cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    # After the command name: state is field 3, utime 14 and stime 15 (1-based, whole line).
    return (int(fields[11]) + int(fields[12])) / TICKS


def _waited_seconds(pid):
    with open("/proc/%d/schedstat" % pid) as stat:
        return int(stat.read().split()[1]) / 1e9


def _fps_lines(path):
    try:
        with open(path) as dump:
            return [float(line) for line in dump if line.strip()]
    except OSError:
        return []


def _one_run(quillmere, data, folder, env, screen, xvfb_pid, warmup, window, count_frames):
    work = first_frame.scratch_copy(data, folder)
    hud = os.path.join(work, "hud")
    os.mkdir(hud)
    if count_frames:
        env = dict(env, GALLIUM_HUD="fps", GALLIUM_HUD_DUMP_DIR=hud, GALLIUM_HUD_PERIOD="1")
    program = subprocess.Popen([os.path.abspath(quillmere)], cwd=work, env=env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        # The first frame that shows the model (the console cannot tell: a build that does not
        # flush it is measured too).
        if first_frame.first_lit(program, env, screen, time.monotonic(), 120, poll=0.05) is None:
            raise RuntimeError("quillmere ended or did not show its model within two minutes")
        time.sleep(warmup)
        seen = len(_fps_lines(os.path.join(hud, "fps")))
        before = (time.monotonic(), _cpu_seconds(program.pid), _cpu_seconds(xvfb_pid),
                  _waited_seconds(program.pid))
        time.sleep(window)
        after = (time.monotonic(), _cpu_seconds(program.pid), _cpu_seconds(xvfb_pid),
                 _waited_seconds(program.pid))
        rates = _fps_lines(os.path.join(hud, "fps"))[seen:]
    finally:
        program.kill()
        program.wait()
        shutil.rmtree(work, ignore_errors=True)
    elapsed = after[0] - before[0]
    shares = tuple(100.0 * (after[i] - before[i]) / elapsed for i in (1, 2, 3))
    fps = statistics.mean(rates) if rates else float("nan")
    return shares + (fps,)


def at_full_rate(share, fps):
    """A share of one core scaled to 60 frames per second (never scaled down)."""
    return share * max(1.0, FULL_RATE / fps) if fps == fps and fps > 0 else float("nan")


def measure(quillmere, data, runs=3, warmup=3.0, window=10.0):
    """Median share of one core (per cent) over runs; every run's (program, Xvfb, waited) shares
    of the window; and the frame-counting run's (program, Xvfb, waited, fps)."""
    with first_frame.session("quillmere-idle-cpu-") as (folder, env, screen, xvfb):
        shares = [_one_run(quillmere, data, folder, env, screen, xvfb.pid, warmup, window,
                           False)[:3] for _ in range(runs)]
        counted = _one_run(quillmere, data, folder, env, screen, xvfb.pid, warmup, window, True)
    return statistics.median(s[0] for s in shares), shares, counted


if __name__ == "__main__":
    import sys

    programs = sys.argv[1:-1]
    data = sys.argv[-1]
    # Several programs are measured in turn, so that they share the machine's load.
    for program in programs:
        median, shares, counted = measure(program, data)
        print("%s: median %.1f %% of one core, %.1f %% at 60 frames/s; runs (program %%, "
              "Xvfb %%, waited %%): %s; counting run (program %%, Xvfb %%, waited %%, fps): %s" % (
                  program, median, at_full_rate(median, counted[3]),
                  ", ".join("(%.1f, %.1f, %.1f)" % s for s in shares),
                  "(%.1f, %.1f, %.1f, %.1f)" % counted))
