#!/bin/sh
# two_process_test.sh NET_PEER
# Two processes on 127.0.0.1: a host and a client exchange 68-byte messages;
# then a client is killed, and then one is stopped (silent without closing):
# each time the host must report the client's player gone (message 5) within
# the heartbeat time-out. Every wait ends as soon as its condition holds and
# is bounded generously: on a busy machine a process may starve for seconds.
set -u
peer=$1
work=$(mktemp -d)
pids=""
cleanup() {
  for p in $pids; do kill -KILL "$p" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  for f in "$work"/*.out; do echo "--- $f"; cat "$f"; done
  exit 1
}
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# wait_for FILE TEXT SECONDS
wait_for() {
  end=$(( $(now_ms) + $3 * 1000 ))
  while ! grep -q "$2" "$1" 2>/dev/null; do
    [ "$(now_ms)" -gt "$end" ] && return 1
    sleep 0.01
  done
}

# wait_gone PID SECONDS: the process has ended.
wait_gone() {
  end=$(( $(now_ms) + $2 * 1000 ))
  while kill -0 "$1" 2>/dev/null; do
    [ "$(now_ms)" -gt "$end" ] && return 1
    sleep 0.01
  done
}

# start_host NAME [heartbeat silence]: runs a host, sets $host_pid and $port.
start_host() {
  "$peer" host "$2" "$3" >"$work/$1.out" 2>&1 &
  host_pid=$!
  pids="$pids $host_pid"
  wait_for "$work/$1.out" "^PORT " 60 || fail "$1 did not start"
  port=$(sed -n 's/^PORT //p' "$work/$1.out")
}

# 1. A normal session: 200 messages there and back, then the client leaves.
start_host exchange 1000 10000
timeout 90 "$peer" join "$port" 200 >"$work/client.out" 2>&1 || fail "client of the exchange"
grep -q "ECHOED 200" "$work/client.out" || fail "echoes"
wait_gone "$host_pid" 60 || fail "host did not end"
wait "$host_pid" || fail "host of the exchange"
grep -q "GONE client after 200 messages" "$work/exchange.out" || fail "host saw no orderly leave"

# 2 and 3. A client killed, and a client stopped, mid-session.
heartbeat=100
silence=1000
for how in KILL STOP; do
  start_host "$how" $heartbeat $silence
  "$peer" join "$port" 10 hold $heartbeat >"$work/victim-$how.out" 2>&1 &
  victim=$!
  pids="$pids $victim"
  wait_for "$work/victim-$how.out" "READY" 60 || fail "client before $how"
  ! grep -q "GONE" "$work/$how.out" || fail "client dropped before $how"
  start=$(now_ms)
  kill -"$how" "$victim"
  # Timed to the host's report, not to its exit, which a sanitizer makes slow.
  wait_for "$work/$how.out" "^GONE" 60 || fail "host never noticed $how"
  took=$(( $(now_ms) - start ))
  wait_gone "$host_pid" 60 || fail "host did not end after $how"
  wait "$host_pid" || fail "host after $how"
  grep -q "GONE client after 10 messages" "$work/$how.out" || fail "no message 5 after $how"
  # Room for a busy machine on top of the time-out and its heartbeats.
  limit=$((silence + 2 * heartbeat + 3000))
  [ "$took" -le "$limit" ] || fail "message 5 after $how took $took ms (limit $limit)"
  echo "$how: message 5 after $took ms"
  kill -KILL "$victim" 2>/dev/null
done
echo "3 passed, 0 failed"
