#!/bin/sh
# scripts/count-bare-ids finds the calls that pass a bare id, across lines and at the argument that
# holds the id, and not in comments, texts, test tools or names; in the tests also the calls of
# their helpers, id lists and expected message ids, each once; --constants finds the numeric
# constants such calls take.  $1: the script
set -u
script=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/vt-count-ids-XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work" && git init -q . || exit 1
mkdir -p shell tests/shell tools viewer
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
    Click(913); // a word of the tests' helpers, not an id call of product code
}
SRC
cat >tests/shell/DialogTest.cpp <<'SRC'
void F() { GetDlgItem(1179); }
TEST(Dialog, Start) {
    constexpr int kParsedDialog = 910;
    Click(FindById(d, 1014));
    Click(913);
    FindById(d, kParsedDialog);
    for (int id : {916, 917})
        EXPECT_TRUE(Shown(id));
    ui::CmdUI state(819);
    TemplateDialog dlg(nullptr, 146);
    EXPECT_EQ(sink.ShownIds(), (std::vector<UINT>{891, 870}));
    EXPECT_EQ(shown.id, 894u);
    EXPECT_EQ(sink.ShownIds().size(), 2u);
    const char* source = R"SRC(ShowMessage(870, MB_OK);)SRC";
}
SRC
printf 'void T() { GetDlgItem(1180); }\n' >tools/Tool.cpp
printf 'void G() { LoadResString(0x2405); }\n' >viewer/View.cpp
expected='shell/Dialog.cpp:3: OnCommand(32701, &CDialog::OnStart)
shell/Dialog.cpp:4: OnControl(ui::EN_CHANGE, 1296, &CDialog::OnSize)
shell/Dialog.cpp:9: SetPressed(up ? 829 : 804, true)
tests/shell/DialogTest.cpp:1: GetDlgItem(1179)
tests/shell/DialogTest.cpp:4: FindById(d, 1014)
tests/shell/DialogTest.cpp:5: Click(913)
tests/shell/DialogTest.cpp:7: for (int id : {916, 917}
tests/shell/DialogTest.cpp:9: CmdUI state(819)
tests/shell/DialogTest.cpp:10: TemplateDialog dlg(nullptr, 146)
tests/shell/DialogTest.cpp:11: EXPECT_EQ(sink.ShownIds(), (std::vector<UINT>{891, 870}))
tests/shell/DialogTest.cpp:12: EXPECT_EQ(shown.id, 894u)
viewer/View.cpp:1: LoadResString(0x2405)
total: 12'
got=$("$script")
if [ "$got" != "$expected" ]; then
  printf 'FAIL: the list\n%s\nexpected\n%s\n' "$got" "$expected"
  exit 1
fi
got=$("$script" --summary)
if [ "$got" != "$(printf '     3 shell\n     8 tests\n     1 viewer\ntotal: 12')" ]; then
  printf 'FAIL: the summary\n%s\n' "$got"
  exit 1
fi
got=$("$script" --constants shell)
if [ "$got" != "$(printf 'shell/Dialog.cpp:1: kMsgStopped = 905\ntotal: 1')" ]; then
  printf 'FAIL: the constants\n%s\n' "$got"
  exit 1
fi
got=$("$script" --constants tests)
if [ "$got" != "$(printf 'tests/shell/DialogTest.cpp:3: kParsedDialog = 910\ntotal: 1')" ]; then
  printf 'FAIL: the constants of the tests\n%s\n' "$got"
  exit 1
fi
echo "bare ids counted"
