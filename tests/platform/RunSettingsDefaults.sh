#!/bin/bash
# The settings defaults of scripts/run (scripts/ini-default.sh): a missing key is added to its
# section and a present one kept; under a file-size limit that the new text passes, the write is
# reported as failed, the settings file stays as it was and nothing is left beside it, with
# errexit on as in scripts/run.  $1: scripts/ini-default.sh
set -u
. "$1"
work=$(mktemp -d "${TMPDIR:-/tmp}/vt-ini-default-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/run"
ini=$work/run/Vantorel.ini
failed=0
check() { # what, condition...
  local what=$1
  shift
  if ! "$@"; then
    echo "FAILED: $what" >&2
    failed=1
  fi
}

printf '[COMM]\nPORT=3\n[Other]\nA=1\n' >"$ini"
ini_default "$ini" COMM CONTROLLER 1
ini_default "$ini" COMM PORT 0
ini_default "$ini" InitialSettings IMAGEPATH "/x/series"
check "keys added to their sections, the present one kept" \
  test "$(cat "$ini")" = "$(printf '[COMM]\nPORT=3\nCONTROLLER=1\n[Other]\nA=1\n[InitialSettings]\nIMAGEPATH=/x/series')"

# 80 KiB of settings, past a limit of 64 KiB.
for i in $(seq 1 2000); do echo "KEY$i=value number $i of the padding"; done >>"$ini"
cp "$ini" "$work/before"
(
  set -e
  ulimit -f 64
  ini_default "$ini" STAGEINPUT INPDEVICE "Vantorel Test Camera"
  echo "went on after the failed write" >&2
) 2>"$work/err"
rc=$?
check "the failed write is a failure (exit $rc)" test "$rc" -ne 0
check "the failure is reported" grep -q "settings file $ini" "$work/err"
check "it stops the script" test -z "$(grep 'went on' "$work/err")"
check "the settings file is left as it was" cmp -s "$ini" "$work/before"
check "nothing is left beside it: $(ls -A "$work/run" | tr '\n' ' ')" test "$(ls -A "$work/run")" = Vantorel.ini

if [ "$failed" = 0 ]; then
  echo "1 passed, 0 failed"
else
  echo "0 passed, 1 failed"
fi
exit "$failed"
