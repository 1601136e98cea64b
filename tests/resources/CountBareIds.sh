#!/bin/sh
# scripts/count-bare-ids finds the calls that pass a bare id, across lines and at the argument that
# holds the id, and not in comments, texts, tests or names; --constants finds the numeric constants
# such calls take.  $1: the script
set -u
script=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/vt-count-ids-XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work" && git init -q . || exit 1
mkdir -p shell tests/shell viewer
cat >shell/Dialog.cpp <<'SRC'
constexpr UINT kMsgStopped = 905;
void CDialog::Init() {
    OnCommand(32701, &CDialog::OnStart);
    OnControl(ui::EN_CHANGE,
              1296, &CDialog::OnSize);
    // GetDlgItem(1179) in a comment, and "ShowMessage(870)" in a text
    Item<wxCheckBox>(vtid::AutoPanel::AutoInterval)->SetValue(true);
    ShowMessage(kMsgStopped, MB_OK);
    SetPressed(up ? 829 : 804, true);
    EnableItem(ids::ZeroZ, count > 100);
    TemplateDialog(parent, 47);
}
SRC
printf 'void F() { GetDlgItem(1179); }\n' >tests/shell/DialogTest.cpp
printf 'void G() { LoadResString(0x2405); }\n' >viewer/View.cpp
expected='shell/Dialog.cpp:3: OnCommand(32701, &CDialog::OnStart)
shell/Dialog.cpp:4: OnControl(ui::EN_CHANGE, 1296, &CDialog::OnSize)
shell/Dialog.cpp:9: SetPressed(up ? 829 : 804, true)
viewer/View.cpp:1: LoadResString(0x2405)
total: 4'
got=$("$script")
if [ "$got" != "$expected" ]; then
  printf 'FAIL: the list\n%s\nexpected\n%s\n' "$got" "$expected"
  exit 1
fi
got=$("$script" --summary)
if [ "$got" != "$(printf '     3 shell\n     1 viewer\ntotal: 4')" ]; then
  printf 'FAIL: the summary\n%s\n' "$got"
  exit 1
fi
got=$("$script" --constants shell)
if [ "$got" != "$(printf 'shell/Dialog.cpp:1: kMsgStopped = 905\ntotal: 1')" ]; then
  printf 'FAIL: the constants\n%s\n' "$got"
  exit 1
fi
echo "bare ids counted"
