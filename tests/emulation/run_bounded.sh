#!/usr/bin/env bash
# Runs a program that the emulation may leave hanging: SECONDS at most, then its whole
# process group is killed and the status is 124. Otherwise the program's own status.
#   run_bounded.sh SECONDS PROGRAM [ARGUMENTS...]
set -u
limit="$1"; shift
setsid "$@" &
pid=$!
for _ in $(seq 1 "$((limit * 10))"); do
  if ! kill -0 "$pid" 2>/dev/null; then
    wait "$pid"
    exit $?
  fi
  sleep 0.1
done
echo "run_bounded.sh: still running after $limit s, stopped" >&2
kill -KILL -- "-$pid" 2>/dev/null
wait "$pid" 2>/dev/null
exit 124
