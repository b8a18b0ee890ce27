#!/usr/bin/env python3
"""The plug-in's editor page in Ardour 7's own window, on a private Xvfb
display and a private dummy JACK server.

  ArdourUiCheck.py SESSION_FILE LV2_PATH SCRATCH

Ardour opens SESSION_FILE (a MIDI track named "Pandrel" holding the plug-in,
as session.lua makes it) on the JACK server. The mixer is shown, the plug-in's
entry in the track's strip double-clicked, and pad 2 (the kick) pressed with
xdotool: the screen shows it lit while held, and jack_rec records it from the
track's outputs. The entry is double-clicked again to close the window, the
page must go, and the whole is done once more. Every process started here is
ended on exit; a failure is one line and exit status 1.
"""
import os
import re
import shutil
import signal
import subprocess
import sys
import time
import wave

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(here, "..", "jack"))
sys.path.insert(0, os.path.join(here, "..", "lv2"))
import EditCheck as ec  # noqa: E402  processes, waits, the JACK server
import JalvUiCheck as ui  # noqa: E402  the screen's pixels, the page's window

SCREEN = (1600, 1000)
PLUGIN_AT = (700, 380)  # where the plug-in's window is put, clear of the mixer strip
TRACK = "Pandrel"
TRIES = 5

# Ardour's settings for a first start without questions: the user has been
# here before, and the engine starts by itself on JACK (the server named by
# JACK_DEFAULT_SERVER).
CONFIG = """<?xml version="1.0" encoding="UTF-8"?>
<Ardour>
  <Config>
    <Option name="try-autostart-engine" value="1"/>
  </Config>
  <Extra>
    <AudioMIDISetup>
      <EngineStates>
        <State backend="JACK" driver="" device="" input-device="" output-device=""
               sample-rate="48000" buffer-size="1024" n-periods="2" input-latency="0"
               output-latency="0" lm-input="" lm-output="" active="1" use-buffered-io="0"
               midi-option="" lru="1">
          <MIDIDevices/>
        </State>
      </EngineStates>
    </AudioMIDISetup>
  </Extra>
</Ardour>
"""


def fail(env, scratch, why):
    """Fails, keeping the screen as it was in SCRATCH/failure.png."""
    shot = os.path.join(scratch, "failure.png")
    try:
        xwd = subprocess.run(["xwd", "-root", "-silent"], env=env, capture_output=True,
                             timeout=10).stdout
        subprocess.run(["convert", "xwd:-", shot], input=xwd, capture_output=True, timeout=20)
    except (OSError, subprocess.SubprocessError):
        pass
    ec.fail(why + (" (the screen: %s)" % shot if os.path.exists(shot) else ""))


def start_display():
    """A private Xvfb of SCREEN's size (Ardour's main window alone is 1348 x
    713) on a display number the server picks itself; returns its name."""
    r, w = os.pipe()
    p = ec.start(["Xvfb", "-displayfd", str(w), "-screen", "0", "%dx%dx24" % SCREEN,
                  "-nolisten", "tcp", "-noreset"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                 pass_fds=(w,))
    os.close(w)
    number = b""

    def ready():
        nonlocal number
        number += os.read(r, 16) if p.poll() is None else b""
        return b"\n" in number or p.poll() is not None
    ec.wait_until(10, ready)
    os.close(r)
    if p.poll() is not None or b"\n" not in number:
        ec.fail("no Xvfb display would start")
    return ":" + number.decode().strip()


def start_jack(scratch, attempt):
    """A dummy JACK server of a name this user's other runs do not hold, with
    a long client timeout (Ardour loads the plug-in and session on a machine
    that may be busy)."""
    for k in range(4):
        name = "pandrel-ardour-%d-%d" % (os.getuid(), k)
        running = lambda: subprocess.run(
            ["timeout", "2", "jack_wait", "--check", "--server", name], capture_output=True,
            text=True).stdout.strip() == "running"
        if running():
            continue
        log = open(os.path.join(scratch, "jackd%d.log" % attempt), "w")
        p = ec.start(["jackd", "--no-realtime", "--name", name, "-t", "10000", "-d", "dummy",
                      "-r", "48000", "-p", "1024"], stdout=log, stderr=subprocess.STDOUT)
        if ec.wait_until(5, lambda: p.poll() is not None or running()) and p.poll() is None:
            return name, p
        ec.started.remove(p)
        if p.poll() is None:
            p.terminate()
            p.wait(5)
    ec.fail("no JACK server would start")


def windows(env, name, visible=True):
    r = subprocess.run(["xdotool", "search"] + (["--onlyvisible"] if visible else []) +
                       ["--name", name], env=env, capture_output=True, text=True, timeout=5)
    return [int(w) for w in r.stdout.split()]


def xdotool(env, *args):
    subprocess.run(["xdotool"] + [str(a) for a in args], env=env, check=True, timeout=5)


def processor_entry(env):
    """The middle of the plug-in's entry in the mixer strip: the widest row of
    the processor box's dark red on the left of the screen."""
    rect = (0, 80, 700, 300)
    pixels = ui.area(env, rect)
    best, at = 0, None
    for row in range(rect[3]):
        xs = [x for x in range(rect[2]) for r, g, b in (pixels[row * rect[2] + x],)
              if 70 <= r <= 160 and r > 1.8 * g and r > 1.8 * b and abs(g - b) < 12]
        if len(xs) > best:
            best, at = len(xs), (rect[0] + (xs[0] + xs[-1]) // 2, rect[1] + row)
    return at if best >= 40 else None


def recorded(path):
    """The recording's first frame above -40 dBFS, and its peak (0..1)."""
    with wave.open(path) as w:
        n, ch, width = w.getnframes(), w.getnchannels(), w.getsampwidth()
        raw = w.readframes(n)
    if width != 2:
        ec.fail("jack_rec wrote %d-byte samples" % width)
    values = memoryview(raw).cast("h")
    onset = next((i // ch for i, v in enumerate(values) if abs(v) > 327), None)
    return onset, max((abs(v) for v in values), default=0) / 32768.0, n


def press_pad(n, env, scratch):
    page = ui.page_window(env)
    if page is None:
        fail(env, scratch, "Ardour shows no editor page (%d)" % n)
    _, x, y, w, h = page
    if (w, h) != (600, 553):
        fail(env, scratch, "the page's window is %d x %d, not 600 x 553" % (w, h))
    px, py, pw, ph = ui.PAD_IMAGE
    inside = (x + px + ui.INSET, y + py + ui.INSET, pw - 2 * ui.INSET, ph - 2 * ui.INSET)
    if not ui.settled(env, inside, lambda now: len(set(now)) > 1):
        fail(env, scratch, "the page shows no pad")
    dark = ui.brightness(ui.area(env, inside))

    wav = os.path.join(scratch, "pad%d.wav" % n)
    rec = ec.start(["jack_rec", "-f", wav, "-d", "3", "-b", "16", "ardour:%s/audio_out 1" % TRACK,
                    "ardour:%s/audio_out 2" % TRACK], env=env, stdout=subprocess.PIPE,
                   stderr=subprocess.STDOUT, text=True)
    time.sleep(0.8)
    if rec.poll() is not None:
        fail(env, scratch, "jack_rec does not record: " + rec.stdout.read().strip())
    xdotool(env, "mousemove", x + px + pw // 2, y + py + ph // 2, "mousedown", 1)
    lit = ui.settled(env, inside, lambda now: ui.brightness(now) > dark + 60)
    xdotool(env, "mouseup", 1, "mousemove", SCREEN[0] - 10, SCREEN[1] - 10)
    try:
        rec.communicate(timeout=20)
    except subprocess.TimeoutExpired:
        fail(env, scratch, "jack_rec did not finish")
    onset, peak, frames = recorded(wav)
    print("Ardour %d: recorded %d frames from %s; first sound at frame %s, peak %.4f" %
          (n, frames, TRACK, onset, peak))
    if not lit:
        fail(env, scratch, "pad 2 does not light while pressed")
    if onset is None or peak < 0.05:
        fail(env, scratch, "pad 2 pressed is not heard in the track's output")
    if onset < 48000 * 3 // 10:
        fail(env, scratch, "the track sounds before pad 2 is pressed")
    if not ui.settled(env, inside, lambda now: ui.brightness(now) < dark + 10):
        fail(env, scratch, "pad 2 stays lit after its release")


def stop(p):
    ui.end(p)
    ec.started.remove(p)


def open_session(session, env, scratch, attempt):
    """Starts a JACK server and Ardour on it with SESSION; returns Ardour's
    log's path, Ardour and the server once the session's window is up and the
    track's ports exist. Ardour 7.3 on jackd 1.9.21 sometimes garbles its
    requests to the server while it starts (the server logs "CheckSize error"
    and "Unknown request" with pieces of the pretty-name property's key, then
    closes the connection and Ardour says "JACK HALTED"): that is reported,
    both are ended and (None, None, None) returned, for another attempt."""
    env["JACK_DEFAULT_SERVER"], jack = start_jack(scratch, attempt)
    jack_log = os.path.join(scratch, "jackd%d.log" % attempt)
    log = os.path.join(scratch, "ardour%d.log" % attempt)
    said = lambda: open(log, errors="replace").read()
    # -P: no port connections at startup; the test records the track's own outputs.
    ardour = ec.start(["ardour", "-n", "-a", "-P", session], env=env, stdout=open(log, "w"),
                      stderr=subprocess.STDOUT)
    name = os.path.splitext(os.path.basename(session))[0]
    ports = lambda: "ardour:%s/audio_out 1" % TRACK in subprocess.run(
        ["jack_lsp"], env=env, capture_output=True, text=True, timeout=5).stdout
    halted = lambda: "JACK HALTED" in said()
    up = ec.wait_until(40, lambda: ardour.poll() is not None or halted() or (
        windows(env, "^%s - Ardour$" % name) and ports()))
    # The connection is lost, when it is, within moments of the window showing.
    time.sleep(2)
    if up and ardour.poll() is None and not halted():
        return log, ardour, jack
    if not halted():
        fail(env, scratch, "Ardour shows no session on JACK: " +
             "; ".join(said().splitlines()[-5:]))
    garbled = [l for l in open(jack_log, errors="replace").read().splitlines()
               if "CheckSize error" in l or "Unknown request" in l]
    print("Ardour attempt %d: JACK HALTED; the server said: %s" %
          (attempt, "; ".join(garbled[:6]) + (" ..." if len(garbled) > 6 else "")))
    stop(ardour)
    stop(jack)
    return None, None, None


def main():
    sys.stdout.reconfigure(line_buffering=True)
    if len(sys.argv) != 4:
        ec.fail("usage: ArdourUiCheck.py SESSION_FILE LV2_PATH SCRATCH")
    session, lv2_path, scratch = os.path.abspath(sys.argv[1]), sys.argv[2], \
        os.path.abspath(sys.argv[3])
    shutil.rmtree(scratch, ignore_errors=True)
    os.makedirs(scratch)
    home = os.path.join(scratch, "home")
    os.makedirs(os.path.join(home, ".config", "ardour7"))
    open(os.path.join(home, ".config", "ardour7", ".a7"), "w").close()
    with open(os.path.join(home, ".config", "ardour7", "config"), "w") as f:
        f.write(CONFIG)
    # The session remembers the dummy backend it was made on; Ardour asks
    # about a changed device unless the hint is gone.
    text = open(session).read()
    open(session, "w").write(re.sub(r"\s*<EngineHints [^>]*/>", "", text))
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    try:
        env = dict(os.environ, HOME=home, LV2_PATH=lv2_path, DISPLAY=start_display(),
                   PANDREL_UI_SCALE="1", PANDREL_LV2_UI_DEBUG="1")
        env.update(JACK_NO_START_SERVER="1", JACK_NO_AUDIO_RESERVATION="1")
        os.environ.update(JACK_NO_START_SERVER="1", JACK_NO_AUDIO_RESERVATION="1")
        t0 = time.monotonic()
        for attempt in range(1, TRIES + 1):
            log, _, _ = open_session(session, env, scratch, attempt)
            if log is not None:
                break
        else:
            fail(env, scratch, "Ardour lost its JACK server while it started, %d times" % TRIES)
        said = lambda: open(log, errors="replace").read()
        print("Ardour opened the session in %.1f s (attempt %d)" % (time.monotonic() - t0,
                                                                   attempt))
        # The mixer (Alt+M goes to the window under the pointer: no window manager).
        xdotool(env, "mousemove", 600, 400, "key", "alt+m")
        found = []
        if not ec.wait_until(10, lambda: found.append(processor_entry(env)) or found[-1]):
            fail(env, scratch, "the mixer shows no plug-in entry in the track's strip")
        ex, ey = found[-1]
        for n in (1, 2):
            xdotool(env, "mousemove", ex, ey, "click", "--repeat", 2, "--delay", 80, 1)
            top = []
            if not ec.wait_until(10, lambda: top.extend(windows(env, "^%s: " % TRACK)) or top):
                fail(env, scratch, "double-clicking the plug-in's entry opens no window")
            xdotool(env, "windowmove", top[0], *PLUGIN_AT)
            press_pad(n, env, scratch)
            # Closed: Ardour hides its window and the page's own window goes.
            xdotool(env, "mousemove", ex, ey, "click", "--repeat", 2, "--delay", 80, 1)
            if not ec.wait_until(10, lambda: not windows(env, "^Pandrel$", False)
                                 and not windows(env, "^%s: " % TRACK)):
                fail(env, scratch, "the page stays after its window is closed")
            time.sleep(1)  # clear of GTK's double-click time before the next opening
        lines = said().splitlines()
        opened = sum(1 for l in lines if "UI: page drawn" in l)
        if opened != 2:
            ec.fail("the UI was made %d times for two openings" % opened)
        told = [l for l in lines if l.startswith("pandrel.lv2") and not any(
            w in l for w in ("UI: feature", "UI: option", "UI: host scale", "UI: page drawn"))]
        if told:
            ec.fail("the plug-in or its UI said: " + "; ".join(told))
        first = lines[:next(i for i, l in enumerate(lines) if "UI: page drawn" in l)]
        print("Ardour passed: " + "; ".join(
            l.split("feature ")[1] for l in first if "UI: feature" in l))
        print("Ardour options: " + "; ".join(
            l.split("option ")[1] for l in first if "UI: option" in l))
        print("Ardour opened the page twice; pad 2 pressed lit and sounded each time "
              "(%.1f s in all)" % (time.monotonic() - t0))
    finally:
        ec.end_all()


if __name__ == "__main__":
    main()
