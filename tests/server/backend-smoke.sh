#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Starts fixtora-backend (demo source) on a free port with a fault switched on, reads
# the address it prints, checks a few answers and stops it with SIGTERM.
set -euo pipefail
exe="$1"
out=$(mktemp)
trap 'kill "$pid" 2>/dev/null || true; rm -f "$out"' EXIT

# Starts the backend with the arguments given; sets pid and url.
start() {
  "$exe" "$@" >"$out" &
  pid=$!
  for _ in $(seq 1 100); do grep -q "listening on" "$out" && break; sleep 0.05; done
  url=$(sed -n 's/^Fixtora backend listening on \(http:\/\/127\.0\.0\.1:[0-9]*\)$/\1/p' "$out")
  [ -n "$url" ] || { echo "no address printed: $(cat "$out")"; exit 1; }
}
start --port 0 --seed 7 --no-week-numbers --fault scoreboard:status=503

events=$(curl -fsS "$url/api/epl/schedule" | grep -o '"uid":"s:600~l:700~e:[0-9]*"' | wc -l)
[ "$events" -eq 380 ] || { echo "schedule has $events events"; exit 1; }
if curl -fsS "$url/api/epl/schedule" | grep -q '"week"'; then echo "week numbers despite --no-week-numbers"; exit 1; fi
status=$(curl -s -o /dev/null -w '%{http_code}' "$url/api/epl/scoreboard?dates=20261206-20261206")
[ "$status" = 503 ] || { echo "scoreboard answered $status, not the injected 503"; exit 1; }

"$exe" --fault nowhere:drop >/dev/null 2>&1 && { echo "a bad --fault was accepted"; exit 1; }

kill -TERM "$pid"
wait "$pid" || { echo "exit status $? after SIGTERM"; exit 1; }

# The espn source with no upstream to reach: not healthy, and a JSON error.
start --source espn --upstream http://127.0.0.1:9 --port 0
[ "$(curl -s -o /dev/null -w '%{http_code}' "$url/healthz")" = 503 ] || { echo "healthy without a season"; exit 1; }
curl -s "$url/api/epl/scoreboard?dates=20250301-20250302" | grep -q '"error"' || { echo "no JSON error without upstream"; exit 1; }
kill -TERM "$pid"
wait "$pid" || { echo "exit status $? after SIGTERM"; exit 1; }
echo "backend smoke test passed"
