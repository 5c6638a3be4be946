#!/usr/bin/env python3
"""Follows README.md as a newcomer would: in a fresh clone of the committed
tree, runs every ```sh block in order, then those of docs/ARCHITECTURE.md,
then starts the installed game from its desktop entry under Xvfb, waits for
the main menu and leaves it through Escape and the exit question. Any failing
step fails the check (exit 1).

  tools/check_readme.py [--keep] [--skip-tests]
    --keep: leave the scratch folder; --skip-tests: pass over tools/test.sh
    (for a quick try by hand; CI runs everything)

The commands run as written except for the quick forms below, and with HOME
set to a scratch folder, so `~/.local` is a fresh prefix.
"""
import os, re, shutil, subprocess, sys, tempfile, time

# The documents whose ```sh blocks run, in this order.
DOCUMENTS = ["README.md", "docs/ARCHITECTURE.md"]

# Command (at a line's start) -> its quick form: build without starting the
# game, a short benchmark, short fuzz runs.
QUICK = [
    (re.compile(r"^tools/play\.sh(?=\s|$)"), "tools/play.sh --build-only"),
    (re.compile(r"^tools/bench\.sh(?=\s|$)"), "tools/bench.sh --short"),
    (re.compile(r"^tools/fuzz\.sh(\s+\d+)?(?=\s|$)"), "tools/fuzz.sh 2000"),
    (re.compile(r"^(build-bench/bin/bench_replay_speed\s+\w+)\s+\d+"), r"\1 1"),
]
# A server command (one that runs until stopped): started in the background,
# it must answer HTTP on its --port within 30 s; then it is stopped.
SERVE_BRIEFLY = r"""serve_briefly() {
  local port pid code i
  port=$(printf '%s ' "$@" | sed -n 's/.*--port[ =]\([0-9]*\).*/\1/p')
  port=${port:-8080}
  "$@" &
  pid=$!
  for i in $(seq 150); do
    if ! kill -0 "$pid" 2>/dev/null; then wait "$pid" || true; echo "the server ended early"; return 1; fi
    code=$(curl -s -o /dev/null -w '%{http_code}' "http://127.0.0.1:$port/cgi/version.pl" || true)
    if [ -n "$code" ] && [ "$code" != "000" ]; then
      echo "the server answers on port $port (HTTP $code)"; kill "$pid"; wait "$pid" || true; return 0
    fi
    sleep 0.2
  done
  kill "$pid"; wait "$pid" || true; echo "the server did not answer on port $port"; return 1
}
"""
SERVERS = re.compile(r"^(?=build/bin/gravelhorn2-scores(\s|$))")

# What an install puts under the prefix, Data/ aside: the player's files only.
PLAYER_FILES = {
    "bin/gravelhorn2", "lib/gravelhorn2/gravelhorn2", "lib/gravelhorn2/system.so",
    "share/applications/gravelhorn2.desktop",
    "share/icons/hicolor/48x48/apps/gravelhorn2.png",
    "share/icons/hicolor/128x128/apps/gravelhorn2.png",
    "share/icons/hicolor/256x256/apps/gravelhorn2.png",
    "share/icons/hicolor/scalable/apps/gravelhorn2.svg",
}


def fail(message):
    print(f"check_readme: FAILED: {message}", flush=True)
    sys.exit(1)


def sh_blocks(text):
    return re.findall(r"^```sh\n(.*?)^```", text, re.S | re.M)


def quick(block, skip_tests):
    lines = []
    for line in block.splitlines():
        if skip_tests:
            line = re.sub(r"^tools/test\.sh(?=\s|$)", ": skipped tools/test.sh", line)
        for pattern, replacement in QUICK:
            line = pattern.sub(replacement, line)
        line = SERVERS.sub("serve_briefly ", line)
        lines.append(line)
    return "\n".join(lines) + "\n"


def run_blocks(clone, env, skip_tests, document):
    with open(os.path.join(clone, document)) as f:
        blocks = sh_blocks(f.read())
    if not blocks:
        fail(f"{document} has no ```sh block")
    # CI's tests run through the README's test command: it must be there.
    tests = re.search(r"^tools/test\.sh(?=\s|$)", "\n".join(blocks), re.M)
    if document == "README.md" and not tests:
        fail("no README block runs tools/test.sh, so CI would run no test")
    for n, block in enumerate(blocks, 1):
        script = quick(block, skip_tests)
        print(f"== {document} block {n}:\n{script}", flush=True)
        started = time.monotonic()
        # -e: the first failing command fails the block; -x shows each one.
        done = subprocess.run(["bash", "-e", "-o", "pipefail", "-x", "-c", SERVE_BRIEFLY + script],
                              cwd=clone, env=env)
        print(f"== block {n}: exit {done.returncode} after {time.monotonic() - started:.0f} s", flush=True)
        if done.returncode != 0:
            fail(f"{document} block {n} failed (exit {done.returncode}):\n{script}")


def installed_files(prefix):
    found = set()
    for folder, _, files in os.walk(prefix):
        for name in files:
            path = os.path.relpath(os.path.join(folder, name), prefix)
            if not path.startswith("lib/gravelhorn2/Data/"):
                found.add(path)
    return found


def desktop_value(entry, key):
    with open(entry) as f:
        for line in f:
            if line.startswith(key + "="):
                return line[len(key) + 1:].rstrip("\n")
    fail(f"{entry} has no {key}=")


def exec_program(value):
    """The program an Exec value starts: unescaped, then its first word unquoted."""
    value = value.replace("\\\\", "\\")
    if value.startswith('"'):
        m = re.match(r'"((?:[^"\\]|\\.)*)"', value)
        if not m:
            fail(f"Exec has an unclosed quote: {value}")
        return re.sub(r"\\(.)", r"\1", m.group(1)).replace("%%", "%")
    return value.split()[0]


def check_install(home):
    prefix = os.path.join(home, ".local")
    found = installed_files(prefix)
    if found != PLAYER_FILES:
        fail("the install in ~/.local is not exactly the player's files:\n"
             f"  missing: {sorted(PLAYER_FILES - found)}\n  extra: {sorted(found - PLAYER_FILES)}")
    if not os.path.isfile(os.path.join(prefix, "lib/gravelhorn2/Data/Help.txt")):
        fail("the installed Data/ has no Help.txt")
    entry = os.path.join(prefix, "share/applications/gravelhorn2.desktop")
    v = subprocess.run(["desktop-file-validate", entry], capture_output=True, text=True)
    if v.returncode != 0 or v.stdout.strip():
        fail(f"desktop-file-validate {entry}:\n{v.stdout}{v.stderr}")
    program = exec_program(desktop_value(entry, "Exec"))
    if os.path.realpath(program) != os.path.realpath(os.path.join(prefix, "bin/gravelhorn2")):
        fail(f"the desktop entry starts {program}, not the launcher under the prefix")
    icon = desktop_value(entry, "Icon")
    for size in ("48x48", "128x128", "256x256"):
        if not os.path.isfile(os.path.join(prefix, f"share/icons/hicolor/{size}/apps/{icon}.png")):
            fail(f"no {size} icon named {icon} under {prefix}/share/icons/hicolor")
    print(f"== installed: exactly the player's files; {entry} is valid and starts {program}", flush=True)
    return program


class Screen:
    """A virtual X server with a window manager, and the game's window on it."""

    def __init__(self, folder):
        read, write = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
            pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as r:
            number = r.readline().strip()
        if not number:
            fail("Xvfb did not start")
        self.display = ":" + number
        self.env = dict(os.environ, DISPLAY=self.display)
        self.wm = subprocess.Popen(["evilwm"], env=self.env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        self.folder = folder

    def close(self):
        for p in (self.wm, self.xvfb):
            p.terminate()
            p.wait()

    def x(self, *args):
        return subprocess.run(["xdotool", *map(str, args)], env=self.env, capture_output=True,
                              text=True, timeout=20).stdout

    def window(self):
        ids = self.x("search", "--onlyvisible", "--name", "^Gravelhorn 2$").split()
        return ids[0] if ids else None

    def origin(self, wid):
        # The view is the window's client area, 800 x 600.
        out = self.x("getwindowgeometry", wid)
        m = re.search(r"Position: (-?\d+),(-?\d+)", out)
        return (int(m.group(1)), int(m.group(2))) if m else (0, 0)

    def rgb(self, wid):
        out = subprocess.run(["import", "-silent", "-window", wid, "-depth", "8", "rgb:-"],
                             env=self.env, capture_output=True, timeout=20).stdout
        return out if len(out) == 800 * 600 * 3 else None

    def count(self, px, left, top, right, bottom, colour):
        """Pixels near the colour in a rectangle given in screen units."""
        x0, x1 = int((left + 16) * 25), int((right + 16) * 25)
        y0, y1 = int((12 - top) * 25), int((12 - bottom) * 25)
        n = 0
        for y in range(y0, y1):
            for x in range(x0, x1):
                i = (y * 800 + x) * 3
                if all(abs(px[i + k] - colour[k]) < 40 for k in range(3)):
                    n += 1
        return n

    def shot(self, wid, name):
        path = os.path.join(self.folder, name + ".png")
        subprocess.run(["import", "-silent", "-window", wid, path], env=self.env, timeout=20)
        return path


def menu_shown(s, px):
    # The orange caption of "Exit Game", and no question box.
    return s.count(px, -3, -6.8, 3, -7.6, (255, 120, 0)) > 30 and not question_shown(s, px)


def question_shown(s, px):
    # The green question text.
    return s.count(px, -6, 3.8, 6, 2.2, (43, 255, 0)) > 30


def wait(what, test, seconds, game):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        value = test()
        if value:
            return value
        if game.poll() is not None:
            fail(f"the game ended (exit {game.returncode}) while waiting for {what}")
        time.sleep(0.2)
    fail(f"no {what} within {seconds} s")


def play_installed(program, home, folder):
    s = Screen(folder)
    log = open(os.path.join(folder, "game.log"), "w")
    env = dict(s.env, HOME=home, SDL_AUDIODRIVER="dummy")
    env.pop("XDG_DATA_HOME", None)
    game = subprocess.Popen([program], env=env, cwd="/", stdout=log, stderr=log)
    try:
        wid = wait("game window", s.window, 60, game)
        wait("main menu", lambda: (lambda px: px and menu_shown(s, px))(s.rgb(wid)), 60, game)
        print(f"== the installed game shows its main menu: {s.shot(wid, 'menu')}", flush=True)
        s.x("windowactivate", "--sync", wid)
        s.x("key", "--window", wid, "Escape")
        wait("exit question", lambda: (lambda px: px and question_shown(s, px))(s.rgb(wid)), 30, game)
        print(f"== Escape asks the exit question: {s.shot(wid, 'question')}", flush=True)
        ox, oy = s.origin(wid)
        # "Yes": the pointer on it, then a click; clicked again only while the
        # question stays (a frame may not have seen the pointer there yet).
        s.x("mousemove", ox + int((-4.8 + 16) * 25), oy + int((12 + 4.0) * 25))
        for attempt in range(5):
            s.x("click", "1")
            end = time.monotonic() + 5
            while game.poll() is None and time.monotonic() < end:
                px = s.rgb(wid)
                if px and not question_shown(s, px):
                    break
                time.sleep(0.2)
            if game.poll() is not None or (px and not question_shown(s, px)):
                break
        try:
            game.wait(60)
        except subprocess.TimeoutExpired:
            fail("the game did not end after \"Yes\"")
        if game.returncode != 0:
            fail(f"the game ended with exit {game.returncode}; log in {log.name}")
        config = os.path.join(home, ".local/share/gravelhorn2/Config.cfg")
        if not os.path.isfile(config):
            fail(f"no {config} after the game ended")
        print(f"== \"Yes\" ended the game (exit 0) and it wrote {config}", flush=True)
    finally:
        if game.poll() is None:
            game.kill()
            game.wait()
        log.close()
        s.close()


def main():
    keep = "--keep" in sys.argv[1:]
    repo = subprocess.run(["git", "rev-parse", "--show-toplevel"], capture_output=True, text=True,
                          cwd=os.path.dirname(os.path.abspath(__file__))).stdout.strip()
    scratch = tempfile.mkdtemp(prefix="gh-readme-")
    clone, home = os.path.join(scratch, "clone"), os.path.join(scratch, "home")
    os.makedirs(home)
    started = time.monotonic()
    try:
        commit = subprocess.run(["git", "rev-parse", "HEAD"], cwd=repo, capture_output=True,
                                text=True, check=True).stdout.strip()
        subprocess.run(["git", "clone", "-q", "--no-checkout", repo, clone], check=True)
        subprocess.run(["git", "checkout", "-q", commit], cwd=clone, check=True)
        head = subprocess.run(["git", "log", "-1", "--format=%h %s"], cwd=clone, capture_output=True,
                              text=True).stdout.strip()
        print(f"== a fresh clone of {repo} at {head}, HOME={home}", flush=True)
        # base_dir: cached compiles serve any clone, wherever it lies.
        env = dict(os.environ, HOME=home, CCACHE_BASEDIR=scratch, CCACHE_NOHASHDIR="1")
        for name in ("XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"):
            env.pop(name, None)
        # The compiler cache stays where it was (a fresh HOME would hide it).
        if shutil.which("ccache"):
            cache = subprocess.run(["ccache", "-k", "cache_dir"], capture_output=True, text=True)
            if cache.returncode == 0 and cache.stdout.strip():
                env["CCACHE_DIR"] = cache.stdout.strip()
        for document in DOCUMENTS:
            run_blocks(clone, env, "--skip-tests" in sys.argv[1:], document)
        program = check_install(home)
        play_installed(program, home, scratch)
        print(f"check_readme: every command of {' and '.join(DOCUMENTS)} works ({time.monotonic() - started:.0f} s)")
    finally:
        if keep:
            print(f"check_readme: kept {scratch}")
        else:
            shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    main()
