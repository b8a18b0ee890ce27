#!/usr/bin/env python3
"""The pad grid and the Pad Settings of the plug-in's editor page in Debian's
jalv.gtk3, on a private Xvfb display and a private dummy JACK server, with
the demo project's state.

  JalvPadCheck.py PROBE LV2_DIR SCRATCH

Pad 2 (the kick, key 37) is pressed with xdotool: its image lights while it
is held and PROBE hears it in jalv's mix. Its mute button silences key 37
struck on jalv's MIDI input, and a second press brings it back. Key Low and
Key Unity typed as C9 into the page move the kick from key 37 to key 108:
Key Low's keys come through jalv's window, which has the focus as a window
manager gives it when the window is raised (the host sends them on to the
page as synthetic events); Key Unity's go straight to the page, which takes
the focus when clicked. Every process started here is ended on exit; a
failure is one line and exit status 1.
"""
import os
import shutil
import signal
import subprocess
import sys
import time

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, here)
import JalvUiCheck as ui  # noqa: E402  jalv's page window and the screen's pixels
import PadGridCheck as grid  # noqa: E402  the page's controls and the peaks' measures

ec = ui.ec


def xdotool(env, *args):
    subprocess.run(["xdotool"] + [str(a) for a in args], env=env, check=True, timeout=10)


def listen(env, probe, client, seconds, notes=(), during=None):
    """jalv's mix's peaks per 50 ms over seconds, while the probe strikes notes
    (key, time) on jalv's MIDI input and during(t0) runs with t0 the time the
    recording started."""
    p = ec.start([probe, "peaks", client, str(seconds)] + ["%d@%g" % n for n in notes], env=env,
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


KEY_HIGH = (554, 155, 34, 12)
LABEL = (502, 121, 40, 12)  # "Key Unity": a click there takes the focus off the edits


def type_into(env, rect, text, host=None):
    """Clicks the edit, empties it, types text and presses Return. With host
    (window, x, y), the host's window is given the focus after the click and
    the pointer moved to (x, y), off the page: the server then sends the keys
    to the host's window, not to the page under the pointer."""
    x, y, w, h = rect
    xdotool(env, "mousemove", x + w // 2, y + h // 2, "click", 1)
    time.sleep(0.2)
    if host is not None:
        xdotool(env, "windowfocus", "--sync", host[0], "mousemove", host[1], host[2])
    xdotool(env, "key", "End", *(["BackSpace"] * 8))
    xdotool(env, "type", "--delay", 20, text)
    xdotool(env, "key", "Return")
    time.sleep(0.4)


def host_window(env, page):
    tree = subprocess.run(["xwininfo", "-id", str(page), "-tree"], env=env, capture_output=True,
                          text=True, timeout=5).stdout
    return int(tree.split("Parent window id:")[1].split()[0], 16)


def check(probe, lv2dir, scratch, env):
    client = "pandrel-pads-%d" % os.getpid()
    log = open(os.path.join(scratch, "jalv.log"), "w+")
    jalv = ec.start(["jalv.gtk3", "-n", client, "-l", os.path.join(scratch, "state"),
                     "urn:pandrel:lv2"],
                    env=dict(env, LV2_PATH=lv2dir, PANDREL_LV2_UI_DEBUG="1"),
                    stdin=subprocess.PIPE, stdout=log, stderr=subprocess.STDOUT)
    said = lambda: open(log.name).read().strip()
    page = ui.page_window(env)
    if page is None or jalv.poll() is not None:
        ec.fail("jalv.gtk3 shows no editor page: " + said())
    page_id, ox, oy, pw, ph = page
    on_page = lambda r: (ox + r[0], oy + r[1], r[2], r[3])
    pad, mute = on_page(grid.PAD_IMAGE), on_page(grid.MUTE)
    if not ui.settled(env, pad, lambda now: len(set(now)) > 1):
        ec.fail("the page shows no pad")
    dark = ui.brightness(ui.area(env, pad))

    # Pressed for 0.8 s from 0.5 s: lit while held, heard from the press.
    lit = []

    def press(t0):
        x, y, w, h = pad
        time.sleep(max(0.0, t0 + 0.5 - time.monotonic()))
        xdotool(env, "mousemove", x + w // 2, y + h // 2, "mousedown", 1)
        lit.append(ui.settled(env, pad, lambda now: ui.brightness(now) > dark + 60, seconds=0.7))
        time.sleep(max(0.0, t0 + 1.3 - time.monotonic()))
        xdotool(env, "mouseup", 1)
    peaks = listen(env, probe, client, 2.5, during=press)
    if not lit[0]:
        ec.fail("pad 2's image does not light while it is pressed")
    if grid.peak(peaks, 0.0, 0.45) > grid.SILENT or grid.peak(peaks, 0.5, 1.3) < grid.SOUNDS:
        ec.fail("pressing pad 2 is not heard in jalv's mix: %s" % peaks)
    print("pad 2 pressed: lit, peak %.3f while held" % grid.peak(peaks, 0.5, 1.3))

    # Muted: key 37 is silent; unmuted it sounds again.
    ec.click(env, mute)
    time.sleep(0.4)
    peaks = listen(env, probe, client, 1.5, [(grid.KICK, 0.5)])
    if grid.peak(peaks, 0.0, 1.5) > grid.SILENT:
        ec.fail("key 37 sounds with pad 2 muted: %s" % peaks)
    ec.click(env, mute)
    time.sleep(0.4)
    peaks = listen(env, probe, client, 1.5, [(grid.KICK, 0.5)])
    if grid.peak(peaks, 0.5, 0.8) < grid.SOUNDS:
        ec.fail("key 37 stays silent after pad 2 is unmuted: %s" % peaks)
    print("pad 2 muted: key 37 silent; unmuted: peak %.3f" % grid.peak(peaks, 0.5, 0.8))

    # Key Low C9 above Key High takes Key High with it; the unity key follows.
    type_into(env, on_page(grid.KEY_LOW), "C9", host=(host_window(env, page_id), ox + pw + 20, oy + ph // 2))
    if ui.area(env, on_page(grid.KEY_UNITY)) == ui.area(env, on_page(KEY_HIGH)):
        ec.fail("Key High does not follow Key Low typed as C9 through jalv's window")
    type_into(env, on_page(grid.KEY_UNITY), "C9")
    ec.click(env, on_page(LABEL))
    if not ui.settled(env, on_page(grid.KEY_UNITY),
                      lambda now: now == ui.area(env, on_page(KEY_HIGH)), seconds=2):
        ec.fail("Key Unity typed as C9 does not show C9 as Key High does")
    peaks = listen(env, probe, client, 2.5, [(grid.KICK, 0.5), (108, 1.5)])
    if grid.peak(peaks, 0.5, 1.4) > grid.SILENT:
        ec.fail("key 37 still sounds after pad 2's range was typed as C9: %s" % peaks)
    if grid.peak(peaks, 1.5, 1.8) < grid.SOUNDS:
        ec.fail("key 108 (C9) does not sound pad 2: %s" % peaks)
    print("pad 2's key range typed as C9: key 37 silent, key 108 peak %.3f" %
          grid.peak(peaks, 1.5, 1.8))

    # Closing the window ends jalv; the UI must not have complained meanwhile.
    jalv.stdin.close()
    ui.end(jalv)
    told = [l for l in said().splitlines() if l.startswith("pandrel.lv2")
            and not any(w in l for w in ("UI: feature", "UI: option", "UI: host scale", "UI: page drawn"))]
    if told:
        ec.fail("the plug-in or its UI said: " + "; ".join(told))


def main():
    if len(sys.argv) != 4:
        ec.fail("usage: JalvPadCheck.py PROBE LV2_DIR SCRATCH")
    probe, lv2dir, scratch = (os.path.abspath(a) for a in sys.argv[1:])
    shutil.rmtree(scratch, ignore_errors=True)
    os.makedirs(scratch)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    try:
        r = subprocess.run([probe, "state", os.path.join(scratch, "state")], capture_output=True,
                           text=True, timeout=60)
        if r.returncode != 0:
            ec.fail(r.stderr.strip())
        env = dict(os.environ, DISPLAY=ec.start_display(), PANDREL_UI_SCALE="1")
        env["JACK_DEFAULT_SERVER"] = ec.start_jack(scratch)
        check(probe, lv2dir, scratch, env)
        print("jalv.gtk3: pad 2 lit and heard, muted and unmuted, moved to C9 by typing")
    finally:
        ec.end_all()
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    main()
