#!/usr/bin/env python3
"""A grain dragged from pad 1 to pad 3 in `pandrel edit`, on a private Xvfb
display, with xdotool; the project saved through the page's dialog holds it
on pad 3 at the same time.

  PadEditorDragCheck.py PANDREL SCRATCH

Every process started here is ended on exit; a failure is one line and exit
status 1.
"""
import json
import os
import shutil
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "jack"))
import EditCheck as edit  # noqa: E402  the display, the editor window and the clicks

BEAT = 62914560
GRAIN_LEFT, GRAIN_TOP, ROW = 137, 361, 10  # the Pad Editor at its first zoom
PIXELS_PER_BEAT = 54


def fail(why):
    print("PadEditorDragCheck: " + why, file=sys.stderr)
    sys.exit(1)


def info(pandrel, path):
    r = subprocess.run([pandrel, "info", path, "--json"], capture_output=True, text=True,
                       timeout=20)
    if r.returncode != 0:
        fail("pandrel info cannot read %s: %s" % (path, r.stderr.strip()))
    return json.loads(r.stdout)


def xdotool(env, *args):
    subprocess.run(["xdotool"] + [str(a) for a in args], env=env, check=True, timeout=10)


def check(pandrel, scratch, env):
    project = edit.make_project(pandrel, scratch)
    before = info(pandrel, project)["pads"]
    start = 2 * BEAT
    if not any(g["startTicks"] == start for g in before[0]["grains"]):
        fail("the demo project has no grain at beat 3 of pad 1")
    env["JACK_DEFAULT_SERVER"] = "pandrel-no-server-%d" % os.getpid()
    edit.open_editor(pandrel, project, env, scratch)
    time.sleep(0.5)

    # Pressed inside the grain, moved down two rows in small steps, released.
    x = GRAIN_LEFT + 2 * PIXELS_PER_BEAT + 4
    y = GRAIN_TOP + ROW // 2
    xdotool(env, "mousemove", x, y)
    xdotool(env, "mousedown", 1)
    for dy in range(2, 2 * ROW + 1, 2):
        xdotool(env, "mousemove", x, y + dy)
        time.sleep(0.02)
    xdotool(env, "mouseup", 1)
    time.sleep(0.3)

    edit.click(env, edit.SAVE)
    time.sleep(0.5)
    xdotool(env, "mousemove", 300, 250, "type", "--delay", "10", "moved")
    edit.click(env, edit.SAVE_OK)
    saved = os.path.join(scratch, "moved.pnd")
    if not edit.wait_until(5, lambda: os.path.exists(saved)):
        fail("the page's save dialog wrote no moved.pnd")
    time.sleep(0.3)
    after = info(pandrel, saved)["pads"]
    on1 = [g["startTicks"] for g in after[0]["grains"]]
    on3 = [g["startTicks"] for g in after[2]["grains"]]
    if len(on1) != len(before[0]["grains"]) - 1 or start in on1:
        fail("pad 1 still holds the dragged grain: %s" % on1)
    if len(on3) != len(before[2]["grains"]) + 1 or start not in on3:
        fail("pad 3 does not hold the dragged grain at beat 3: %s" % on3)
    print("pad editor: a grain dragged from pad 1 to pad 3 is saved on pad 3 at its time")


def main():
    if len(sys.argv) != 3:
        fail("usage: PadEditorDragCheck.py PANDREL SCRATCH")
    pandrel, scratch = os.path.abspath(sys.argv[1]), sys.argv[2]
    shutil.rmtree(scratch, ignore_errors=True)
    os.makedirs(scratch)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    try:
        env = dict(os.environ, DISPLAY=edit.start_display(), PANDREL_UI_SCALE="1",
                   JACK_NO_START_SERVER="1")
        check(pandrel, scratch, env)
    finally:
        edit.end_all()
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    main()
