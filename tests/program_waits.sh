# Sourced by the program smoke tests: waits for a condition of the program
# under test, ending as soon as it holds. The bounds are generous, since a
# sanitized program on a busy machine may take a minute to start.

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# wait_startup PID LOG SECONDS: the program logged its first frame; fails
# when it ended before or the time ran out.
wait_startup() {
  end=$(( $(now_ms) + $3 * 1000 ))
  while ! grep -q "^startup:" "$2"; do
    kill -0 "$1" 2>/dev/null || return 1
    [ "$(now_ms)" -lt "$end" ] || return 1
    sleep 0.05
  done
}

# end_program PID SECONDS: asks the program to end and returns its exit
# code; kills it and fails with 1 if it is still running after the time.
end_program() {
  kill -TERM "$1" 2>/dev/null
  end=$(( $(now_ms) + $2 * 1000 ))
  while kill -0 "$1" 2>/dev/null; do
    if [ "$(now_ms)" -ge "$end" ]; then
      kill -KILL "$1"
      echo "program did not end after SIGTERM"
      return 1
    fi
    sleep 0.05
  done
  wait "$1"
}
