#!/usr/bin/python3
"""Files dragged from the desktop onto `pandrel edit`, on a private Xvfb
display with a private dummy JACK server.

  ShellDropCheck.py drop PANDREL SCRATCH PROBE
      a WAV file dragged by this script's own XDND source (text/uri-list)
      onto pad 1's cell: before it the pad's key is silent, after it the
      pad sounds in the mix PROBE records.
  ShellDropCheck.py dialog PANDREL SCRATCH PROBE
      pad 1's open toggle pressed, then the layer's file dialog worked with
      keys alone (a folder typed, an arrow into the files, Return): the file
      is loaded onto pad 1, which sounds.

Runs under the system's python3, which has python3-xlib. Every process
started here is ended on exit; a failure is one line and exit status 1.
"""
import math
import os
import shutil
import signal
import struct
import subprocess
import sys
import time
import urllib.parse
import wave

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "jack"))
import EditCheck as ec  # noqa: E402  the display, JACK and process helpers

from Xlib import X, Xatom, display  # noqa: E402
from Xlib.protocol import event  # noqa: E402

PAD1_IMAGE = (138 + 22, 43 - 19)  # the middle of pad 1's image cell
PAD1_KEY = 60
PAD1_OPEN = (138 + 2 + 7, 43 + 1 + 7)  # the middle of pad 1's open toggle


def fail(why):
    print("ShellDropCheck: " + why, file=sys.stderr)
    sys.exit(1)


def write_wave(path):
    """Half a second of a 220 Hz tone, mono, 16-bit, 44.1 kHz."""
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(44100)
        w.writeframes(b"".join(struct.pack("<h", int(12000 * math.sin(2 * math.pi * 220 * i
                                                                      / 44100)))
                               for i in range(22050)))


class DragSource:
    """The source side of XDND (version 5) for one text/uri-list drop."""

    def __init__(self, name):
        self.d = display.Display(name)
        self.root = self.d.screen().root
        self.win = self.root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
        self.atom = lambda n: self.d.intern_atom(n)

    def target_at(self, x, y):
        """The XdndAware window under the root point, top-level first, as
        file managers look for it; with its XdndProxy, the window to send to."""
        w, aware = self.root, self.atom("XdndAware")
        while True:
            if w != self.root and w.get_full_property(aware, Xatom.ATOM):
                break
            child = w.translate_coords(self.root, x, y).child
            if not child:
                return None, None
            w = child
        proxy = w.get_full_property(self.atom("XdndProxy"), Xatom.WINDOW)
        to = self.d.create_resource_object("window", proxy.value[0]) if proxy else w
        return w, to

    def send(self, to, target, kind, data):
        ev = event.ClientMessage(window=target, client_type=self.atom(kind),
                                 data=(32, (data + [0] * 5)[:5]))
        to.send_event(ev, event_mask=0)
        self.d.flush()

    def wait_for(self, kind, seconds, uris=None):
        until = time.monotonic() + seconds
        while time.monotonic() < until:
            while self.d.pending_events():
                e = self.d.next_event()
                if e.type == X.SelectionRequest and uris is not None:
                    self.answer(e, uris)
                elif e.type == X.ClientMessage and e.client_type == self.atom(kind):
                    return e
            time.sleep(0.02)
        return None

    def answer(self, e, uris):
        prop = e.property or e.target
        e.requestor.change_property(prop, e.target, 8, uris.encode())
        notify = event.SelectionNotify(time=e.time, requestor=e.requestor, selection=e.selection,
                                       target=e.target, property=prop)
        e.requestor.send_event(notify)
        self.d.flush()

    def drop(self, path, x, y):
        """Drags path to the root point (x, y); returns whether the target
        accepted the drop and reported it done."""
        uris = "file://" + urllib.parse.quote(path) + "\r\n"
        target, to = self.target_at(x, y)
        if target is None:
            fail("no XdndAware window under %d,%d" % (x, y))
        src, uri_list = self.win.id, self.atom("text/uri-list")
        self.win.set_selection_owner(self.atom("XdndSelection"), X.CurrentTime)
        self.send(to, target, "XdndEnter", [src, 5 << 24, uri_list])
        self.send(to, target, "XdndPosition", [src, 0, (x << 16) | y, X.CurrentTime,
                                               self.atom("XdndActionCopy")])
        status = self.wait_for("XdndStatus", 5)
        if status is None or not status.data[1][1] & 1:
            self.send(to, target, "XdndLeave", [src])
            return False
        self.send(to, target, "XdndDrop", [src, 0, X.CurrentTime])
        finished = self.wait_for("XdndFinished", 10, uris)
        return finished is not None and bool(finished.data[1][1] & 1)


def probe_key(probe, client, env):
    r = subprocess.run([probe, client, str(PAD1_KEY)], env=env, capture_output=True, text=True,
                       timeout=30)
    if r.returncode != 0:
        fail(r.stderr.strip() or "the probe failed")
    return r.stdout.strip()


def start_editor(pandrel, scratch, probe, env):
    env["JACK_DEFAULT_SERVER"] = ec.start_jack(scratch)
    editor, log = ec.open_editor(pandrel, "", env, scratch)  # an empty project
    if not ec.wait_until(5, lambda: "playing through JACK as" in open(log.name).read()):
        fail("pandrel edit does not play through JACK: " + open(log.name).read().strip())
    client = open(log.name).read().split("playing through JACK as ")[1].split(" ")[0]
    before = probe_key(probe, client, env)
    if not before.startswith("silent"):
        fail("pad 1 sounds before anything was loaded: " + before)
    geometry = subprocess.run(["xdotool", "search", "--name", "^Pandrel$", "getwindowgeometry"],
                              env=env, capture_output=True, text=True, timeout=5).stdout
    origin = tuple(int(v) for v in geometry.split("Position: ")[1].split()[0].split(","))
    return client, before, origin


def heard(probe, client, env, what):
    time.sleep(0.5)
    after = probe_key(probe, client, env)
    if not after.startswith("sounds"):
        fail("pad 1 is silent after %s: %s" % (what, after))
    return after


def check_drop(pandrel, scratch, probe, env):
    loop = os.path.join(scratch, "Tone Loop.wav")
    write_wave(loop)
    client, before, (px, py) = start_editor(pandrel, scratch, probe, env)
    source = DragSource(env["DISPLAY"])
    if not source.drop(loop, px + PAD1_IMAGE[0], py + PAD1_IMAGE[1]):
        fail("the page did not take the dropped file")
    after = heard(probe, client, env, "the drop")
    print("drop: %s dropped on pad 1 through XDND; before: %s; after: %s" %
          (os.path.basename(loop), before, after))


def check_dialog(pandrel, scratch, probe, env):
    os.makedirs(os.path.join(scratch, "loops"))
    write_wave(os.path.join(scratch, "loops", "Tone Loop.wav"))
    client, before, (px, py) = start_editor(pandrel, scratch, probe, env)
    subprocess.run(["xdotool", "mousemove", str(px + PAD1_OPEN[0]), str(py + PAD1_OPEN[1]),
                    "click", "1"], env=env, check=True, timeout=5)
    time.sleep(0.5)
    # The dialog opens in the folder the editor runs in: "loops" typed and
    # Return open it, Down goes into its files and Return takes the first.
    subprocess.run(["xdotool", "type", "--delay", "20", "loops"], env=env, check=True,
                   timeout=10)
    for key in ("Return", "Down", "Return"):
        time.sleep(0.2)
        subprocess.run(["xdotool", "key", key], env=env, check=True, timeout=5)
    after = heard(probe, client, env, "the dialog")
    print("dialog: loops/Tone Loop.wav opened onto pad 1 with keys; before: %s; after: %s" %
          (before, after))


def main():
    if len(sys.argv) != 5 or sys.argv[1] not in ("drop", "dialog"):
        fail("usage: ShellDropCheck.py drop|dialog PANDREL SCRATCH PROBE")
    pandrel, scratch, probe = (os.path.abspath(a) for a in sys.argv[2:])
    shutil.rmtree(scratch, ignore_errors=True)
    os.makedirs(scratch)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    try:
        env = dict(os.environ, DISPLAY=ec.start_display(), PANDREL_UI_SCALE="1",
                   JACK_NO_START_SERVER="1")
        (check_drop if sys.argv[1] == "drop" else check_dialog)(pandrel, scratch, probe, env)
    finally:
        ec.end_all()
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    main()
