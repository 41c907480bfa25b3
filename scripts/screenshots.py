#!/usr/bin/env python3
"""Drives the camera on a simulated board by its keys and keeps a picture of
every screen for the user guide.

Usage: screenshots.py PROGRAM OUTDIR

The program runs on Qt's offscreen platform with NORVIK7_SCREEN_PNG set, so it
writes its screen to a PNG once a second. Keys go into the board's key device as native input_event records.
After every step the script waits for a newer screen file before it copies it.
"""
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

KEY = {"back": 14, "trigger": 20, "ok": 28, "up": 103, "left": 105, "right": 106, "down": 108, "play": 207}


class Camera:
    def __init__(self, program, root, scene="office"):
        self.root = root
        self.png = os.path.join(root, "sim", "screen.png")
        env = dict(os.environ, NORVIK7_ROOT=root, NORVIK7_SCREEN_PNG=self.png, NORVIK7_STARTUP_TIMES="1",
                   NORVIK7_SCENE=scene, NORVIK7_TCP_PORT=str(20000 + os.getpid() % 20000))
        env.pop("NORVIK7_KEYPAD", None)
        self.proc = subprocess.Popen([program], env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                     text=True, bufsize=1)
        self.fifo = None

    def wait_line(self, text, timeout=60):
        """Reads the program's output until a line holding `text`."""
        end = time.time() + timeout
        while time.time() < end:
            line = self.proc.stdout.readline()
            if not line:
                if self.proc.poll() is not None:
                    raise RuntimeError("the program ended early")
                continue
            if text in line:
                return line
        raise RuntimeError("no line '%s' within %d s" % (text, timeout))

    def send(self, name, value):
        if self.fifo is None:
            self.fifo = os.open(os.path.join(self.root, "dev", "input", "event_key"), os.O_WRONLY)
        code = KEY[name]
        now = time.time()
        rec = struct.pack("@qqHHi", int(now), int((now % 1) * 1e6), 1, code, value)
        sync = struct.pack("@qqHHi", int(now), int((now % 1) * 1e6), 0, 0, 0)
        os.write(self.fifo, rec + sync)

    def press(self, *names, pause=0.25):
        for name in names:
            self.send(name, 1)
            self.send(name, 0)
            time.sleep(pause)

    def combo(self, held, pressed):
        """Holds `held` until it repeats, presses `pressed`, lets both go."""
        self.send(held, 1)
        self.send(held, 2)
        time.sleep(0.1)
        self.press(pressed)
        self.send(held, 0)
        time.sleep(0.25)

    def shot(self, path, settle=0.6):
        """Copies a screen grabbed after everything sent so far was shown."""
        time.sleep(settle)
        start = time.time()
        try:
            before = os.stat(self.png).st_mtime_ns
        except FileNotFoundError:
            before = 0
        while time.time() - start < 5:
            try:
                if os.stat(self.png).st_mtime_ns > before:
                    break
            except FileNotFoundError:
                pass
            time.sleep(0.05)
        tmp = path + ".part"
        shutil.copyfile(self.png, tmp)
        os.replace(tmp, path)
        print("  %s" % os.path.basename(path), flush=True)

    def stop(self):
        if self.fifo is not None:
            os.close(self.fifo)
        self.proc.send_signal(signal.SIGTERM)
        try:
            self.proc.wait(5)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()


def avi_from_jpegs(path, jpegs, width, height, fps=8):
    """A Motion-JPEG AVI of the given JPEG pictures (what the gallery plays)."""
    frames = [open(j, "rb").read() for j in jpegs]
    frames = [f + (b"\0" if len(f) % 2 else b"") for f in frames]

    def chunk(fourcc, data):
        return fourcc + struct.pack("<I", len(data)) + data + (b"\0" if len(data) % 2 else b"")

    def lst(kind, data):
        return b"LIST" + struct.pack("<I", len(data) + 4) + kind + data

    n = len(frames)
    avih = struct.pack("<IIIIIIIIII4I", 1000000 // fps, 0, 0, 0x10, n, 0, 1, 0, width, height, 0, 0, 0, 0)
    strh = struct.pack("<4s4sIHHIIIIIIIIhhhh", b"vids", b"MJPG", 0, 0, 0, 0, 1, fps, 0, n, 0, 0xFFFFFFFF, 0,
                       0, 0, width, height)
    strf = struct.pack("<IiiHH4sIiiII", 40, width, height, 1, 24, b"MJPG", width * height * 3, 0, 0, 0, 0)
    hdrl = lst(b"hdrl", chunk(b"avih", avih) + lst(b"strl", chunk(b"strh", strh) + chunk(b"strf", strf)))
    movi_body = b""
    index = b""
    offset = 4
    for f in frames:
        index += struct.pack("<4sIII", b"00dc", 0x10, offset, len(f))
        c = chunk(b"00dc", f)
        movi_body += c
        offset += len(c)
    body = b"AVI " + hdrl + lst(b"movi", movi_body) + chunk(b"idx1", index)
    tmp = path + ".part"
    with open(tmp, "wb") as out:
        out.write(b"RIFF" + struct.pack("<I", len(body)) + body)
    os.replace(tmp, path)


def run(program, out):
    os.makedirs(out, exist_ok=True)
    work = tempfile.mkdtemp(prefix="norvik7-shots-")
    root = os.path.join(work, "board")
    P = lambda name: os.path.join(out, name + ".png")
    cam = None
    try:
        # A board fresh from the factory speaks Chinese.
        cam = Camera(program, root)
        cam.wait_line("startup: live view takes keys")
        cam.shot(P("zh-live-view"), settle=1.0)
        cam.press("ok", "left", "ok")
        cam.shot(P("zh-settings"))
        # Language: English, chosen by keys.
        cam.press("ok", "up", "ok", "back")
        cam.shot(P("settings"))
        entries = ["language", "date-time", "temperature-unit", "hilo-alert", "temperature-scale",
                   "display-brightness", "auto-power-off", "usb-mode", "measurements"]
        for i, name in enumerate(entries):
            if i:
                cam.press("down")
            cam.press("ok")
            cam.shot(P("settings-" + name))
            cam.press("back")
        cam.press("down", "ok")
        cam.shot(P("system-settings"))
        for i, name in enumerate(["device-information", "factory-reset", "format-sdcard", "auto-save", "wifi"]):
            if i:
                cam.press("down")
            cam.press("ok")
            cam.shot(P("system-" + name))
            cam.press("back")
        cam.press("back", "back", "back")
        cam.shot(P("live-thermal"))

        # The main menu bar and its pop-ups, from the left.
        cam.press("ok", "right")   # the bar keeps its last focus ("Settings"); round to the first button
        cam.shot(P("main-menu"))
        for i, name in enumerate(["measurement", "palette", "point-temperature", "image-mode"]):
            if i:
                cam.press("right")
            cam.press("ok")
            cam.shot(P("menu-" + name))
            cam.press("back")
        # Image modes: the pop-up's buttons in order Thermal, Digital, Fusion, PIP, Alignment.
        for i, name in enumerate(["digital", "fusion", "pip"]):
            cam.press("ok")
            cam.press("down", pause=0.25)
            cam.press("ok", "back", "back", pause=0.4)
            cam.shot(P("live-" + name), settle=1.2)
            cam.press("ok")   # the main menu again, focus on "Image Mode"
        cam.press("ok", "down", "ok")
        cam.shot(P("menu-alignment-distance"))
        cam.press("back")
        # Back to the thermal view.
        cam.press("back", "back", "back", "ok", "ok", "up", "up", "up", "up", "ok", "back", "back")
        cam.shot(P("live-thermal-again"), settle=1.2)

        # Capture: freeze, the question, confirm.
        cam.press("trigger")
        cam.shot(P("capture-question"))
        cam.press("ok")
        cam.shot(P("capture-saved"), settle=0.3)
        time.sleep(3.5)
        cam.press("trigger", "ok")
        time.sleep(3.5)

        # Gallery (it opens on the newest entry), viewer, its menu, details, the delete question.
        cam.press("play")
        cam.shot(P("gallery"), settle=3.5)
        cam.press("ok")
        cam.shot(P("viewer"))
        cam.press("ok")
        cam.shot(P("viewer-menu"))
        cam.press("left", "ok")   # the action bar's buttons: Delete first, Information second
        cam.shot(P("image-details"))
        cam.press("back", "right", "ok")
        cam.shot(P("delete-question"))
        cam.press("play", pause=1.0)

        # A short video beside the images, made of the saved visible pictures;
        # the gallery lists a video by its cover picture.
        folder = os.path.join(root, "media", "mmcblk0p1", "DCIM_100")
        jpegs = sorted(os.path.join(folder, f) for f in os.listdir(folder) if f.endswith(".jpg"))
        bmps = sorted(f for f in os.listdir(folder) if f.startswith("IMG_") and f.endswith(".bmp"))
        if jpegs and bmps:
            avi_from_jpegs(os.path.join(folder, "Qel_0003.avi"), jpegs * 8, 264, 352)
            shutil.copyfile(os.path.join(folder, bmps[0]), os.path.join(folder, "Qel_0003.bmp"))
        cam.press("play")
        cam.shot(P("gallery-video"), settle=3.5)
        cam.press("ok")
        cam.shot(P("video-player"), settle=1.5)
        cam.press("up")
        cam.shot(P("video-menu"))
        cam.press("left", "ok")
        cam.shot(P("video-details"))
        cam.press("play")
        cam.shot(P("live-after-gallery"), settle=1.0)

        # Factory pages and the upgrade page, by key combinations.
        cam.combo("down", "up")
        cam.shot(P("calibration-temperature"), settle=1.0)
        cam.combo("down", "up")   # the same keys close it
        time.sleep(1.0)
        cam.combo("down", "left")
        cam.shot(P("calibration-image"), settle=1.0)
        cam.press("back")
        cam.combo("right", "left")   # LEFT pressed while RIGHT repeats
        cam.shot(P("upgrade"), settle=1.0)
        cam.press("back")
        cam.stop()
        cam = None
    finally:
        if cam is not None:
            cam.stop()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    run(os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]))
