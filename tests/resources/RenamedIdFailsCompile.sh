#!/bin/sh
# A name taken away from a bundle line fails the compile of the code that uses it: the shared
# bundles are copied, the header generated from the copy, and a source using one of their names
# compiled against it; then the name is renamed in the copy and the same source must no longer
# compile. A name given to two numbers fails the generator, naming the lines.
#   $1: the generator (resgen)  $2: the C++ compiler  $3: resources/common of the source tree
set -u
resgen=$1
cxx=$2
bundles=$3
work=$(mktemp -d "${TMPDIR:-/tmp}/vt-renamed-id-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/common" "$work/include/ids"
cp "$bundles"/*.txt "$work/common/"
cat >"$work/use.cpp" <<'SRC'
#include "ids/CommonIds.h"
static_assert(uiid::str::NeedInteger == 64001, "the numbers stay as the bundle gives them");
int main() { return uiid::str::NeedInteger == 0; }
SRC
compile() {
  "$cxx" -std=c++20 -fsyntax-only -I"$work/include" "$work/use.cpp" >"$work/compile.log" 2>&1
}
fail() {
  echo "FAIL: $1"
  cat "$work/compile.log" "$work/resgen.log" 2>/dev/null
  exit 1
}
"$resgen" uiid "$work/include/ids/CommonIds.h" "$work/common" >"$work/resgen.log" 2>&1 ||
  fail "the generator refused the unchanged bundles"
compile || fail "the source does not compile against the unchanged bundles"

sed -i 's/ NeedInteger / NeedWholeNumber /' "$work/common/ui.txt"
grep -q NeedWholeNumber "$work/common/ui.txt" || fail "ui.txt holds no NeedInteger to rename"
"$resgen" uiid "$work/include/ids/CommonIds.h" "$work/common" >"$work/resgen.log" 2>&1 ||
  fail "the generator refused the renamed bundle"
if compile; then
  fail "the source still compiles after NeedInteger was renamed in the bundle"
fi
grep -q NeedInteger "$work/compile.log" || fail "the compile error does not name NeedInteger"

printf 'STRINGTABLE\n64100 NeedNumber "again"\nEND\n' >"$work/common/zz-clash.txt"
if "$resgen" uiid "$work/include/ids/CommonIds.h" "$work/common" >"$work/resgen.log" 2>&1; then
  fail "the generator took one name for two numbers"
fi
grep -q "zz-clash.txt:2: uiid::str::NeedNumber is 64100 here but 64002 at .*ui.txt:" "$work/resgen.log" ||
  fail "the generator's error does not name both lines"
echo "renamed id fails the compile; clashing name fails the generator"
