#!/usr/bin/env python3
"""`pandrel edit` as a user runs it, in a window on a private Xvfb display.

  EditCheck.py window PANDREL SCRATCH
      without a JACK server: says once that it edits without sound; a pad
      button, a pad, play and stop pressed with xdotool change what the
      screen shows; the project cleared (Yes) and saved through the page's
      dialog is empty on disk.
  EditCheck.py jack PANDREL SCRATCH PROBE
      on a private dummy JACK server: the edit window's client has its ports,
      and PROBE strikes a note on its MIDI input and records its mix.

Every process started here is ended on exit; a failure is one line and exit
status 1.
"""
import json
import os
import shutil
import signal
import struct
import subprocess
import sys
import time

PAD_CELL = lambda pad: (138 + 89 * (pad % 4), 43 + 57 * (pad // 4))  # a pad cell's origin
PLAY = (71, 27, 20, 19)
STOP = (92, 27, 20, 19)
SAVE = (31, 29, 15, 14)
CLEAR = (50, 27, 20, 19)
CLEAR_YES = (311, 228, 62, 20)  # in the question's box
SAVE_OK = (360, 365, 66, 20)  # in the save dialog
LOOP_BIN = (14, 68, 106, 150)
started = []  # processes to end, last first


def fail(why):
    print("EditCheck: " + why, file=sys.stderr)
    sys.exit(1)


def wait_until(seconds, done):
    until = time.monotonic() + seconds
    while time.monotonic() < until:
        if done():
            return True
        time.sleep(0.05)
    return False


def start(args, **kw):
    p = subprocess.Popen(args, **kw)
    started.append(p)
    return p


def end_all():
    for p in reversed(started):
        if p.poll() is None:
            p.terminate()
            try:
                p.wait(3)
            except subprocess.TimeoutExpired:
                p.kill()
                p.wait()


def start_display():
    """A private Xvfb on a display number the server picks itself (-displayfd),
    so tests that run at the same time never share or kill each other's
    display; returns its name. -noreset: by default the server resets when
    its last client leaves, and a client connecting meanwhile (jalv while the
    checks' xdotool calls come and go) is refused."""
    r, w = os.pipe()
    p = start(["Xvfb", "-displayfd", str(w), "-screen", "0", "800x600x24", "-nolisten", "tcp",
               "-noreset"],
              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, pass_fds=(w,))
    os.close(w)
    os.set_blocking(r, False)
    number = b""
    def ready():
        nonlocal number
        try:
            number += os.read(r, 16)
        except BlockingIOError:
            pass
        return b"\n" in number or p.poll() is not None
    wait_until(10, ready)
    os.close(r)
    if p.poll() is not None or b"\n" not in number:
        fail("no Xvfb display would start")
    return ":" + number.decode().strip()


def screen(env):
    """The root window's pixels: a function (x, y) -> (r, g, b)."""
    data = subprocess.run(["xwd", "-root", "-silent"], env=env, check=True, capture_output=True,
                          timeout=10).stdout
    f = struct.unpack(">25I", data[:100])
    header, order, bpp, bpl, ncolors = f[0], f[7], f[11], f[12], f[19]
    if bpp != 32:
        fail("xwd gave %d bits per pixel" % bpp)
    start_at, fmt = header + 12 * ncolors, "<I" if order == 0 else ">I"
    masks = f[14:17]

    def pixel(x, y):
        v = struct.unpack_from(fmt, data, start_at + y * bpl + 4 * x)[0]
        return tuple((v & m) >> ((m & -m).bit_length() - 1) for m in masks)
    return pixel


def area(pixel, rect):
    x, y, w, h = rect
    return [pixel(i, j) for j in range(y, y + h) for i in range(x, x + w)]


def click(env, rect):
    x, y, w, h = rect
    subprocess.run(["xdotool", "mousemove", str(x + w // 2), str(y + h // 2), "click", "1"],
                   env=env, check=True, timeout=5)


def settled(env, rect, differs_from, seconds=3):
    """Waits for the screen's rect to differ from (or, with a list of one
    element, to equal) what it was; the page repaints within a timer tick."""
    got = []
    ok = wait_until(seconds, lambda: got.append(area(screen(env), rect)) or differs_from(got[-1]))
    return ok


def open_editor(pandrel, project, env, cwd):
    log = open(os.path.join(cwd, "edit.log"), "w+")
    p = start([pandrel, "edit", project], env=env, cwd=cwd, stdout=log, stderr=subprocess.STDOUT)
    found = []

    def window():
        if p.poll() is not None:
            return True
        r = subprocess.run(["xdotool", "search", "--name", "^Pandrel$"], env=env,
                           capture_output=True, text=True, timeout=5)
        found.extend(r.stdout.split())
        return bool(found)
    if not wait_until(10, window) or p.poll() is not None:
        log.seek(0)
        fail("pandrel edit shows no window: " + log.read().strip())
    return p, log


def make_project(pandrel, scratch):
    r = subprocess.run([pandrel, "demo", "-o", "demo.wav"], cwd=scratch, capture_output=True,
                       text=True, timeout=60)
    if r.returncode != 0:
        fail("pandrel demo failed: " + r.stderr.strip())
    return os.path.join(scratch, "demo.pnd")


def check_window(pandrel, scratch, env):
    project = make_project(pandrel, scratch)
    env["JACK_DEFAULT_SERVER"] = "pandrel-no-server-%d" % os.getpid()
    editor, log = open_editor(pandrel, project, env, scratch)
    wait_until(2, lambda: "without sound" in open(log.name).read())
    said = open(log.name).read()
    if said.count("edited without sound") != 1:
        fail("pandrel edit should say once that it edits without sound; it said: " + said)

    # Pad 2's mute button lights; pressing pad 3 makes it current (its frame lights).
    ox, oy = PAD_CELL(1)
    mute = (ox + 19, oy + 1, 16, 15)
    before = area(screen(env), mute)
    click(env, mute)
    if not settled(env, mute, lambda now: now != before):
        fail("pad 2's mute button does not light when pressed")
    frame = (137 + 89 * 2, 4, 90, 4)  # the top of pad 3's frame
    before = area(screen(env), frame)
    ox, oy = PAD_CELL(2)
    click(env, (ox, oy - 38, 44, 38))
    if not settled(env, frame, lambda now: now != before):
        fail("pressing pad 3 does not make it current")
    # Play lights its button, stop puts it out again.
    play_off = area(screen(env), PLAY)
    click(env, PLAY)
    if not settled(env, PLAY, lambda now: now != play_off):
        fail("the play button does not light when pressed")
    click(env, STOP)
    if not settled(env, PLAY, lambda now: now == play_off):
        fail("the stop button does not put the play button out")

    # Cleared (Yes): the Loop Bin's list empties; then saved through the page's
    # dialog (its name field, then its Save button).
    before = area(screen(env), LOOP_BIN)
    click(env, CLEAR)
    time.sleep(0.5)
    click(env, CLEAR_YES)
    if not settled(env, LOOP_BIN, lambda now: now != before):
        fail("clearing the project leaves the Loop Bin's list as it was")
    click(env, SAVE)
    time.sleep(0.5)
    subprocess.run(["xdotool", "mousemove", "300", "250", "type", "--delay", "10", "saved"],
                   env=env, check=True, timeout=10)
    click(env, SAVE_OK)
    saved = os.path.join(scratch, "saved.pnd")
    if not wait_until(5, lambda: os.path.exists(saved)):
        fail("the page's save dialog wrote no saved.pnd")
    time.sleep(0.3)
    info = subprocess.run([pandrel, "info", saved, "--json"], capture_output=True, text=True,
                          timeout=20)
    if info.returncode != 0:
        fail("pandrel info cannot read the saved project: " + info.stderr.strip())
    project = json.loads(info.stdout)
    grains = sum(len(p["grains"]) for p in project["pads"])
    if project["loopBin"] or grains:
        fail("the saved project is not empty: %d Loop Bin files, %d grains" %
             (len(project["loopBin"]), grains))
    print("window: a pad button, a pad, play and stop drawn as pressed; the project cleared "
          "and saved through the page is empty")


def start_jack(scratch):
    """A dummy JACK server of a name this user's other runs do not hold;
    JACK frees a slot of its server table only when a server of the same
    name starts again, so the names are few and reused."""
    os.environ.update(JACK_NO_START_SERVER="1", JACK_NO_AUDIO_RESERVATION="1")
    for k in range(4):
        name = "pandrel-edit-%d-%d" % (os.getuid(), k)
        check = subprocess.run(["timeout", "2", "jack_wait", "--check", "--server", name],
                               capture_output=True, text=True)
        if check.stdout.strip() == "running":
            continue
        p = start(["jackd", "--no-realtime", "--name", name, "-d", "dummy", "-r", "48000", "-p",
                   "256"], stdout=open(os.path.join(scratch, "jackd.log"), "w"),
                  stderr=subprocess.STDOUT)

        def up():
            r = subprocess.run(["timeout", "2", "jack_wait", "--check", "--server", name],
                               capture_output=True, text=True)
            return p.poll() is not None or r.stdout.strip() == "running"
        if wait_until(5, up) and p.poll() is None:
            time.sleep(0.3)
            if p.poll() is None:
                return name
        started.remove(p)
        if p.poll() is None:
            p.terminate()
            p.wait(5)
    fail("no JACK server would start")


def check_jack(pandrel, scratch, env, probe):
    project = make_project(pandrel, scratch)
    env["JACK_DEFAULT_SERVER"] = start_jack(scratch)
    editor, log = open_editor(pandrel, project, env, scratch)
    if not wait_until(5, lambda: "playing through JACK as" in open(log.name).read()):
        fail("pandrel edit does not play through JACK: " + open(log.name).read().strip())
    said = open(log.name).read()
    client = said.split("playing through JACK as ")[1].split(" ")[0]
    ports = subprocess.run(["jack_lsp"], env=env, capture_output=True, text=True, timeout=10)
    names = set(ports.stdout.split())
    want = {client + ":midi_in"} | {"%s:%s_%s" % (client, o, s) for s in "LR"
                                    for o in ["mix"] + ["chan%d" % n for n in range(1, 17)]}
    if not want <= names:
        fail("missing ports: " + " ".join(sorted(want - names)))
    r = subprocess.run([probe, client], env=env, capture_output=True, text=True, timeout=20)
    print(r.stdout.strip())
    if r.returncode != 0:
        fail(r.stderr.strip() or "the probe failed")
    # Closing the window: the editor ends and leaves the server running.
    editor.terminate()
    editor.wait(5)
    print("jack: %s has its 35 ports; a note on midi_in sounds in the mix" % client)


def main():
    if len(sys.argv) < 4 or sys.argv[1] not in ("window", "jack"):
        fail("usage: EditCheck.py window|jack PANDREL SCRATCH [PROBE]")
    mode, pandrel, scratch = sys.argv[1], os.path.abspath(sys.argv[2]), sys.argv[3]
    shutil.rmtree(scratch, ignore_errors=True)
    os.makedirs(scratch)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    try:
        env = dict(os.environ, DISPLAY=start_display(), PANDREL_UI_SCALE="1",
                   JACK_NO_START_SERVER="1")
        if mode == "window":
            check_window(pandrel, scratch, env)
        else:
            check_jack(pandrel, scratch, env, os.path.abspath(sys.argv[4]))
    finally:
        end_all()
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    main()
