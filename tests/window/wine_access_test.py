#!/usr/bin/env python3
"""The Windows build under Wine as a screen reader meets it, on a private Xvfb server.

A client built for the same Windows build (access_client.exe) reads the window through
the system's accessibility library: the client area's children with their roles,
states, places, names, descriptions and default actions, which must be the
catalogue's words. While it listens to the window's events, the demonstration is
played with real keys (xdotool): the focus events name the substrate and Reset, the
drop on the enzyme raises an alert with the catalogue's sentence, the hidden and shown
pictures raise hide and show events. Then the complex's default action, done by the
client, must give the product.

Usage: wine_access_test.py MORVANE.exe ACCESS_CLIENT.exe WINE_RUN CATALOGUE
  WINE_RUN: tools/wine-run.sh, which picks Wine's loader for the program's machine.
Exit codes: 0 passed, 1 failed, 77 skipped (no Xvfb, xdotool or Wine loader for it, or a
machine that cannot run 32-bit programs).
"""

import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import real_window_test as rw  # noqa: E402
import wine_window_test as ww  # noqa: E402
from catalogue import read_catalogue  # noqa: E402

TITLE = "What Do Enzymes Do?"
ROLE_STATICTEXT, ROLE_GRAPHIC, ROLE_PUSHBUTTON, ROLE_ALERT = 41, 40, 43, 8
FOCUSED, SELECTED, INVISIBLE, FOCUSABLE = 0x4, 0x2, 0x8000, 0x100000
# The controls in tab order, with their places in client pixels.
NODES = [("Label1", (192, 0, 281, 33)), ("Picture1", (200, 272, 273, 233)), ("Picture2", (192, 64, 209, 201)),
         ("Picture3", (176, 48, 241, 217)), ("Picture4", (216, 272, 257, 233)), ("Command1", (512, 72, 81, 33))]


class Client:
    def __init__(self, exe, wine_run, env):
        self.exe, self.wine_run, self.env = exe, wine_run, env

    def run(self, *args, timeout=60):
        r = subprocess.run([self.wine_run, self.exe] + [str(a) for a in args], env=self.env, capture_output=True,
                           timeout=timeout)
        if r.returncode != 0:
            raise rw.Failure("access_client %s: exit %d: %s" % (" ".join(map(str, args)), r.returncode,
                                                                 r.stderr.decode(errors="replace").strip()))
        return r.stdout.decode("utf-8")

    def tree(self):
        """{"client": fields, 1: fields, ...; "focus": id}, fields as access_client prints them."""
        out = {}
        for line in self.run("tree", TITLE).splitlines():
            f = line.split("\t")
            if f[0] == "focus":
                out["focus"] = int(f[1])
            elif f[0] in ("client", "child"):
                x, y, w, h = map(int, f[5].split(","))
                item = dict(role=int(f[2]), state=int(f[4], 16), place=(x, y, w, h), name=f[6], description=f[7],
                            action=f[8])
                out["client" if f[0] == "client" else int(f[1])] = item
        return out

    def listen(self, seconds):
        p = subprocess.Popen([self.wine_run, self.exe, "listen", TITLE, str(seconds)], env=self.env,
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        line = p.stdout.readline().decode()
        if line.strip() != "listening":
            p.kill()
            raise rw.Failure("access_client did not start listening: %r %s" % (line, p.stderr.read().decode()))
        return p


def check_tree(t, words, state):
    """The children as the catalogue names them, each in its place, in `state`."""
    visible = {"Start": {"Label1", "Picture1", "Picture2", "Command1"},
               "Complex": {"Label1", "Picture4", "Command1"},
               "Product": {"Label1", "Picture1", "Picture3", "Command1"}}[state]
    if len([k for k in t if isinstance(k, int)]) != len(NODES) + 1:
        raise rw.Failure("%d children, not %d nodes and the alert" % (len(t) - 2, len(NODES)))
    cx, cy = t["client"]["place"][:2]
    if (t["client"]["name"], t["client"]["description"]) != (TITLE, words["Form1 description"]):
        raise rw.Failure("the client area is %r, %r" % (t["client"]["name"], t["client"]["description"]))
    for i, (name, place) in enumerate(NODES, 1):
        c = t[i]
        if c["name"] != words[name + " name"] or c["description"] != words.get(name + " description", ""):
            raise rw.Failure("child %d (%s) is %r, %r, not the catalogue's words" % (i, name, c["name"], c["description"]))
        if (c["place"][0] - cx, c["place"][1] - cy) + c["place"][2:] != place:
            raise rw.Failure("%s is at %s in the client area, not %s" % (name, c["place"], place))
        if bool(c["state"] & INVISIBLE) == (name in visible):
            raise rw.Failure("%s in %s: state 0x%x" % (name, state, c["state"]))
    expect = {1: (ROLE_STATICTEXT, ""), 2: (ROLE_GRAPHIC, ""), 3: (ROLE_GRAPHIC, words["action pick up"] if "Picture2" in visible else ""),
              4: (ROLE_GRAPHIC, ""), 5: (ROLE_PUSHBUTTON, words["action click"] if "Picture4" in visible else ""),
              6: (ROLE_PUSHBUTTON, words["action press"])}
    for i, (role, action) in expect.items():
        if (t[i]["role"], t[i]["action"]) != (role, action):
            raise rw.Failure("%s: role %d, default action %r; expected %d, %r" % (
                NODES[i - 1][0], t[i]["role"], t[i]["action"], role, action))
    if t[len(NODES) + 1]["role"] != ROLE_ALERT:
        raise rw.Failure("the last child is no alert")


def run(session, client, words):
    session.start()
    session.expect_state("Start", "start-up")
    t = client.tree()
    check_tree(t, words, "Start")
    if t["focus"] != 2 or not t[2]["state"] & FOCUSED:
        raise rw.Failure("the focus is on child %s at start, not the free enzyme" % t["focus"])
    if t[7]["name"] != words["shows Picture1 Picture2"]:
        raise rw.Failure("the alert says %r at start" % t[7]["name"])

    listener = client.listen(60)
    try:
        session.xdo("windowfocus", session.window, check=False)
        session.key("Tab")
        session.wait_for("the focus ring around the substrate", rw.ring_on(rw.PICTURE2))
        session.key("space")
        end = time.monotonic() + 10
        while not (t := client.tree())[3]["state"] & SELECTED and time.monotonic() < end:
            time.sleep(0.2)
        if not t[3]["state"] & SELECTED or t[3]["action"] != words["action put down"]:
            raise rw.Failure("the picked-up substrate: state 0x%x, action %r" % (t[3]["state"], t[3]["action"]))
        for _ in range(3):
            session.key("shift+Down")
        session.key("space")
        session.expect_state("Complex", "the substrate put down on the enzyme")
        check_tree(client.tree(), words, "Complex")
        session.key("Tab")
        session.wait_for("the focus ring around the complex", rw.ring_on(rw.PICTURE4))
        session.key("Tab")
        session.wait_for("the focus on Reset", rw.button_focused)
        client.run("do", TITLE, 5)  # the complex's default action
        session.expect_state("Product", "the complex's default action")
        check_tree(client.tree(), words, "Product")
        time.sleep(1)  # the last events on their way
    finally:
        session.close_and_wait()
        out, err = listener.communicate(timeout=60)
    events = [l.split("\t")[1:] for l in out.decode("utf-8").splitlines() if l.startswith("event\t")]
    print("events: " + "; ".join("%s %s %s" % (e[0], e[2], e[3]) for e in events))
    said = [e[3] for e in events if e[0] == "alert"]
    focus = [e[3] for e in events if e[0] == "focus"]
    if words["Picture2 name"] not in focus or words["Picture4 name"] not in focus or words["Command1 name"] not in focus:
        raise rw.Failure("the focus events name %s" % focus)
    drop = [s for s in said if words["Picture2 put down on Picture1"] in s]
    if not drop or words["shows Picture4"] not in drop[0]:
        raise rw.Failure("no alert says the drop on the enzyme and the complex: %s" % said)
    if not any(words["shows Picture1 Picture3"] in s for s in said):
        raise rw.Failure("no alert says the product: %s" % said)
    for kind, node in (("hide", 2), ("hide", 3), ("show", 5), ("hide", 5), ("show", 4), ("show", 2)):
        if not any(e[0] == kind and e[2] == str(node) for e in events):
            raise rw.Failure("no %s event for %s" % (kind, NODES[node - 1][0]))


def main(argv):
    if len(argv) != 5:
        print(__doc__)
        return 2
    exe, client_exe, wine_run, catalogue = (os.path.abspath(a) for a in argv[1:])
    build = ww.BUILDS[ww.pe_machine(exe)]
    reason = ww.skip_reason(build, wine_run)
    if reason:
        print("skipped: %s" % reason)
        return rw.SKIP
    words = read_catalogue(catalogue)
    prefix = ww.wine_prefix(build, exe)
    server_env = dict(os.environ, WINEPREFIX=prefix)
    xvfb, display = rw.start_xvfb()
    try:
        # A Wine session of this display's own (see wine_window_test.py).
        subprocess.run([ww.WINESERVER, "-k"], env=server_env, timeout=30, check=False, capture_output=True)
        subprocess.run([ww.WINESERVER, "-w"], env=server_env, timeout=30, check=False, capture_output=True)
        session = ww.WineSession(exe, wine_run, display, None, build, prefix)
        client = Client(client_exe, wine_run, session.env)
        try:
            colors = os.path.join(os.path.dirname(os.path.abspath(__file__)), "standard_colors.reg")
            r = subprocess.run([wine_run, "regedit", "/S", colors], env=dict(session.env, MORVANE_WINEARCH=build["arch"]),
                               capture_output=True, timeout=120)
            if r.returncode != 0:
                raise rw.Failure("cannot set the colour scheme in %s: %s" % (prefix, r.stderr.decode(errors="replace")))
            run(session, client, words)
        finally:
            session.stop()
    except rw.Failure as e:
        print("FAILED:", e)
        return 1
    finally:
        subprocess.run([ww.WINESERVER, "-k"], env=server_env, timeout=30, check=False, capture_output=True)
        rw.stop_xvfb(xvfb)
    print("the %s window through the system's accessibility library: passed" % build["name"])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
