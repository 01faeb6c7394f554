#!/usr/bin/python3
"""Random input for the real editor window.

Starts the editor on an X server of its own (Xvfb) under openbox, on a note of several pages
with photographs (some broken or missing), texts and Mandelbrot pictures, all made in a
temporary folder that HOME and the XDG folders point into. Then it sends random mouse and
keyboard input: clicks, drags and wheel turns with Ctrl, Shift and Alt, the editor's keys,
its menus, and answers to whatever dialog shows; the test holds a picture on the clipboard
for pasting. After every action the editor must answer a
_NET_WM_PING, a round trip through its event loop, and must still be running.

At the end the note is saved onto the file it was opened from (Ctrl+S), exported with
`tessary --export`, opened again and saved under a second name, which must give the same
bytes; then the editor is closed and its output must hold no sanitizer report.

The random choices come from one seed, printed at the start. A failure prints the actions
done and the command line that replays them. Exit status: 0 passed, 1 failed, 77 when a tool
the test needs is missing.

Usage: random_input.py [--seed N] [--actions N] [--seconds S] [--answer-timeout S] TESSARY
"""

import argparse
import os
import random
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

try:
    from Xlib import X, Xatom, display, error as xerror
    from Xlib.protocol import event as xevent
except ImportError:
    print("python3-xlib is missing: tools/deps.sh installs it")
    sys.exit(77)

MAIN_TITLE = "Tessary by Veldran"
# Dialogs whose every part may be clicked: the message boxes and questions, the click-through
# switch ("Tessary"), the about box, publish and the properties of texts and Mandelbrot
# pictures. Any other window (the file and colour dialogs) only gets Escape, or a path of the
# test's folder typed into it and Return, so that nothing outside that folder is written.
OPEN_DIALOGS = {
    "Tessary",
    "Tessary バージョン情報",
    "Tessary パブリッシュ",
    "テキストプロパティ",
    "マンデルブロ集合プロパティ",
}
WHERE = {"main": "in the main window", "open": "in dialogs", "keys": "in file or colour dialogs",
         "popup": "in menus", "none": "without a window"}
SANITIZER_MARKS = ("ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:",
                   "WARNING: AddressSanitizer", "ERROR: UndefinedBehaviorSanitizer")

# The editor's keys. Letters that name menu entries never reach an open menu bar menu (see
# run_menu), and no key or typed text holds an "e": in the file menu it would exit.
KEYS = [
    "Prior", "Next", "space", "shift+Left", "shift+Right", "ctrl+Left", "ctrl+Right",
    "Left", "Right", "Up", "Down", "Delete", "Escape", "Return", "Tab", "Menu",
    "F5", "F7", "F8", "F9", "F11", "ctrl+z", "ctrl+y", "ctrl+z", "ctrl+y", "ctrl+s",
    "ctrl+o", "ctrl+n", "ctrl+p", "ctrl+g", "ctrl+l", "ctrl+u", "ctrl+d", "ctrl+v",
    "ctrl+i", "ctrl+shift+g", "ctrl+shift+s", "F6", "shift+F6", "l", "r", "BackSpace",
    "Home", "End",
]
# Keys for a dialog that may hold a path: none of them deletes part of a typed path.
DIALOG_KEYS = ["Return", "Escape", "Tab", "shift+Tab", "space", "Left", "Right", "Up", "Down"]
POPUP_KEYS = ["Up", "Down", "Down", "Return", "Escape", "Left", "Right"]
# Menu bar menus and the mnemonics of their entries; the file menu's exit is left out.
MENUS = [
    ("alt+f", ["n", "o", "s", "a", "x", "i", "g", "p"]),
    ("alt+e", ["u", "r", "i", "d", "c"]),
    ("alt+v", ["g", "t", "r", "m", "f", "b"]),
    ("alt+o", ["s", "l"]),
    ("alt+h", ["c", "i", "v"]),
]
TYPED_CHARACTERS = "abcdfghijklmnopqrstuvwxyz0123456789 .,-/あいう漢字"
ACTION_KINDS = [
    ("click", 30), ("double", 6), ("drag", 16), ("wheel", 10), ("key", 26),
    ("menu", 6), ("type", 5), ("peek", 1),
]


def no_e(text):
    return "e" not in text.lower()


class Failure(Exception):
    pass


# --- The test folder: photographs, a note and the editor's home.

def make_folder():
    """A new folder whose path holds no "e", so that typed paths hold none either."""
    parent = tempfile.gettempdir()
    if not no_e(parent):
        parent = "/tmp"
    for attempt in range(1000):
        path = os.path.join(parent, "tsyrnd%d%03d" % (os.getpid(), attempt))
        try:
            os.mkdir(path, 0o700)
            return path
        except FileExistsError:
            continue
    raise Failure("no temporary folder could be made")


def convert(*args):
    subprocess.run(["convert", *args], check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)


def make_note(sandbox):
    """The photographs and the note "pad.tsy" of four pages; answers the note's path."""
    photos = os.path.join(sandbox, "photos")
    os.makedirs(photos)
    path = lambda name: os.path.join(photos, name)
    convert("-size", "900x600", "gradient:#ff8000-#0040ff", "-fill", "#20c020",
            "-draw", "circle 450,300 450,120", path("a1.jpg"))
    convert("-size", "400x300", "xc:none", "-fill", "#00ff0080",
            "-draw", "circle 200,150 200,20", path("a2.png"))
    convert("-size", "300x200", "radial-gradient:yellow-purple", path("a3.gif"))
    convert("-size", "320x240", "xc:#3060a0", path("a4.bmp"))
    convert("-size", "200x400", "gradient:white-black", path("a5.tif"))
    with open(path("a1.jpg"), "rb") as whole, open(path("bad.jpg"), "wb") as cut:
        cut.write(whole.read(1500))
    open(path("void.png"), "wb").close()
    with open(path("words.png"), "w") as words:
        words.write("this is no picture\n")

    def image(name, pos):
        return "[TSImage]\r\nFileName=%s,0,0,0,0\r\nPos=%s\r\n\r\n" % (path(name), pos)

    def text(words, pos, colour="0xff0000ff"):
        return ("[Text]\r\nText=%s\r\nFont=40,IPAGothic\r\nColor=%s\r\nPos=%s\r\n\r\n"
                % (words, colour, pos))

    def mandelbrot(pos, extra=""):
        return "[Mandelbrot]\r\n%sPos=%s\r\n\r\n" % (extra, pos)

    pages = [
        image("a1.jpg", "L20,T20,W450,H300") + image("a2.png", "L300.5,T200,W200,H150")
        + text("Random input", "L50,T350,W300,H100") + mandelbrot("L500,T40,W200,H200"),
        image("bad.jpg", "L10,T10,W300,H200") + image("missing.jpg", "L350,T50,W200,H200")
        + text("壊れた写真", "L100,T300,W300,H120", "0xff00a000"),
        mandelbrot("L0,T0,W300,H300")
        + mandelbrot("L350,T100,W250,H250", "Shift=-0.5,-0.5\r\nZoomRate=0.1\r\n")
        + image("a3.gif", "L100,T350,W300,H200"),
        image("a4.bmp", "L0,T0,W320,H240") + image("a5.tif", "L400,T0,W200,H400")
        + image("void.png", "L50,T300,W100,H100") + image("words.png", "L200,T300,W100,H100"),
    ]
    note = os.path.join(sandbox, "pad.tsy")
    with open(note, "w", newline="") as out:
        out.write("-\r\n\r\n".join(pages))
    return note


def typed_paths(sandbox):
    """Paths typed into dialogs: photographs, notes, folders, missing and new files."""
    names = [
        "photos/a1.jpg", "photos/a2.png", "photos/a3.gif", "photos/a4.bmp", "photos/a5.tif",
        "photos/bad.jpg", "photos/void.png", "photos/words.png", "photos/missing.jpg",
        "pad.tsy", "copy.tsy", "publish/book.tsy", "photos", "out.jpg", "out.png",
        "out.gif", "out.bmp", "out.tif", "nothing/x.tsy", "snap.jpg", "pad2.tsy",
    ]
    paths = [os.path.join(sandbox, name) for name in names]
    assert all(no_e(path) for path in paths)
    return paths


# --- The X server and the window manager.

OPENBOX_CONFIG = """<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <focus><focusNew>yes</focusNew><followMouse>no</followMouse></focus>
  <desktops><number>1</number></desktops>
  <keyboard></keyboard>
  <mouse>
    <context name="Frame">
      <mousebind button="A-Left" action="Press"><action name="Focus"/><action name="Raise"/></mousebind>
      <mousebind button="A-Left" action="Drag"><action name="Move"/></mousebind>
      <mousebind button="A-Right" action="Drag"><action name="Resize"/></mousebind>
    </context>
    <context name="Titlebar">
      <mousebind button="Left" action="Drag"><action name="Move"/></mousebind>
    </context>
    <context name="Client">
      <mousebind button="Left" action="Press"><action name="Focus"/><action name="Raise"/></mousebind>
      <mousebind button="Middle" action="Press"><action name="Focus"/><action name="Raise"/></mousebind>
      <mousebind button="Right" action="Press"><action name="Focus"/><action name="Raise"/></mousebind>
    </context>
  </mouse>
</openbox_config>
"""


def start_server(processes, env):
    """Xvfb on a display number of its own; answers ":N"."""
    for number in range(150, 200):
        if os.path.exists("/tmp/.X%d-lock" % number) or os.path.exists("/tmp/.X11-unix/X%d" % number):
            continue
        server = subprocess.Popen(["Xvfb", ":%d" % number, "-screen", "0", "1280x1024x24",
                                   "-nolisten", "tcp", "-noreset"],
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(200):
            if server.poll() is not None:
                break
            try:
                with open("/tmp/.X%d-lock" % number) as lock:
                    ours = lock.read().strip() == str(server.pid)
            except OSError:
                ours = False
            if ours and subprocess.run(["xdotool", "getdisplaygeometry"],
                                       env=dict(env, DISPLAY=":%d" % number),
                                       stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL).returncode == 0:
                processes.append(server)
                return ":%d" % number
            time.sleep(0.05)
        server.terminate()
        server.wait()
    raise Failure("no free display for Xvfb")


class Screen:
    """The test's connection to the X server: windows, titles, pings."""

    def __init__(self):
        self.d = display.Display()
        self.root = self.d.screen().root
        self.width = self.d.screen().width_in_pixels
        self.height = self.d.screen().height_in_pixels
        # The editor sends its ping answers to the root window, for the clients that listen
        # to its structure (Qt) or redirect its substructure (the window manager).
        self.root.change_attributes(event_mask=X.StructureNotifyMask)
        atom = lambda name: self.d.intern_atom(name)
        self.WM_PROTOCOLS = atom("WM_PROTOCOLS")
        self.PING = atom("_NET_WM_PING")
        self.DELETE = atom("WM_DELETE_WINDOW")
        self.PID = atom("_NET_WM_PID")
        self.NAME = atom("_NET_WM_NAME")
        self.UTF8 = atom("UTF8_STRING")
        self.CLIENTS = atom("_NET_CLIENT_LIST")
        self.ACTIVE = atom("_NET_ACTIVE_WINDOW")
        self.TYPE = atom("_NET_WM_WINDOW_TYPE")
        self.UTILITY = atom("_NET_WM_WINDOW_TYPE_UTILITY")
        self.WM_CHECK = atom("_NET_SUPPORTING_WM_CHECK")
        self.CLIPBOARD = atom("CLIPBOARD")
        self.TARGETS = atom("TARGETS")
        self.PNG = atom("image/png")
        self.stamp = 0x1000
        self.picture = None

    def offer_picture(self, data):
        """Holds a PNG picture on the clipboard, as another program would, for Ctrl+V and the
        page menu's paste. The test serves it while it waits for the editor's answers."""
        self.owner = self.root.create_window(-10, -10, 1, 1, 0, self.d.screen().root_depth)
        self.owner.set_selection_owner(self.CLIPBOARD, X.CurrentTime)
        self.picture = data
        self.d.flush()

    def serve(self, event):
        if event.type != X.SelectionRequest or self.picture is None:
            return
        property_ = event.property if event.property != X.NONE else event.target
        try:
            if event.target == self.TARGETS:
                event.requestor.change_property(property_, Xatom.ATOM, 32, [self.TARGETS, self.PNG])
            elif event.target == self.PNG:
                event.requestor.change_property(property_, self.PNG, 8, self.picture)
            else:
                property_ = X.NONE
            answer = xevent.SelectionNotify(time=event.time, requestor=event.requestor,
                                            selection=event.selection, target=event.target,
                                            property=property_)
            event.requestor.send_event(answer, event_mask=0)
            self.d.flush()
        except xerror.XError:
            pass

    def window(self, wid):
        return self.d.create_resource_object("window", wid)

    def prop(self, window, name, kind=X.AnyPropertyType):
        try:
            value = window.get_full_property(name, kind)
        except xerror.XError:
            return None
        return value.value if value else None

    def wm_running(self):
        return bool(self.prop(self.root, self.WM_CHECK))

    def pid_of(self, window):
        value = self.prop(window, self.PID)
        return int(value[0]) if value is not None and len(value) else None

    def title(self, window):
        value = self.prop(window, self.NAME, self.UTF8)
        if value is None:
            return ""
        return value.decode("utf-8", "replace") if isinstance(value, bytes) else str(value)

    def clients(self, pid):
        """The editor's managed windows that are shown."""
        found = []
        for wid in self.prop(self.root, self.CLIENTS) or []:
            window = self.window(int(wid))
            try:
                if self.pid_of(window) != pid or window.get_attributes().map_state != X.IsViewable:
                    continue
            except xerror.XError:
                continue
            found.append(window)
        return found

    def popups(self, pid):
        """The editor's shown menus: override-redirect windows larger than a tool tip."""
        found = []
        try:
            children = self.root.query_tree().children
        except xerror.XError:
            return found
        for window in children:
            try:
                attributes = window.get_attributes()
                if not attributes.override_redirect or attributes.map_state != X.IsViewable:
                    continue
                if self.pid_of(window) != pid:
                    continue
                geometry = window.get_geometry()
            except xerror.XError:
                continue
            if geometry.width > 40 and geometry.height > 30:
                found.append(window)
        return found

    def active(self):
        value = self.prop(self.root, self.ACTIVE)
        if not value or not value[0]:
            return None
        return self.window(int(value[0]))

    def is_utility(self, window):
        value = self.prop(window, self.TYPE)
        return bool(value is not None and self.UTILITY in list(value))

    def area(self, window):
        """The window's client area on the screen as (x, y, width, height), or None."""
        try:
            geometry = window.get_geometry()
            where = window.translate_coords(self.root, 0, 0)
        except xerror.XError:
            return None
        return (-where.x, -where.y, geometry.width, geometry.height)

    def close(self, window):
        message = xevent.ClientMessage(
            window=window, client_type=self.WM_PROTOCOLS,
            data=(32, [self.DELETE, X.CurrentTime, 0, 0, 0]))
        window.send_event(message, event_mask=0)
        self.d.flush()

    def ping(self, pid, timeout, running):
        """True when one of the editor's windows answers a ping within the timeout; false at
        once when the editor is no longer running."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline and running():
            windows = self.clients(pid)
            sent = set()
            for window in windows:
                self.stamp += 1
                message = xevent.ClientMessage(
                    window=window, client_type=self.WM_PROTOCOLS,
                    data=(32, [self.PING, self.stamp, window.id, 0, 0]))
                try:
                    window.send_event(message, event_mask=0)
                except xerror.XError:
                    continue
                sent.add(self.stamp)
            self.d.flush()
            # A window may go away before it answers (the editor makes its window again when
            # it changes mode): ask again after a while.
            wait_until = min(deadline, time.monotonic() + (3 if sent else 0.2))
            while time.monotonic() < wait_until:
                while self.d.pending_events():
                    event = self.d.next_event()
                    self.serve(event)
                    if (event.type == X.ClientMessage and event.client_type == self.WM_PROTOCOLS
                            and event.data[1][0] == self.PING and event.data[1][1] in sent):
                        return True
                select.select([self.d], [], [], max(0.0, min(0.1, wait_until - time.monotonic())))
        return False


# --- Input through xdotool.

class Input:
    def __init__(self, env):
        self.env = env

    def run(self, *args):
        subprocess.run(["xdotool", *args], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=30)

    def move(self, x, y):
        self.run("mousemove", str(x), str(y))

    def key(self, keys):
        self.run("key", "--delay", "40", keys)

    def type(self, text):
        self.run("type", "--delay", "15", text)

    def hold(self, modifiers, down):
        for modifier in modifiers:
            self.run("keydown" if down else "keyup", modifier)


def draw_action(rng):
    """One action as random numbers: always as many, so that a seed always gives the same
    actions whatever the editor shows."""
    total = sum(weight for _, weight in ACTION_KINDS)
    pick = rng.random() * total
    kind = ACTION_KINDS[-1][0]
    for name, weight in ACTION_KINDS:
        if pick < weight:
            kind = name
            break
        pick -= weight
    return kind, [rng.random() for _ in range(10)]


def modifiers_of(values, alt=True):
    names = []
    if values[0] < 0.15:
        names.append("ctrl")
    if values[1] < 0.15:
        names.append("shift")
    if alt and values[2] < 0.08:
        names.append("alt")
    return names


def choose(items, value):
    return items[min(len(items) - 1, int(value * len(items)))]


class Session:
    def __init__(self, args):
        self.args = args
        self.processes = []
        self.log = []
        self.base = make_folder()
        self.sandbox = os.path.join(self.base, "s")
        os.makedirs(self.sandbox)
        self.editor = None
        self.editor_log = os.path.join(self.base, "editor.log")
        self.reached = {}
        # With --shots, a screenshot after every that many actions, kept in the test folder.
        self.shots = args.shots if hasattr(args, "shots") else 0

    # --- Setting up.

    def environment(self):
        home = os.path.join(self.base, "home")
        runtime = os.path.join(self.base, "run")
        bin_folder = os.path.join(self.base, "bin")
        for folder in (home, bin_folder):
            os.makedirs(folder, exist_ok=True)
        os.makedirs(runtime, mode=0o700, exist_ok=True)
        # Web pages and folders are "opened" by a program that does nothing.
        for name in ("xdg-open", "gio", "kde-open", "x-www-browser", "sensible-browser"):
            stub = os.path.join(bin_folder, name)
            with open(stub, "w") as out:
                out.write("#!/bin/sh\nexit 0\n")
            os.chmod(stub, 0o755)
        env = dict(os.environ)
        env.update({
            "HOME": home,
            "XDG_CONFIG_HOME": os.path.join(home, ".config"),
            "XDG_DATA_HOME": os.path.join(home, ".local", "share"),
            "XDG_CACHE_HOME": os.path.join(home, ".cache"),
            "XDG_RUNTIME_DIR": runtime,
            "PATH": bin_folder + os.pathsep + env.get("PATH", ""),
            "QT_QPA_PLATFORM": "xcb",
            "BROWSER": os.path.join(bin_folder, "xdg-open"),
        })
        for name in ("DESKTOP_SESSION", "XDG_CURRENT_DESKTOP", "DBUS_SESSION_BUS_ADDRESS",
                     "WAYLAND_DISPLAY", "QT_SCALE_FACTOR"):
            env.pop(name, None)
        # libxkbcommon-x11 copies atom names that are not NUL-terminated with strndup and
        # their length; strict string checks would report an overflow that is none.
        if env.get("ASAN_OPTIONS"):
            env["ASAN_OPTIONS"] += ":strict_string_checks=0"
        return env

    def start(self):
        self.env = self.environment()
        self.env["DISPLAY"] = start_server(self.processes, self.env)
        os.environ["DISPLAY"] = self.env["DISPLAY"]
        self.screen = Screen()
        self.input = Input(self.env)
        config = os.path.join(self.base, "openbox.xml")
        with open(config, "w") as out:
            out.write(OPENBOX_CONFIG)
        with open(os.path.join(self.base, "openbox.log"), "w") as wm_log:
            self.processes.append(subprocess.Popen(
                ["openbox", "--sm-disable", "--config-file", config], env=self.env,
                stdout=wm_log, stderr=wm_log))
        for _ in range(200):
            if self.screen.wm_running():
                break
            time.sleep(0.05)
        else:
            raise Failure("openbox did not start")
        self.note = make_note(self.sandbox)
        pasted = os.path.join(self.base, "pasted.png")
        convert("-size", "120x90", "gradient:#ff00ff-#00ffff", pasted)
        with open(pasted, "rb") as picture:
            self.screen.offer_picture(picture.read())
        self.paths = typed_paths(self.sandbox)
        with open(self.editor_log, "w") as out:
            self.editor = subprocess.Popen([self.args.tessary, self.note], env=self.env,
                                           cwd=self.base, stdout=out, stderr=out)
        self.processes.append(self.editor)
        deadline = time.monotonic() + self.args.answer_timeout
        while time.monotonic() < deadline:
            self.check_running()
            if self.main_window() is not None:
                return
            time.sleep(0.2)
        raise Failure("the editor's window did not show")

    # --- Looking at the editor.

    def check_running(self):
        if self.editor.poll() is not None:
            raise Failure("the editor ended (exit status %d)" % self.editor.returncode)

    def main_window(self):
        for window in self.screen.clients(self.editor.pid):
            if self.screen.title(window).endswith(MAIN_TITLE):
                return window
        return None

    def check_answers(self, what):
        self.check_running()
        if not self.screen.ping(self.editor.pid, self.args.answer_timeout,
                                lambda: self.editor.poll() is None):
            self.check_running()
            raise Failure("the editor did not answer for %d s after %s"
                          % (self.args.answer_timeout, what))

    def target(self, values):
        """The window an action goes to, with what it is: "popup", "main", "open" (a dialog
        that may be clicked) or "keys" (a dialog that only gets keys)."""
        pid = self.editor.pid
        ours = self.screen.clients(pid)
        # A file or colour dialog takes every action while it is shown, wherever the focus
        # is: a click meant for the window below could land on it.
        for window in reversed(ours):
            title = self.screen.title(window)
            if not (title.endswith(MAIN_TITLE) or title in OPEN_DIALOGS
                    or self.screen.is_utility(window)):
                return window, "keys"
        popups = self.screen.popups(pid)
        if popups and values[9] < 0.7:
            return popups[-1], "popup"
        active = self.screen.active()
        if active is not None and active.id in [window.id for window in ours]:
            window = active
        else:
            main = self.main_window()
            window = main if main is not None else (ours[0] if ours else None)
        # Now and then the click-through switch, wherever the focus is.
        if values[9] > 0.97:
            for window_ in ours:
                if self.screen.is_utility(window_):
                    window = window_
        if window is None:
            return None, "none"
        title = self.screen.title(window)
        if title.endswith(MAIN_TITLE):
            return window, "main"
        if title in OPEN_DIALOGS:
            return window, "open"
        return window, "keys"

    def point(self, window, kind, fx, fy):
        """A point of the window's client area on the screen, or None when it is off the
        screen. The main window's menu bar is left out: its file menu holds exit."""
        area = self.screen.area(window)
        if area is None:
            return None
        x, y, width, height = area
        top = 30 if kind == "main" and height > 200 else 0
        px = x + int(fx * (width - 1))
        py = y + top + int(fy * max(0, height - 1 - top))
        if not (0 <= px < self.screen.width and 0 <= py < self.screen.height):
            return None
        return px, py

    # --- The actions.

    def focus(self, window):
        try:
            active = self.screen.active()
            if active is None or active.id != window.id:
                self.input.run("windowfocus", str(window.id))
        except xerror.XError:
            pass

    def act(self, kind, values):
        window, what = self.target(values)
        self.reached[what] = self.reached.get(what, 0) + 1
        if window is None:
            time.sleep(0.2)
            return "nothing: no window"
        if what == "keys":
            return self.answer_guarded(window, values)
        if kind == "menu" and what != "main":
            kind = "key"
        if kind == "type" and what == "popup":
            kind = "key"
        if kind in ("click", "double", "drag", "wheel"):
            return self.mouse(kind, window, what, values)
        if kind == "peek":
            self.focus(window)
            self.input.run("keydown", "F3")
            time.sleep(0.1 + values[3] * 0.5)
            self.input.run("keyup", "F3")
            return "F3 held"
        if kind == "menu":
            return self.run_menu(window, values)
        if kind == "type":
            self.focus(window)
            if what == "open":
                path = choose(self.paths, values[3])
                self.input.key("ctrl+a")
                self.input.type(path)
                return "ctrl+a, typed %s in %s" % (path, self.screen.title(window))
            count = 1 + int(values[3] * 8)
            text = "".join(choose(TYPED_CHARACTERS, values[(4 + i) % 9] * (i + 1) % 1.0)
                           for i in range(count))
            self.input.type(text)
            return "typed %r" % text
        keys = {"main": KEYS, "open": DIALOG_KEYS, "popup": POPUP_KEYS}[what]
        key = choose(keys, values[3])
        if what != "popup":
            self.focus(window)
        self.input.key(key)
        return "key %s in %s" % (key, what)

    def answer_guarded(self, window, values):
        """A file or colour dialog: Escape, or a path of the test's folder and Return."""
        title = self.screen.title(window)
        self.focus(window)
        if values[4] < 0.35:
            self.input.key("Escape")
            return "Escape in %r" % title
        path = choose(self.paths, values[5])
        self.input.key("ctrl+a")
        self.input.type(path)
        time.sleep(0.1)
        self.input.key("Return")
        return "typed %s and Return in %r" % (path, title)

    def mouse(self, kind, window, what, values):
        start = self.point(window, what, values[3], values[4])
        if start is None:
            return "nothing: %s window off the screen" % what
        # Alt with a drag moves or resizes the window through the window manager; Alt with
        # the wheel is left out.
        modifiers = modifiers_of(values, alt=(kind != "wheel"))
        button = 1 if values[5] < 0.7 else (3 if values[5] < 0.95 else 2)
        self.input.move(*start)
        time.sleep(0.05)
        self.input.hold(modifiers, True)
        try:
            if kind == "click":
                self.input.run("click", str(button))
                done = "click %d" % button
            elif kind == "double":
                self.input.run("click", "--repeat", "2", "--delay", "80", "1")
                done = "double click"
            elif kind == "wheel":
                wheel = 4 if values[6] < 0.5 else 5
                turns = 1 + int(values[7] * 3)
                self.input.run("click", "--repeat", str(turns), "--delay", "30", str(wheel))
                done = "wheel %s x%d" % ("up" if wheel == 4 else "down", turns)
            else:
                end = self.point(window, what, values[6], values[7])
                if end is None:
                    end = start
                button = 1 if values[5] < 0.85 else 3
                self.input.run("mousedown", str(button))
                steps = 2 + int(values[8] * 6)
                for step in range(1, steps + 1):
                    self.input.move(start[0] + (end[0] - start[0]) * step // steps,
                                    start[1] + (end[1] - start[1]) * step // steps)
                    time.sleep(0.02)
                self.input.run("mouseup", str(button))
                done = "drag %d to (%d,%d)" % (button, end[0], end[1])
        finally:
            self.input.hold(modifiers, False)
        prefix = "+".join(modifiers + [""]) if modifiers else ""
        return "%s%s at (%d,%d) in %s" % (prefix, done, start[0], start[1], what)

    def wait_popup(self, present, seconds=2.0):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            if bool(self.screen.popups(self.editor.pid)) == present:
                return True
            time.sleep(0.05)
        return False

    def run_menu(self, window, values):
        opener, entries = choose(MENUS, values[3])
        entry = choose(entries, values[4])
        self.focus(window)
        self.input.key(opener)
        if not self.wait_popup(True):
            self.input.key("Escape")
            return "%s: no menu, Escape" % opener
        self.input.key(entry)
        time.sleep(0.2)
        if self.screen.popups(self.editor.pid):
            # The entry was disabled: the menu stays open.
            self.input.key("Escape")
            return "%s %s, then Escape" % (opener, entry)
        return "%s %s" % (opener, entry)

    # --- The run and its end.

    def run(self):
        rng = random.Random(self.args.seed)
        started = time.monotonic()
        count = 0
        while True:
            if self.args.actions is not None and count >= self.args.actions:
                break
            if self.args.actions is None and time.monotonic() - started >= self.args.seconds:
                break
            kind, values = draw_action(rng)
            self.check_running()
            done = self.act(kind, values)
            self.log.append("%4d %s" % (count, done))
            if self.args.verbose:
                print(self.log[-1], flush=True)
            count += 1
            self.check_answers("action %d (%s)" % (count - 1, done))
            # Once more after a moment, for a window the action opened to be shown and made
            # active by the window manager, so that a replay finds the same windows.
            time.sleep(0.1)
            self.check_answers("action %d (%s)" % (count - 1, done))
            if self.shots and count % self.shots == 0:
                subprocess.run(["import", "-window", "root",
                                os.path.join(self.base, "shot%04d.png" % count)], env=self.env)
        return count

    def dialogs(self):
        pid = self.editor.pid
        return [window for window in self.screen.clients(pid)
                if not self.screen.title(window).endswith(MAIN_TITLE)
                and not self.screen.is_utility(window)]

    def close_dialogs(self):
        """Closes menus and dialogs with Escape and turns click-through off."""
        for attempt in range(40):
            self.check_answers("closing the dialogs")
            pid = self.editor.pid
            if self.screen.popups(pid):
                self.input.key("Escape")
                continue
            for window in self.screen.clients(pid):
                if self.screen.is_utility(window):
                    area = self.screen.area(window)
                    if area:
                        # The check box fills the window; its box is on the left.
                        self.input.move(area[0] + min(20, area[2] // 2), area[1] + area[3] // 2)
                        self.input.run("click", "1")
                        self.log.append("     end: the click-through switch clicked")
                        time.sleep(0.3)
            open_dialogs = self.dialogs()
            if not open_dialogs:
                return
            # The topmost dialog is the last one the window manager lists.
            window = open_dialogs[-1]
            self.focus(window)
            time.sleep(0.1)
            self.input.key("Escape")
            self.log.append("     end: Escape in %r" % self.screen.title(window))
            time.sleep(0.2)
        raise Failure("the dialogs did not close: %s"
                      % [self.screen.title(window) for window in self.dialogs()])

    def wait_window(self, title, seconds=None):
        deadline = time.monotonic() + (seconds or self.args.answer_timeout)
        while time.monotonic() < deadline:
            self.check_running()
            active = self.screen.active()
            if active is not None and self.screen.pid_of(active) == self.editor.pid \
                    and self.screen.title(active) == title:
                return active
            time.sleep(0.1)
        return None

    def main_focused(self):
        main = self.main_window()
        if main is None:
            raise Failure("the main window is gone")
        self.input.run("windowactivate", str(main.id))
        self.focus(main)
        time.sleep(0.3)
        return main

    def modified_time(self, path):
        try:
            return os.stat(path).st_mtime_ns
        except OSError:
            return None

    def main_title(self):
        main = self.main_window()
        return self.screen.title(main).lstrip("*") if main is not None else ""

    def save_note(self, path):
        """Saves the note onto the path: Ctrl+S when the note is that file already (which
        may write at once or show the save dialog), else Ctrl+Shift+S and then Ctrl+S, each
        answered in the save dialog with the path typed, and Yes to replacing the file."""
        before = self.modified_time(path)
        named = self.main_title().startswith(os.path.basename(path) + " - ")
        for key in (["ctrl+s"] if named else ["ctrl+shift+s", "ctrl+s"]):
            self.main_focused()
            self.input.key(key)
            self.log.append("     end: %s to save %s" % (key, path))
            if self.answer_save(path, before):
                return
        raise Failure("the note could not be saved onto %s (the window shows %r)"
                      % (path, self.main_title()))

    def answer_save(self, path, before):
        """Answers what saving shows until the file is written; false when nothing showed
        and nothing was written for a while (ten seconds, longer for a slow build)."""
        typed = False
        quiet_since = time.monotonic()
        while time.monotonic() - quiet_since < max(10, self.args.answer_timeout / 6):
            self.check_answers("saving")
            open_dialogs = self.dialogs()
            if not open_dialogs:
                if self.modified_time(path) != before and os.path.isfile(path):
                    return True
                time.sleep(0.1)
                continue
            quiet_since = time.monotonic()
            window = open_dialogs[-1]
            title = self.screen.title(window)
            area = self.screen.area(window)
            self.focus(window)
            time.sleep(0.1)
            if title == "名前を付けて保存" and area and area[2] >= 500 and not typed:
                self.input.key("ctrl+a")
                self.input.type(path)
                time.sleep(0.2)
                self.input.key("Return")
                typed = True
            elif title == "名前を付けて保存" and area and area[2] < 500:
                # The question whether to replace the file: Yes is left of No, which has
                # the focus.
                self.input.key("shift+Tab")
                time.sleep(0.1)
                self.input.key("space")
            elif title in ("開く", "名前を付けて保存"):
                raise Failure("the save dialog stayed after %s was typed" % path)
            else:
                # A question or message of the editor's own: Return answers Yes or OK.
                self.input.key("Return")
            self.log.append("     end: answered %r" % title)
            time.sleep(0.3)
        return False

    def finish(self):
        self.close_dialogs()
        self.save_note(self.note)

        export_env = dict(self.env, QT_QPA_PLATFORM="offscreen")
        exported = os.path.join(self.base, "export.png")
        result = subprocess.run([self.args.tessary, "--export", exported, self.note],
                                env=export_env, cwd=self.base, capture_output=True,
                                timeout=max(120, self.args.answer_timeout))
        output = result.stdout.decode("utf-8", "replace") + result.stderr.decode("utf-8", "replace")
        if result.returncode != 0 or not os.path.isfile(exported):
            raise Failure("tessary --export of the saved note ended with %d:\n%s"
                          % (result.returncode, output))
        self.sanitizer_check(output, "tessary --export")

        # Opened again and saved under a second name: the same bytes.
        self.main_focused()
        self.input.key("ctrl+o")
        if self.wait_window("開く") is None:
            raise Failure("Ctrl+O showed no open dialog")
        self.input.key("ctrl+a")
        self.input.type(self.note)
        time.sleep(0.2)
        self.input.key("Return")
        self.check_answers("opening the note again")
        # The note may ask before it is replaced (Return answers Yes) and name pictures it
        # could not read (Return closes that).
        for _ in range(60):
            time.sleep(0.3)
            self.check_answers("the questions on opening")
            open_dialogs = self.dialogs()
            if not open_dialogs:
                break
            if self.screen.title(open_dialogs[-1]) in ("開く", "名前を付けて保存"):
                raise Failure("the open dialog stayed after %s was typed" % self.note)
            self.focus(open_dialogs[-1])
            self.input.key("Return")
        again = os.path.join(self.sandbox, "again.tsy")
        self.save_note(again)
        with open(self.note, "rb") as first, open(again, "rb") as second:
            if first.read() != second.read():
                raise Failure("the note saved again differs from the note opened (%s, %s)"
                              % (self.note, again))
        self.quit()

    def quit(self):
        """Closes the main window as the window manager's close button does, in whatever
        mode it is (full screen has no menu bar)."""
        main = self.main_window()
        if main is None:
            raise Failure("the main window is gone")
        self.screen.close(main)
        self.log.append("     end: the main window closed")
        deadline = time.monotonic() + max(120, self.args.answer_timeout)
        while self.editor.poll() is None and time.monotonic() < deadline:
            for window in self.dialogs():
                # A question before closing (the note was saved just now, so there should be
                # none): Yes saves onto the note; a file dialog is cancelled.
                self.focus(window)
                self.input.key("Escape" if self.screen.title(window) in ("開く", "名前を付けて保存")
                               else "Return")
            time.sleep(0.3)
        if self.editor.poll() is None:
            raise Failure("the editor did not end when its window was closed")
        if self.editor.returncode < 0:
            raise Failure("the editor ended by signal %d" % -self.editor.returncode)

    def sanitizer_check(self, text, who):
        for mark in SANITIZER_MARKS:
            if mark in text:
                raise Failure("%s reported %r:\n%s" % (who, mark, text[-6000:]))

    def editor_output(self):
        try:
            with open(self.editor_log, encoding="utf-8", errors="replace") as log:
                return log.read()
        except OSError:
            return ""

    def stop(self):
        """Ends the editor, the window manager and the X server. They are asked first: an
        X server that is killed leaves its lock file and socket behind."""
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait(timeout=10)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("tessary")
    parser.add_argument("--seed", type=int, default=None, help="the seed (default: a new one)")
    parser.add_argument("--actions", type=int, default=None, help="how many actions")
    parser.add_argument("--seconds", type=float, default=20, help="how long, without --actions")
    parser.add_argument("--answer-timeout", type=float, default=90,
                        help="how long the editor may take to answer")
    parser.add_argument("--keep", action="store_true", help="keep the test folder")
    parser.add_argument("--verbose", action="store_true", help="print each action as it is done")
    parser.add_argument("--shots", type=int, default=0,
                        help="a screenshot after every that many actions (with --keep)")
    args = parser.parse_args()
    args.tessary = os.path.realpath(args.tessary)
    for tool in ("Xvfb", "openbox", "xdotool", "convert"):
        if shutil.which(tool) is None:
            print("%s is missing: tools/deps.sh installs it" % tool)
            return 77
    if args.seed is None:
        args.seed = random.SystemRandom().randrange(1, 2**31)
    print("random input: seed %d" % args.seed, flush=True)

    session = Session(args)
    failed = None
    count = 0
    try:
        session.start()
        count = session.run()
        session.finish()
        session.sanitizer_check(session.editor_output(), "the editor")
    except (Failure, subprocess.TimeoutExpired) as problem:
        failed = str(problem)
    except Exception as problem:  # the test itself failed; show where
        import traceback
        failed = "the test broke: %s\n%s" % (problem, traceback.format_exc())
    finally:
        if failed is not None:
            try:
                shot = os.path.join(session.base, "screen.png")
                subprocess.run(["import", "-window", "root", shot], env=session.env,
                               timeout=30, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            except Exception:
                pass
        session.stop()

    if failed is None:
        # The editor may report at its very end.
        output = session.editor_output()
        for mark in SANITIZER_MARKS:
            if mark in output:
                failed = "the editor reported %r" % mark
    if failed is None:
        print("random input: %d actions (%s), seed %d: ok"
              % (count, ", ".join("%d %s" % (n, WHERE[what]) for what, n in sorted(session.reached.items())),
                 args.seed))
        if not args.keep:
            shutil.rmtree(session.base, ignore_errors=True)
        return 0

    print("FAIL: %s" % failed)
    print("--- actions (seed %d):" % args.seed)
    print("\n".join(session.log))
    print("--- editor output (last lines):")
    print("\n".join(session.editor_output().splitlines()[-150:]))
    print("--- replay: %s --seed %d --actions %d %s"
          % (os.path.realpath(__file__), args.seed, len(session.log), args.tessary))
    print("--- the test folder with a screenshot: %s" % session.base)
    return 1


if __name__ == "__main__":
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    sys.exit(main())
