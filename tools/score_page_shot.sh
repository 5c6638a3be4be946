#!/usr/bin/env bash
# Draws docs/score-page.png: starts the built score server on the loopback with
# a throw-away table, sends a few scores through the game's exchange (version
# request, cookie, encoded submission) and most with a recording, and
# photographs the page with Debian's headless chromium at a phone's width and a
# desktop's. The page's marks come from a stand-in verifier that takes each
# "recording" at its word (a line of the verifier's protocol), so the picture
# needs no game build.
#   tools/score_page_shot.sh [build dir]   (needs python3, curl, chromium)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
server="$build/bin/gravelhorn2-scores"
[ -x "$server" ] || { echo "build $server first" >&2; exit 1; }
work=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT

cat > "$work/verify" <<'SH'
#!/bin/sh
while len=$(head -c 4 | od -An -tu4 | tr -d ' '); [ -n "$len" ]; do
  head -c "$len"; echo
done
SH
chmod +x "$work/verify"
"$server" --bind 127.0.0.1 --port 0 --db "$work/scores.sqlite" --verify-program "$work/verify" \
  --verify-data "$work" > "$work/out" 2> "$work/log" &
pid=$!
for _ in $(seq 100); do
  port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\),.*/\1/p' "$work/out")
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { echo "the server did not start" >&2; cat "$work/log" >&2; exit 1; }
base="http://127.0.0.1:$port/cgi/version.pl"

send() {  # name score country [what the stand-in verifier answers for its recording]
  local jar="$work/jar" reply token inf
  rm -f "$jar"
  reply=$(curl -s -c "$jar" "$base?version&prg=Gravelhorn2")
  token=$(cut -d'|' -f5 <<< "$reply")
  inf=$(python3 - "$root/scores/ScoreProtocol.h" "$1" "$2" "$token" "$3" <<'PY'
import re, sys
# The protocol's constants from the header the game and the server share.
header, name, score, token, country = sys.argv[1:]
source = open(header).read()
def text(constant):
    return re.search(constant + r' = "([^"]*)"', source).group(1)
def char(constant):
    return re.search(constant + r" = '(.)'", source).group(1)
key = char("DefaultKey")
fields = [text("TypeField"), text("NameField") + name, text("ScoreField") + score,
          text("KeyField") + key, text("TokenFieldName") + token, text("CountryField") + country,
          text("PaddingField")]
data = "".join(fields).encode("latin-1")
data += char("PaddingByte").encode() * (-len(data) % 5)
alphabet = text("SymbolAlphabet")
out = ""
for i in range(0, len(data), 5):
    n = int.from_bytes(data[i:i + 5], "big")
    out += "".join(alphabet[(n >> s) & 31] for s in range(35, -1, -5))
print(out)
PY
)
  curl -s -b "$jar" "$base?hs&prg=Gravelhorn2&inf=$inf" > /dev/null
  if [ $# -gt 3 ]; then
    curl -s -b "$jar" -H 'Content-Type: application/octet-stream' --data-binary "$4" \
      "$base?rec&prg=Gravelhorn2&p=$token" > /dev/null
  fi
}
send "Vesna" 48210 "Croatia" "verified 48210 14 52301"
send "K|ng of Rooftops" 35770 "Canada" "verified 35770 11 40310"
send "Tomasz" 29940 "Poland" "verified 9940 4 12001"
send "<script>x()</script>" 21500 "Nowhere"
send "Aiko" 18230 "Japan" "verified 18230 7 21004"
send "Joao" 12010 "Brazil" "refused the recording was made with other game data"
send "Anonymous" 5000 ""
send "Mbali" 3320 "South Africa" "verified 3320 2 6100"
# The verifiers' work is done within a second.
for _ in $(seq 50); do
  [ "$(grep -c 'recording of row' "$work/log")" -ge 6 ] && break
  sleep 0.1
done

shot() {  # width height output
  chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --force-device-scale-factor=1 \
    --window-size="$1,$2" --screenshot="$3" "$base?prg=Gravelhorn2&show&type=0" 2>/dev/null
}
shot 800 760 "$root/docs/score-page.png"
shot 390 760 "$root/docs/score-page-phone.png"
echo "wrote docs/score-page.png and docs/score-page-phone.png"
