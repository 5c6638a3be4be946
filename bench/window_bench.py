#!/usr/bin/env python3
"""The real program in a window under Xvfb against the floor program (floor_quads),
which draws the very quads the program drew (the engine's quad trace) and nothing
else. Prints figures and how to read them; never fails on time.

  bench/window_bench.py <build>/bin [pairs=3]
  bench/window_bench.py <build>/bin soak <seconds>   # random xdotool input, RSS over time
  bench/window_bench.py <build>/bin starts [pairs=21] # start-up only: a first start, a later
                                                     # start (Config.cfg there), the floor
  bench/window_bench.py <build>/bin ab <other build>/bin [rounds=3]
                                                     # the menu with the pointer moving,
                                                     # two builds of the program in turn

How it measures, so that a shared, loaded machine cannot bend the figures:
- its own Xvfb on a display that Xvfb itself found free (-displayfd), checked to be
  that very server (its lock file names our child), never another X server;
- one trace run first, with GH_QUAD_TRACE, through the same phases and the same
  scripted input as the measured runs: the floor draws the quads of that run, and
  writing the trace costs nothing in a measured run;
- pairs: program then floor, one after the other, repeated (at least 3); each
  pair's ratio is printed and the median of them is the figure;
- the same input (one seeded xdotool script per phase) goes to both programs;
- the load average before every pair, and when it ends.

Needs GH_FRAME_TRACE and GH_QUAD_TRACE support in the engine library (a line per
presented frame; every presented frame's quads to a file).
"""
import os, random, shutil, subprocess, sys, tempfile, threading, time

BIN = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build-bench/bin")
MODE = sys.argv[2] if len(sys.argv) > 2 and not sys.argv[2].isdigit() else "bench"
PAIRS = max(3, int(sys.argv[2])) if len(sys.argv) > 2 and sys.argv[2].isdigit() else 3
SOAK_S = int(sys.argv[3]) if MODE == "soak" and len(sys.argv) > 3 else 300
MODE_N = int(sys.argv[-1]) if MODE in ("starts", "ab") and sys.argv[-1].isdigit() else None
TICK = os.sysconf("SC_CLK_TCK")
IDLE_S = 30      # idle main menu
SCREEN_S = 10    # idle Options, idle High Score
ACTIVE_S = 10    # menu with the pointer moving; busy play
# Interleaved start-up pairs. One start varies by +-20 % here (the GL driver's
# loading above all), so the medians need many.
STARTS = 21
FPS = 60


def now_ns():
    return time.clock_gettime_ns(time.CLOCK_MONOTONIC)


def load():
    return "load average %.2f %.2f %.2f" % os.getloadavg()


def cpu_s(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICK  # utime + stime


def rss_kb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith(("VmRSS", "VmHWM")):
                yield line.split(":")[0], int(line.split()[1])


def median(values):
    v = sorted(values)
    n = len(v)
    return (v[n // 2] + v[(n - 1) // 2]) / 2 if v else float("nan")


# ---- the X server ---------------------------------------------------------------------

class OwnXvfb:
    """Xvfb on a display it found free itself; checked to be this very server."""

    def __init__(self):
        r, w = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(w), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
            pass_fds=(w,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(w)
        number = b""
        with os.fdopen(r, "rb") as pipe:  # Xvfb writes the number once it accepts clients
            number = pipe.readline().strip()
        if not number.isdigit():
            self.proc.kill()
            raise SystemExit("Xvfb did not start")
        self.display = ":" + number.decode()
        if not self._listens_on(f"/tmp/.X11-unix/X{number.decode()}"):
            self.stop()
            raise SystemExit(f"display {self.display} is not served by our Xvfb")

    def _listens_on(self, path):
        """The display's socket is one of our Xvfb's own open files."""
        inodes = set()
        with open("/proc/net/unix") as f:
            for line in f:
                fields = line.split()
                if len(fields) >= 8 and fields[7].lstrip("@") == path:
                    inodes.add(fields[6])
        fds = os.path.join("/proc", str(self.proc.pid), "fd")
        mine = {os.readlink(os.path.join(fds, fd)) for fd in os.listdir(fds)}
        return any(f"socket:[{i}]" in mine for i in inodes)

    def stop(self):
        self.proc.terminate()
        try:
            self.proc.wait(10)
        except subprocess.TimeoutExpired:
            self.proc.kill()


def own_display():
    """Our own Xvfb and the environment every run gets: its display, the frame trace on,
    no audio device."""
    xvfb = OwnXvfb()
    return xvfb, dict(os.environ, DISPLAY=xvfb.display, GH_FRAME_TRACE="1",
                      SDL_AUDIODRIVER="dummy")


# ---- input: one xdotool process per phase, the same script for both programs ---------

def moving_script(seconds):
    """The pointer sweeping the menu's empty right half, one move a frame."""
    steps, args = seconds * FPS, []
    for i in range(steps):
        x = 560 + int(180 * abs((i % 240) / 120 - 1))
        y = 120 + int(360 * abs((i % 150) / 75 - 1))
        args += ["mousemove", "--window", "%1", x, y, "sleep", "%.4f" % (1 / FPS)]
    return args


def busy_script(seconds):
    """Firing at random places of the scene, holding the button, reloading now and then."""
    rnd = random.Random(7)
    args, t = [], 0.0
    while t < seconds:
        x, y = rnd.randrange(40, 760), rnd.randrange(150, 420)
        args += ["mousemove", "--window", "%1", x, y, "mousedown", 1, "sleep", 0.2, "mouseup", 1]
        t += 0.2
        if rnd.random() < 0.1:
            args += ["click", 3]
        args += ["sleep", 0.05]
        t += 0.05
    return args


class Input:
    """Runs an xdotool script against a window (found by name) in the background."""

    def __init__(self, env, name, script):
        cmd = ["xdotool", "search", "--sync", "--name", name] + [str(a) for a in script]
        self.proc = subprocess.Popen(cmd, env=env, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
        self.proc.wait(10)


def xdo(env, *args):
    subprocess.run(["xdotool", *map(str, args)], env=env, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=10)


def window_origin(env):
    out = subprocess.run(["xdotool", "search", "--name", "Gravelhorn 2", "getwindowgeometry"],
                         env=env, capture_output=True, text=True, timeout=10).stdout
    for line in out.splitlines():
        if "Position:" in line:
            x, y = line.split()[1].split(",")
            return int(x), int(y)
    return 0, 0


def click(env, game, x, y):
    """Over a widget for a frame or two (it takes the focus), then a click; true when
    a frame followed the click (with the pointer at rest, only a new screen draws one)."""
    ox, oy = window_origin(env)
    n = game.last_frame()
    xdo(env, "mousemove", ox + x, oy + y)
    game.wait_frames(lambda f: f[0] > n, timeout=5)
    time.sleep(0.3)
    n = game.last_frame()
    xdo(env, "click", 1)
    return game.wait_frames(lambda f: f[0] > n, timeout=10) is not None


# ---- the program -----------------------------------------------------------------------

class Game:
    """The program with its frame trace read on a thread."""

    def __init__(self, env, quad_trace=False, config=None, bin_dir=None):
        self.folder = tempfile.mkdtemp(prefix="gh-window-")
        for name in ("gravelhorn2", "system.so"):
            shutil.copy(os.path.join(bin_dir or BIN, name), self.folder)
        if config is not None:  # a later start: the settings file is there
            with open(os.path.join(self.folder, "Config.cfg"), "wb") as f:
                f.write(config)
        os.symlink(os.path.join(BIN, "Data"), os.path.join(self.folder, "Data"))
        self.frames = []  # (n, ns, sprites + meshes)
        self.steps = {}   # start-up steps of the engine's opening: name -> ns
        self.quad_trace = os.path.join(self.folder, "quads.txt") if quad_trace else None
        if quad_trace:
            env = dict(env, GH_QUAD_TRACE=self.quad_trace)
        self.start_ns = now_ns()
        self.proc = subprocess.Popen([os.path.join(self.folder, "gravelhorn2")], env=env,
                                     stderr=subprocess.PIPE, text=True)
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.proc.stderr:
            if line.startswith("gh-frame "):
                _, n, ns, sprites, meshes = line.split()
                self.frames.append((int(n), int(ns), int(sprites) + int(meshes)))
            elif line.startswith("gh-start "):
                _, step, ns = line.split()
                self.steps.setdefault(step, int(ns))

    def wait_frames(self, pred, timeout=60):
        end = time.time() + timeout
        while time.time() < end:
            for f in list(self.frames):
                if pred(f):
                    return f
            time.sleep(0.05)
        return None

    def settle(self, after=None, quiet_s=2.0, timeout=90):
        """Waits for a frame after frame `after` (what an action changed), then until no
        frame was presented for quiet_s (a fade or a move has ended)."""
        if after is not None:
            self.wait_frames(lambda f: f[0] > after, timeout=10)
        end = time.time() + timeout
        while time.time() < end:
            last = self.frames[-1][1] if self.frames else self.start_ns
            if now_ns() - last >= quiet_s * 1e9:
                return True
            time.sleep(0.1)
        return False

    def last_frame(self):
        return self.frames[-1][0] if self.frames else 0

    def measure(self, seconds, inp=None):
        """CPU seconds per second and frames presented over `seconds` (with input running)."""
        first = len(self.frames)
        c0, t0 = cpu_s(self.proc.pid), now_ns()
        time.sleep(seconds)
        c1, t1 = cpu_s(self.proc.pid), now_ns()
        if inp:
            inp.stop()
        wall, shown = (t1 - t0) / 1e9, len(self.frames) - first
        return dict(cpu_per_s=(c1 - c0) / wall, shown_per_s=shown / wall,
                    ms_per_frame=(c1 - c0) * 1000 / max(1, shown))

    def keep_trace(self):
        fd, path = tempfile.mkstemp(prefix="gh-quads-", suffix=".txt")
        os.close(fd)
        shutil.copy(self.quad_trace, path)
        return path

    def stop(self):
        self.proc.terminate()
        try:
            self.proc.wait(10)
        except subprocess.TimeoutExpired:
            self.proc.kill()
        shutil.rmtree(self.folder, ignore_errors=True)


def run_floor(env, args, script=None):
    """Runs floor_quads (with the phase's input, if any); its key=value report and exec time."""
    t0 = now_ns()
    proc = subprocess.Popen([os.path.join(BIN, "floor_quads"), *map(str, args)], env=env,
                            stdout=subprocess.PIPE, text=True)
    inp = Input(env, "floor", script) if script else None
    out, _ = proc.communicate(timeout=180)
    if inp:
        inp.stop()
    return dict(line.split("=", 1) for line in out.splitlines() if "=" in line), t0


def floor_cpu(env, trace, frames, script, shown_per_s=FPS):
    """The floor drawing the traced frames (first, count), `shown_per_s` of its 60 frames a
    second (as many as the program showed): CPU s/s and ms a frame shown."""
    kv, _ = run_floor(env, ["scene", trace, frames[0], frames[1], ACTIVE_S * FPS,
                            f"{min(FPS, shown_per_s):.2f}"], script)
    cpu, wall, n = float(kv["cpu_s"]), float(kv["wall_s"]), int(kv["shown"])
    return dict(cpu_per_s=cpu / wall, shown_per_s=n / wall, ms_per_frame=cpu * 1000 / max(1, n))


# ---- the phases (the same in the trace run and the measured runs) ----------------------

def start_to_menu(env, trace=False):
    game = Game(env, trace)
    if not game.wait_frames(lambda f: f[2] >= 8):  # background, six buttons, pointer
        game.stop()
        raise SystemExit("the program showed no main menu")
    xdo(env, "mousemove", *(v + d for v, d in zip(window_origin(env), (700, 550))))
    return game


def phases(env, game, measure):
    """Runs every phase; `measure(name, seconds, input)` measures one (or just waits).
    Idle phases start once the screen has stopped changing (the menu's fade-in, the
    pointer's last move)."""
    out = {}
    rest = lambda: xdo(env, "mousemove", *(v + d for v, d in zip(window_origin(env), (700, 550))))
    game.settle()
    out["idle"] = measure("idle", IDLE_S, None)
    n = game.last_frame()
    if not click(env, game, 400, 250):  # Options
        print("warning: the Options screen was not reached", flush=True)
    rest()
    game.settle(n)
    out["options"] = measure("options", SCREEN_S, None)
    n = game.last_frame()
    xdo(env, "key", "Escape")
    game.settle(n)
    n = game.last_frame()
    if not click(env, game, 400, 307):  # High Score
        print("warning: the High Score screen was not reached", flush=True)
    rest()
    game.settle(n)
    out["hiscore"] = measure("hiscore", SCREEN_S, None)
    n = game.last_frame()
    xdo(env, "key", "Escape")
    rest()
    game.settle(n)
    out["moving"] = measure("moving", ACTIVE_S, moving_script(ACTIVE_S + 2))
    if not click(env, game, 400, 192):  # Start Game
        print("warning: the game did not start", flush=True)
    time.sleep(4)
    out["busy"] = measure("busy", ACTIVE_S, busy_script(ACTIVE_S + 2))
    return out


def trace_run(env):
    """The quad trace of every phase, and which traced frames each phase drew."""
    game = start_to_menu(env, trace=True)

    def mark(name, seconds, script):
        inp = Input(env, "Gravelhorn 2", script) if script else None
        time.sleep(0.5)
        first = game.last_frame() + 1
        time.sleep(seconds)
        last = game.last_frame()
        if inp:
            inp.stop()
        return (first, max(1, last - first + 1))

    spans = phases(env, game, mark)
    trace = game.keep_trace()
    game.stop()
    return trace, spans


def program_run(env):
    game = start_to_menu(env)

    def measure(name, seconds, script):
        inp = Input(env, "Gravelhorn 2", script) if script else None
        if inp:
            time.sleep(0.5)
        return game.measure(seconds, inp)

    out = phases(env, game, measure)
    out["memory"] = dict(rss_kb(game.proc.pid))
    game.stop()
    return out


def program_first_frame(env, config=None, steps=None):
    """ms from exec to the first presented frame; `steps` gets the steps on the way."""
    game = Game(env, config=config)
    first = game.wait_frames(lambda f: True)
    game.stop()
    if steps is not None and first:
        steps.append({k: (game.steps.get(s, 0) - game.start_ns) / 1e6
                      for k, s in (("library", "library"), ("window", "open"), ("context", "context"),
                                   ("ready", "ready"))})
        steps[-1]["frame"] = (first[1] - game.start_ns) / 1e6
    return (first[1] - game.start_ns) / 1e6 if first else float("nan")


def floor_first_frame(env, steps=None):
    kv, t0 = run_floor(env, [8, 30, "backdrop"])
    if steps is not None:
        steps.append({k: (int(kv[k + "_ns"]) - t0) / 1e6 for k in ("window", "context")})
        steps[-1]["frame"] = (int(kv["first_frame_ns"]) - t0) / 1e6
    return (int(kv["first_frame_ns"]) - t0) / 1e6


def main():
    xvfb, env = own_display()
    try:
        print(f"own Xvfb on {xvfb.display} (pid {xvfb.proc.pid}, its socket checked); {load()}")
        trace, spans = trace_run(env)
        print("trace run: " + ", ".join(f"{k} frames {v[0]}..{v[0] + v[1] - 1}" for k, v in spans.items()))
        rows = []
        for pair in range(PAIRS):
            before = load()
            p = program_run(env)
            # The floor shows as many frames a second as the program did in the phase.
            f_moving = floor_cpu(env, trace, spans["moving"], moving_script(ACTIVE_S + 2),
                                 p["moving"]["shown_per_s"])
            f_busy = floor_cpu(env, trace, spans["busy"], busy_script(ACTIVE_S + 2),
                               p["busy"]["shown_per_s"])
            rows.append((p, f_moving, f_busy))
            print(f"pair {pair + 1} ({before}):\n"
                  f"    idle: main menu {p['idle']['cpu_per_s'] * 100:.1f} % of a core"
                  f" ({p['idle']['shown_per_s']:.1f} frames shown/s),"
                  f" Options {p['options']['cpu_per_s'] * 100:.1f} %"
                  f" ({p['options']['shown_per_s']:.1f}/s),"
                  f" High Score {p['hiscore']['cpu_per_s'] * 100:.1f} %"
                  f" ({p['hiscore']['shown_per_s']:.1f}/s)", flush=True)
            for name, f in (("menu, pointer moving", f_moving), ("busy play", f_busy)):
                m = p["moving" if f is f_moving else "busy"]
                print(f"    {name:<21} program {m['ms_per_frame']:6.2f} CPU ms a frame shown"
                      f" ({m['shown_per_s']:4.1f} shown/s, {m['cpu_per_s']:.3f} CPU s/s);"
                      f" floor {f['ms_per_frame']:6.2f} ({f['shown_per_s']:4.1f}/s,"
                      f" {f['cpu_per_s']:.3f} CPU s/s): {m['ms_per_frame'] / f['ms_per_frame']:.2f}x",
                      flush=True)
        os.remove(trace)
        # Whichever starts first after the other's exit is slower here (by 10-40 ms),
        # so the order alternates from pair to pair.
        starts = []
        for i in range(STARTS):
            if i % 2 == 0:
                p = program_first_frame(env)
                starts.append((p, floor_first_frame(env)))
            else:
                f = floor_first_frame(env)
                starts.append((program_first_frame(env), f))
        print()
        print(f"medians of {PAIRS} interleaved pairs (program run, then floor runs), {load()}:")
        for key, label, target in (("idle", f"idle main menu ({IDLE_S} s)", "  (target 5 %)"),
                                   ("options", f"idle Options ({SCREEN_S} s)", "  (target 5 %)"),
                                   ("hiscore", f"idle High Score ({SCREEN_S} s)", "  (target 5 %)")):
            print(f"  {label:<28} {median([r[0][key]['cpu_per_s'] for r in rows]) * 100:5.1f}"
                  f" % of a core{target}")
        for key, col, label in (("moving", 1, "menu, pointer moving"), ("busy", 2, "busy play")):
            ratios = [r[0][key]["ms_per_frame"] / r[col]["ms_per_frame"] for r in rows]
            print(f"  {label + ' (' + str(ACTIVE_S) + ' s)':<28} program/floor CPU a frame"
                  f" {median(ratios):.2f}x (pairs {' '.join(f'{x:.2f}' for x in ratios)};"
                  f" target 1.05x)")
        ratios = [p / f for p, f in starts]
        print(f"  start-up, {STARTS} interleaved pairs: exec to the first presented frame"
              f" {median([s[0] for s in starts]):.0f} ms"
              f" ({min(s[0] for s in starts):.0f}-{max(s[0] for s in starts):.0f}),"
              f" floor {median([s[1] for s in starts]):.0f} ms"
              f" ({min(s[1] for s in starts):.0f}-{max(s[1] for s in starts):.0f});"
              f" ratio per pair {' '.join(f'{r:.2f}' for r in ratios)}, median {median(ratios):.2f}x"
              f" (median over median {median([s[0] for s in starts]) / median([s[1] for s in starts]):.2f}x)"
              f"  (target 1.05x)")
        mem = rows[-1][0]["memory"]
        print(f"  memory after play (last run): RSS {mem.get('VmRSS')} kB, peak {mem.get('VmHWM')} kB")
    finally:
        xvfb.stop()


def soak(env, game):
    """Random real input for SOAK_S seconds; RSS every 10 s. The program must not fail:
    when the input itself quits it (Exit Game, "Yes"), a new session starts."""
    rnd = random.Random(11)
    ox, oy = window_origin(env)
    keys = ["Escape", "Return", "p", "Tab", "Up", "Down", "BackSpace", "a", "1", "2", "3"]
    start = time.time()
    end = start + SOAK_S
    next_sample = start
    samples, quits = [], []
    session = 1
    while time.time() < end:
        status = game.proc.poll()
        if status is not None:
            if status != 0:
                break
            quits.append(round(time.time() - start))
            game.stop()
            game = Game(env)
            session += 1
            if not game.wait_frames(lambda f: f[2] >= 8):
                break
            ox, oy = window_origin(env)
            continue
        r = rnd.random()
        if r < 0.5:
            xdo(env, "mousemove", ox + rnd.randrange(0, 800), oy + rnd.randrange(0, 600), "click", 1)
        elif r < 0.6:
            xdo(env, "mousemove", ox + 400, oy + 190, "click", 1)  # Start Game
        elif r < 0.75:
            xdo(env, "mousedown", 1); time.sleep(0.3); xdo(env, "mouseup", 1)
        elif r < 0.8:
            xdo(env, "click", 3)
        elif r < 0.85:
            xdo(env, "click", rnd.choice([4, 5]))
        elif r < 0.97:
            k = rnd.choice(keys)
            if k == "Escape" and rnd.random() < 0.7:
                k = "p"
            xdo(env, "key", k)
        else:
            xdo(env, "type", "abc")
        if time.time() >= next_sample and game.proc.poll() is None:
            m = dict(rss_kb(game.proc.pid))
            samples.append((round(time.time() - start), session, m.get("VmRSS"), len(game.frames),
                            round(cpu_s(game.proc.pid), 1)))
            next_sample += 10
        time.sleep(0.05)
    status = game.proc.poll()
    print("seconds  session  RSS kB  frames  CPU s")
    for s in samples:
        print(f"{s[0]:7} {s[1]:8} {s[2]:7} {s[3]:7} {s[4]:6}")
    if quits:
        print("the input quit the program (a new session started) at " + ", ".join(f"{q} s" for q in quits))
    print(f"program {'still running' if status is None else 'ended with %s' % status}"
          f" after {SOAK_S} s of random input")
    game.stop()


def soak_main():
    xvfb, env = own_display()
    try:
        print(f"own Xvfb on {xvfb.display}; {load()}")
        game = Game(env)
        if not game.wait_frames(lambda f: f[2] >= 8):
            print("the program showed no main menu")
            game.stop()
            return
        soak(env, game)
        print(load())
    finally:
        xvfb.stop()


def first_config(env):
    """The Config.cfg a first start writes (behind its loading picture)."""
    game = start_to_menu(env)
    with open(os.path.join(game.folder, "Config.cfg"), "rb") as f:
        data = f.read()
    game.stop()
    return data


def starts_main():
    """Start-up alone: a first start, a later start and the floor, in turn."""
    pairs = MODE_N or STARTS
    xvfb, env = own_display()
    try:
        print(f"own Xvfb on {xvfb.display}; {load()}", flush=True)
        config = first_config(env)
        first_steps, later_steps, floor_steps = [], [], []
        runs = (lambda: program_first_frame(env, None, first_steps),
                lambda: program_first_frame(env, config, later_steps),
                lambda: floor_first_frame(env, floor_steps))
        rows = []
        for r in range(pairs):
            # The order turns from round to round: a start right after another's exit
            # is slower here, whichever program it is.
            row = [0.0] * 3
            for k in range(3):
                i = (r + k) % 3
                row[i] = runs[i]()
            rows.append(tuple(row))
        print(f"{pairs} rounds (first start, later start, floor; the order turning), {load()}:")
        for i, name in enumerate(("first start", "later start", "floor")):
            v = [r[i] for r in rows]
            print(f"  {name:<12} exec to the first presented frame {median(v):6.1f} ms"
                  f" ({' '.join(f'{x:.0f}' for x in v)})")
        for i, name in enumerate(("first start", "later start")):
            ratios = [r[i] / r[2] for r in rows]
            print(f"  {name:<12} / floor per round {' '.join(f'{x:.2f}' for x in ratios)},"
                  f" median {median(ratios):.2f}x (median over median"
                  f" {median([r[i] for r in rows]) / median([r[2] for r in rows]):.2f}x)  (target 1.05x)")
        # Where the time goes: the engine library loaded (the program only), the window
        # made (the program: and the engine called to open on it), the GL context, the
        # engine ready to draw (its shader program linked), the first frame shown.
        def steps_line(steps, names):
            return ", ".join(f"{n} {median([s[n] for s in steps]):.1f}" for n in names)
        print("  steps, median ms from exec:")
        for name, steps in (("first start", first_steps), ("later start", later_steps)):
            print(f"    {name:<12} " + steps_line(steps, ("library", "window", "context", "ready", "frame")))
        print("    floor        " + steps_line(floor_steps, ("window", "context", "frame")))
    finally:
        xvfb.stop()


def ab_main():
    """The menu with the pointer moving: CPU a frame shown, two builds in turn."""
    global BIN
    builds = [BIN, os.path.abspath(sys.argv[3])]
    rounds = MODE_N if MODE_N and len(sys.argv) > 4 else 3
    xvfb, env = own_display()
    results = {b: [] for b in builds}
    try:
        print(f"own Xvfb on {xvfb.display}; {load()}", flush=True)
        for r in range(rounds):
            for b in builds:
                BIN = b
                game = start_to_menu(env)
                game.settle()
                inp = Input(env, "Gravelhorn 2", moving_script(ACTIVE_S + 2))
                time.sleep(0.5)
                m = game.measure(ACTIVE_S, inp)
                game.stop()
                results[b].append(m)
                print(f"round {r + 1} {b}: {m['ms_per_frame']:.2f} CPU ms a frame shown"
                      f" ({m['shown_per_s']:.1f} shown/s, {m['cpu_per_s']:.3f} CPU s/s)", flush=True)
        ratios = [m2["ms_per_frame"] / m1["ms_per_frame"]
                  for m1, m2 in zip(results[builds[0]], results[builds[1]])]
        print(f"second/first per round {' '.join(f'{x:.3f}' for x in ratios)},"
              f" median {median(ratios):.3f}; {load()}")
    finally:
        xvfb.stop()


if __name__ == "__main__":
    {"soak": soak_main, "starts": starts_main, "ab": ab_main}.get(MODE, main)()
