#!/usr/bin/env python3
"""The real program in a window under Xvfb: start-up time, CPU and frame
intervals idle in the menu and during busy play (driven with xdotool), memory;
each against the floor program (floor_quads) drawing the very quads the program
drew in the measured frames (the engine's quad trace). Prints figures and how to
read them; never fails on time.

  bench/window_bench.py <build>/bin [frames=600]
  bench/window_bench.py <build>/bin soak <seconds>   # random xdotool input, RSS over time

Needs GH_FRAME_TRACE and GH_QUAD_TRACE support in the engine library (a line per
presented frame; every frame's quads to a file).
"""
import os, random, shutil, subprocess, sys, tempfile, threading, time

BIN = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build/bin")
MODE = sys.argv[2] if len(sys.argv) > 2 and not sys.argv[2].isdigit() else "bench"
FRAMES = int(sys.argv[2]) if len(sys.argv) > 2 and sys.argv[2].isdigit() else 600
SOAK_S = int(sys.argv[3]) if MODE == "soak" and len(sys.argv) > 3 else 300
TICK = os.sysconf("SC_CLK_TCK")


def now_ns():
    return time.clock_gettime_ns(time.CLOCK_MONOTONIC)


def cpu_s(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICK  # utime + stime


def rss_kb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith(("VmRSS", "VmHWM")):
                yield line.split(":")[0], int(line.split()[1])


def pct(values, p):
    v = sorted(values)
    return v[min(len(v) - 1, int(p * (len(v) - 1) + 0.5))] if v else 0.0


class Game:
    """The program with its frame trace read on a thread."""

    def __init__(self, env):
        self.folder = tempfile.mkdtemp(prefix="gh-window-")
        for name in ("gravelhorn2", "system.so"):
            shutil.copy(os.path.join(BIN, name), self.folder)
        os.symlink(os.path.join(BIN, "Data"), os.path.join(self.folder, "Data"))
        self.frames = []  # (n, ns, sprites)
        self.quad_trace = os.path.join(self.folder, "quads.txt")
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

    def wait_frames(self, pred, timeout=60):
        end = time.time() + timeout
        while time.time() < end:
            for f in self.frames:
                if pred(f):
                    return f
            time.sleep(0.05)
        return None

    def measure(self, frames):
        """CPU per second and frame intervals over the next `frames` frames."""
        first = len(self.frames)
        c0, t0 = cpu_s(self.proc.pid), now_ns()
        while len(self.frames) < first + frames + 1 and self.proc.poll() is None:
            time.sleep(0.05)
        c1, t1 = cpu_s(self.proc.pid), now_ns()
        got = self.frames[first:first + frames + 1]
        ms = [(b[1] - a[1]) / 1e6 for a, b in zip(got, got[1:])]
        sprites = max((f[2] for f in got), default=0)
        return dict(cpu_per_s=(c1 - c0) / ((t1 - t0) / 1e9), cpu_ms_per_frame=(c1 - c0) * 1000 / max(1, len(ms)),
                    p50=pct(ms, .5), p90=pct(ms, .9), p99=pct(ms, .99), max=max(ms, default=0),
                    frames=len(ms), sprites=sprites, first_frame=got[0][0] if got else 0)

    def keep_trace(self):
        """The quad trace, moved out of the folder that stop() removes."""
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


def run_floor(env, *args):
    """Runs floor_quads; its key=value report and the exec time (ns) it started at."""
    t0 = now_ns()
    out = subprocess.run([os.path.join(BIN, "floor_quads"), *map(str, args)], env=env,
                         capture_output=True, text=True, timeout=120).stdout
    return dict(line.split("=", 1) for line in out.splitlines() if "=" in line), t0


def floor(env, trace, first_frame, frames, quads):
    """The floor program drawing the quads the program drew in the same frames."""
    kv, _ = run_floor(env, "scene", trace, first_frame, frames)
    wall = float(kv.get("wall_s", 1))
    # Intervals between presented frames, as the program's frame trace measures them.
    return dict(cpu_per_s=float(kv["cpu_s"]) / wall, cpu_ms_per_frame=float(kv["cpu_s"]) * 1000 / frames,
                p50=float(kv["present_p50_ms"]), p90=float(kv["present_p90_ms"]),
                p99=float(kv["present_p99_ms"]), max=float(kv["present_max_ms"]), frames=frames,
                sprites=quads)


def floor_first_frame(env):
    """Exec to the first presented textured frame of the plain floor."""
    kv, t0 = run_floor(env, 8, 30, "backdrop")
    return (int(kv["first_frame_ns"]) - t0) / 1e6


STARTS = 7  # start-up times vary by tens of ms from run to run: medians of this many


def program_first_frame(env):
    """Exec to the program's first presented frame, in a fresh start."""
    game = Game(env)
    first = game.wait_frames(lambda f: True)
    game.stop()
    return (first[1] - game.start_ns) / 1e6 if first else float("nan")


def median(values):
    v = sorted(values)
    return v[len(v) // 2]


def row(name, m, base=None):
    ratio = f"{m['cpu_ms_per_frame'] / base['cpu_ms_per_frame']:.2f}x" if base else "-"
    print(f"{name:<22} {m['sprites']:>5} {m['cpu_per_s']:8.3f} {m['cpu_ms_per_frame']:8.2f} {ratio:>8}"
          f" {m['p50']:7.2f} {m['p90']:7.2f} {m['p99']:7.2f} {m['max']:8.2f}")


def busy_input(env, game, stop):
    ox, oy = window_origin(env)
    rnd = random.Random(7)
    while not stop.is_set() and game.proc.poll() is None:
        x, y = ox + rnd.randrange(40, 760), oy + rnd.randrange(150, 420)
        xdo(env, "mousemove", x, y, "mousedown", 1)
        time.sleep(0.2)
        xdo(env, "mouseup", 1)
        if rnd.random() < 0.1:
            xdo(env, "click", 3)


def main():
    display = ":%d" % (90 + os.getpid() % 100)
    xvfb = subprocess.Popen(["Xvfb", display, "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(1.5)
    env = dict(os.environ, DISPLAY=display, GH_FRAME_TRACE="1", SDL_AUDIODRIVER="dummy")
    try:
        game = Game(env)
        first = game.wait_frames(lambda f: True)
        menu = game.wait_frames(lambda f: f[2] >= 8)  # background, six buttons, pointer
        if not first or not menu:
            print("the program showed no frame"); return
        menu_ms = (menu[1] - game.start_ns) / 1e6
        if MODE == "soak":
            soak(env, game)
            return
        time.sleep(1)
        idle = game.measure(FRAMES)
        # Start a game: the "Start Game" button, then fire at the scene.
        ox, oy = window_origin(env)
        xdo(env, "mousemove", ox + 400, oy + 190, "click", 1)
        time.sleep(3)
        stop = threading.Event()
        t = threading.Thread(target=busy_input, args=(env, game, stop), daemon=True)
        t.start()
        time.sleep(2)
        busy = game.measure(FRAMES)
        stop.set()
        t.join(5)
        mem = dict(rss_kb(game.proc.pid))
        trace = game.keep_trace()
        game.stop()
        f_idle = floor(env, trace, idle["first_frame"], FRAMES, idle["sprites"])
        f_busy = floor(env, trace, busy["first_frame"], FRAMES, busy["sprites"])
        os.remove(trace)
        starts = [program_first_frame(env) for _ in range(STARTS)]
        floor_starts = [floor_first_frame(env) for _ in range(STARTS)]
        first_ms, floor_first_ms = median(starts), median(floor_starts)
        print(f"{FRAMES} frames each; CPU s/s = CPU seconds per second; CPU ms/f = per frame;"
              " vs floor = CPU per frame against the floor's; intervals between presented frames in ms"
              " (16.67 = 60 Hz)")
        print(f"{'run':<22} {'quads':>5} {'CPU s/s':>8} {'CPU ms/f':>8} {'vs floor':>8}"
              f" {'p50':>7} {'p90':>7} {'p99':>7} {'max':>8}")
        row("floor (menu frames)", f_idle)
        row("program, menu idle", idle, f_idle)
        row("floor (play frames)", f_busy)
        row("program, busy play", busy, f_busy)
        print(f"start-up, median of {STARTS} starts: exec to first presented frame {first_ms:.0f} ms"
              f" ({min(starts):.0f}-{max(starts):.0f}); floor exec to first textured frame"
              f" {floor_first_ms:.0f} ms ({min(floor_starts):.0f}-{max(floor_starts):.0f}):"
              f" {first_ms / floor_first_ms:.2f}x")
        print(f"exec to the main menu's first frame (after loading and the fade-in) {menu_ms:.0f} ms")
        print(f"memory after play: RSS {mem.get('VmRSS')} kB, peak {mem.get('VmHWM')} kB")
    finally:
        xvfb.terminate()


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


if __name__ == "__main__":
    main()
