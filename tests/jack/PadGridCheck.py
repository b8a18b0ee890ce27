#!/usr/bin/env python3
"""The pad grid and the Pad Settings in `pandrel edit`, on a private Xvfb
display and a private dummy JACK server, with the demo project.

  PadGridCheck.py PANDREL SCRATCH PROBE

Pad 2 (the kick, key 37) is pressed with xdotool: its image lights while it
is held and PROBE hears it in the mix. Its mute button silences key 37 and a
second press brings it back. Key Low and Key Unity typed as C9 (Key High
follows Key Low up) move the kick from key 37 to key 108. Every process
started here is ended on exit; a failure is one line and exit status 1.
"""
import os
import shutil
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import EditCheck as ec  # noqa: E402  the display, screen, editor and JACK helpers

KICK = 37
PAD_IMAGE = (227 + 4, 5 + 4, 44 - 8, 38 - 8)  # pad 2's image inside its frame
MUTE = (227 + 19, 43 + 1, 16, 15)  # pad 2's mute button
KEY_LOW = (554, 138, 34, 12)
KEY_UNITY = (554, 121, 34, 12)
WINDOW = 0.05  # seconds of each peak the probe prints
SILENT, SOUNDS = 0.001, 0.05


def xdotool(env, *args):
    subprocess.run(["xdotool"] + [str(a) for a in args], env=env, check=True, timeout=10)


def listen(env, probe, client, seconds, notes=(), during=None):
    """The mix's peaks per 50 ms over seconds, while the probe strikes notes
    (key, time) and during(t0) runs with t0 the time the recording started."""
    p = ec.start([probe, client, str(seconds)] + ["%d@%g" % n for n in notes], env=env,
                 stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    if p.stdout.readline().strip() != "armed":
        ec.fail("the probe did not start: " + p.stderr.read().strip())
    t0 = time.monotonic()
    if during is not None:
        during(t0)
    out, err = p.communicate(timeout=seconds + 20)
    if p.returncode != 0:
        ec.fail(err.strip() or "the probe failed")
    return [float(v) for v in out.split()]


def peak(peaks, start, end):
    return max(peaks[int(start / WINDOW):int(end / WINDOW)] or [0.0])


def type_into(env, rect, text):
    """Clicks the edit, empties it, types text and presses Return."""
    x, y, w, h = rect
    xdotool(env, "mousemove", x + w // 2, y + h // 2, "click", 1)
    time.sleep(0.2)
    xdotool(env, "key", "End", *(["BackSpace"] * 8))
    xdotool(env, "type", "--delay", 20, text)
    xdotool(env, "key", "Return")
    time.sleep(0.4)


def check(pandrel, scratch, env, probe):
    project = ec.make_project(pandrel, scratch)
    env["JACK_DEFAULT_SERVER"] = ec.start_jack(scratch)
    editor, log = ec.open_editor(pandrel, project, env, scratch)
    if not ec.wait_until(5, lambda: "playing through JACK as" in open(log.name).read()):
        ec.fail("pandrel edit does not play through JACK: " + open(log.name).read().strip())
    client = open(log.name).read().split("playing through JACK as ")[1].split(" ")[0]
    time.sleep(0.5)

    # Pressed for 0.8 s from 0.5 s: lit while held, heard from the press.
    unlit = ec.area(ec.screen(env), PAD_IMAGE)
    lit = []

    def press(t0):
        x, y, w, h = PAD_IMAGE
        time.sleep(max(0.0, t0 + 0.5 - time.monotonic()))
        xdotool(env, "mousemove", x + w // 2, y + h // 2, "mousedown", 1)
        lit.append(ec.settled(env, PAD_IMAGE, lambda now: now != unlit, seconds=0.7))
        time.sleep(max(0.0, t0 + 1.3 - time.monotonic()))
        xdotool(env, "mouseup", 1)
    peaks = listen(env, probe, client, 2.5, during=press)
    if not lit[0]:
        ec.fail("pad 2's image does not light while it is pressed")
    if peak(peaks, 0.0, 0.45) > SILENT or peak(peaks, 0.5, 1.3) < SOUNDS:
        ec.fail("pressing pad 2 is not heard in the mix: %s" % peaks)
    print("pad 2 pressed: lit, peak %.3f while held" % peak(peaks, 0.5, 1.3))

    # Muted: key 37 is silent; unmuted it sounds again.
    ec.click(env, MUTE)
    time.sleep(0.4)
    peaks = listen(env, probe, client, 1.5, [(KICK, 0.5)])
    if peak(peaks, 0.0, 1.5) > SILENT:
        ec.fail("key 37 sounds with pad 2 muted: %s" % peaks)
    ec.click(env, MUTE)
    time.sleep(0.4)
    peaks = listen(env, probe, client, 1.5, [(KICK, 0.5)])
    if peak(peaks, 0.5, 0.8) < SOUNDS:
        ec.fail("key 37 stays silent after pad 2 is unmuted: %s" % peaks)
    print("pad 2 muted: key 37 silent; unmuted: peak %.3f" % peak(peaks, 0.5, 0.8))

    # Key Low C9 above Key High takes Key High with it; the unity key follows.
    type_into(env, KEY_LOW, "C9")
    type_into(env, KEY_UNITY, "C9")
    peaks = listen(env, probe, client, 2.5, [(KICK, 0.5), (108, 1.5)])
    if peak(peaks, 0.5, 1.4) > SILENT:
        ec.fail("key 37 still sounds after pad 2's range moved to C9: %s" % peaks)
    if peak(peaks, 1.5, 1.8) < SOUNDS:
        ec.fail("key 108 (C9) does not sound pad 2: %s" % peaks)
    print("pad 2's key range typed as C9: key 37 silent, key 108 peak %.3f" %
          peak(peaks, 1.5, 1.8))
    editor.terminate()
    editor.wait(5)


def main():
    if len(sys.argv) != 4:
        ec.fail("usage: PadGridCheck.py PANDREL SCRATCH PROBE")
    pandrel, scratch = os.path.abspath(sys.argv[1]), sys.argv[2]
    shutil.rmtree(scratch, ignore_errors=True)
    os.makedirs(scratch)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    try:
        env = dict(os.environ, DISPLAY=ec.start_display(), PANDREL_UI_SCALE="1",
                   JACK_NO_START_SERVER="1")
        check(pandrel, scratch, env, os.path.abspath(sys.argv[3]))
    finally:
        ec.end_all()
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    main()
