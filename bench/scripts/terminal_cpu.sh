#!/usr/bin/env bash
# Steady-state CPU and memory of the terminal with 30 quoted contracts: starts futures-sim on the fixed
# ports, sets the demo account's custom list to 30 contracts, logs the terminal in under Xvfb
# and reads the process's user+system time over the given seconds (default 60).
# Needs a Release build in build/release and the packages xvfb and xdotool.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-60}
work=$(mktemp -d)
display=:$((90 + RANDOM % 100))
cleanup() { kill "${term:-}" "${sim:-}" "${xvfb:-}" 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT

build/release/sim/futures-sim --db "$work/sim.db" >"$work/sim.log" 2>&1 &
sim=$!
Xvfb "$display" -screen 0 1600x1000x24 >/dev/null 2>&1 &
xvfb=$!
sleep 3
python3 - <<'PY'
import hashlib, urllib.parse, urllib.request
signing = "Tz7#pq!!Lm@@x9&&wR$$k2^^Bn**c4%%Yd((e6))Hs++u8=="
sign = hashlib.md5(("demo" + "demo" + signing).encode()).hexdigest()
def post(action, body=""):
    data = ("user_name=demo&user_pwd=demo&sign=" + sign + body).encode()
    url = "http://127.0.0.1:9090/index.php?m=client&a=" + action
    return urllib.request.urlopen(url, data).read().decode()
products = [r.split(",") for r in post("getallproduct").split("|") if r]
custom = "|".join(p[1] + "," + p[2] for p in products[:30])
assert post("setuserfs", "&fs=" + urllib.parse.quote(custom)).startswith("0")
PY
mkdir -p "$work/prog" "$work/sys"
DISPLAY=$display FT_PROGRAM_DIR=$work/prog FT_SYSTEM_ROOT=$work/sys \
    build/release/src/app/futures-terminal >"$work/term.log" 2>&1 &
term=$!
sleep 3
# The login dialog is centred on the 1600x1000 screen: account box, password box, login button.
DISPLAY=$display xdotool mousemove 789 441 click 1 type --delay 50 demo
DISPLAY=$display xdotool mousemove 789 474 click 1 type --delay 50 demo
DISPLAY=$display xdotool mousemove 909 441 click 1
sleep 5
# Close the announcement (it has the focus) as a trader would.
DISPLAY=$display xdotool key Return
sleep 2
DISPLAY=$display xdotool search --name "演示账户" >/dev/null || { echo "login did not succeed"; cat $work/term.log; exit 1; }
ticks=$(getconf CLK_TCK)
before=$(awk '{print $14 + $15}' "/proc/$term/stat")
sleep "$seconds"
after=$(awk '{print $14 + $15}' "/proc/$term/stat")
python3 -c "print('terminal CPU over ${seconds} s: %.2f%% of one core' % (($after - $before) / $ticks / $seconds * 100))"
awk '/VmRSS|VmHWM/ {printf "terminal %s %.1f MB\n", $1, $2 / 1024}' "/proc/$term/status"
