#!/bin/sh
# A window test that is the first client of a freshly started X server (one that resets when its
# last client leaves, as xvfb-run starts it) starts every time: run twenty times, each on a new
# server.  $1: a gui test program; $2: the test to run in it.
set -u
fails=0
i=0
while [ $i -lt 20 ]; do
  i=$((i + 1))
  out=$(mktemp)
  Xvfb -displayfd 1 -screen 0 640x480x24 -nolisten tcp >"$out" 2>/dev/null &
  server=$!
  n=0
  while [ ! -s "$out" ] && [ $n -lt 300 ]; do sleep 0.1; n=$((n + 1)); done
  display=$(head -n 1 "$out")
  rm -f "$out"
  sleep 0.5 # the server idle, as when the test before has gone
  if [ -z "$display" ]; then
    echo "Xvfb did not start"
    kill $server 2>/dev/null
    exit 1
  fi
  if ! DISPLAY=":$display" "$1" --gtest_filter="$2" >/dev/null 2>&1; then
    fails=$((fails + 1))
    echo "start $i on a fresh server failed"
  fi
  kill $server
  wait $server 2>/dev/null
done
[ $fails -eq 0 ]
