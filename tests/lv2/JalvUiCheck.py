#!/usr/bin/env python3
"""The plug-in's editor page in Debian's jalv.gtk3, on a private Xvfb display
and a private dummy JACK server.

  JalvUiCheck.py PROBE LV2_DIR SCRATCH

jalv.gtk3 opens the plug-in with its UI on the demo project's state; pad 2
(the kick) is pressed with xdotool; the screen shows it lit while held and
PROBE hears it in the mix. jalv is closed and started again (it cannot reopen
a UI itself), and the pad is pressed once more. Every process started here is
ended on exit; a failure is one line and exit status 1.
"""
import os
import shutil
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "jack"))
import EditCheck as ec  # noqa: E402  the display, screen and JACK helpers

PAD_IMAGE = (227, 5, 44, 38)  # pad 2's image in the page
INSET = 4  # inside its frame, which shows the current pad


def area(env, rect):
    """The screen's pixels in rect, as (r, g, b), read through ImageMagick
    (xwd's own header may misname the pixel size with a GTK client on the
    display)."""
    x, y, w, h = rect
    shot = subprocess.run(["xwd", "-root", "-silent"], env=env, check=True,
                          capture_output=True, timeout=10).stdout
    raw = subprocess.run(["convert", "xwd:-", "-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage",
                          "-depth", "8", "rgb:-"], input=shot, check=True, capture_output=True,
                         timeout=10).stdout
    return [tuple(raw[i:i + 3]) for i in range(0, len(raw) - 2, 3)]


def settled(env, rect, done, seconds=5):
    """Waits until the screen's rect satisfies done; the page repaints within a timer tick."""
    return ec.wait_until(seconds, lambda: done(area(env, rect)))


def brightness(pixels):
    return sum(sum(p) for p in pixels) / (3.0 * len(pixels))


def page_window(env):
    """The page's own X window: the "Pandrel" window that is not a top-level."""
    found = []

    def look():
        r = subprocess.run(["xdotool", "search", "--name", "^Pandrel$"], env=env,
                           capture_output=True, text=True, timeout=5)
        for w in r.stdout.split():
            tree = subprocess.run(["xwininfo", "-id", w, "-tree"], env=env, capture_output=True,
                                  text=True, timeout=5).stdout
            if "Parent window id:" in tree and "(the root window)" not in \
                    tree.split("Parent window id:")[1].split("\n")[0]:
                found.append(int(w))
                return True
        return False
    if not ec.wait_until(10, look):
        return None
    info = subprocess.run(["xwininfo", "-id", str(found[0])], env=env, capture_output=True,
                          text=True, timeout=5).stdout
    field = lambda name: int(info.split(name + ":")[1].split()[0])
    return found[0], field("Absolute upper-left X"), field("Absolute upper-left Y"), \
        field("Width"), field("Height")


def end(p):
    """jalv's JACK client may hang in closing: killed when TERM is not enough."""
    if p.poll() is None:
        p.terminate()
        try:
            p.wait(3)
        except subprocess.TimeoutExpired:
            p.kill()
            p.wait(3)


def open_and_press(n, probe, lv2dir, scratch, env):
    client = "pandrel-ui-%d-%d" % (os.getpid(), n)
    log = open(os.path.join(scratch, "jalv%d.log" % n), "w+")
    jalv = ec.start(["jalv.gtk3", "-n", client, "-l", os.path.join(scratch, "state"),
                     "urn:pandrel:lv2"],
                    env=dict(env, LV2_PATH=lv2dir, PANDREL_LV2_UI_DEBUG="1"),
                    stdin=subprocess.PIPE, stdout=log, stderr=subprocess.STDOUT)
    page = page_window(env)
    said = lambda: open(log.name).read().strip()
    if page is None or jalv.poll() is not None:
        ec.fail("jalv.gtk3 shows no editor page: " + said())
    _, x, y, w, h = page
    if (w, h) != (600, 553):
        ec.fail("the page's window is %d x %d, not 600 x 553" % (w, h))
    px, py, pw, ph = PAD_IMAGE
    inside = (x + px + INSET, y + py + INSET, pw - 2 * INSET, ph - 2 * INSET)
    if not settled(env, inside, lambda now: len(set(now)) > 1):
        ec.fail("the page shows no pad")
    dark = brightness(area(env, inside))

    listen = ec.start([probe, "listen", client, "3"], env=env, stdout=subprocess.PIPE,
                      stderr=subprocess.STDOUT, text=True)
    if listen.stdout.readline().strip() != "recording":
        ec.fail("the probe does not record: " + listen.stdout.read().strip())
    time.sleep(0.5)
    subprocess.run(["xdotool", "mousemove", str(x + px + pw // 2), str(y + py + ph // 2),
                    "mousedown", "1"], env=env, check=True, timeout=5)
    # Lit: far brighter inside; the current pad's frame is left out.
    lit = settled(env, inside, lambda now: brightness(now) > dark + 60)
    # Released, and the pointer taken off the page (a pad under it shows so).
    subprocess.run(["xdotool", "mouseup", "1", "mousemove", str(x + w + 20), str(y + h // 2)],
                   env=env, check=True, timeout=5)
    try:
        heard = listen.communicate(timeout=20)[0].strip()
    except subprocess.TimeoutExpired:
        ec.fail("the probe did not finish")
    print("jalv.gtk3 %d: %s" % (n, heard))
    if not lit:
        ec.fail("pad 2 does not light while pressed")
    if listen.returncode != 0:
        ec.fail("pad 2 pressed is not heard: " + heard)
    if not settled(env, inside, lambda now: brightness(now) < dark + 10):
        ec.fail("pad 2 stays lit after its release")
    # Closing the window ends jalv; the UI must not have complained meanwhile.
    jalv.stdin.close()
    end(jalv)
    told = [l for l in said().splitlines() if l.startswith("pandrel.lv2")
            and not any(w in l for w in ("UI: feature", "UI: option", "UI: host scale", "UI: page drawn"))]
    if told:
        ec.fail("the plug-in or its UI said: " + "; ".join(told))
    if n == 1:
        print("jalv.gtk3 passed: " + ", ".join(
            l.split("feature ")[1] for l in said().splitlines() if "UI: feature" in l))
        print("jalv.gtk3 options: " + ", ".join(
            l.split("option ")[1] for l in said().splitlines() if "UI: option" in l))


def main():
    if len(sys.argv) != 4:
        ec.fail("usage: JalvUiCheck.py PROBE LV2_DIR SCRATCH")
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
        for n in (1, 2):
            open_and_press(n, probe, lv2dir, scratch, env)
        print("jalv.gtk3 opened the page twice; pad 2 pressed lit and sounded each time")
    finally:
        ec.end_all()
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    main()
