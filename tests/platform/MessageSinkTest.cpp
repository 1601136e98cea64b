#include "ids/VantorelIds.h"
#include "platform/MessageSink.h"
#include "platform/ScriptedMessageSink.h"

#include <gtest/gtest.h>

TEST(MessageSink, WithoutASinkTheDefaultButtonAnswers) {
    ASSERT_EQ(GetMessageSink(), nullptr);
    EXPECT_EQ(ShowMessage(vtid::str::ConfirmOverwrite, MB_OK | MB_ICONSTOP), IDOK);
    EXPECT_EQ(ShowMessage(vtid::str::ConfirmOverwrite, MB_OKCANCEL), IDOK);
    EXPECT_EQ(ShowMessage(vtid::str::ConfirmOverwrite, MB_OKCANCEL | MB_DEFBUTTON2), IDCANCEL);
    EXPECT_EQ(ShowMessage(vtid::str::ConfirmOverwrite, MB_YESNO | MB_ICONEXCLAMATION), IDYES);
    EXPECT_EQ(ShowMessage(vtid::str::ConfirmOverwrite, MB_YESNO | MB_DEFBUTTON2), IDNO);
    EXPECT_EQ(ShowMessage(vtid::str::ConfirmOverwrite, MB_YESNOCANCEL | MB_DEFBUTTON3), IDCANCEL);
    // A default button the box does not have falls back to the first one.
    EXPECT_EQ(ShowMessage(vtid::str::ConfirmOverwrite, MB_OK | MB_DEFBUTTON3), IDOK);
    EXPECT_EQ(ButtonsOf(MB_YESNOCANCEL | MB_ICONQUESTION), (std::vector<int>{IDYES, IDNO, IDCANCEL}));
}

TEST(MessageSink, ArgumentsReplaceNumberedPlaceholders) {
    EXPECT_EQ(FormatMessageArgs("%1\n\nexists. %2?", {"/a/b.bmp", "ok"}), "/a/b.bmp\n\nexists. ok?");
    EXPECT_EQ(FormatMessageArgs("%2-%1-%2", {"x", "y"}), "y-x-y");
    EXPECT_EQ(FormatMessageArgs("%9|%3", {"a", "b"}), "|") << "missing arguments become empty";
    EXPECT_EQ(FormatMessageArgs("100% %0 %a %", {"z"}), "100% %0 %a %");
    EXPECT_EQ(FormatMessageArgs("%1%1", {"%1"}), "%1%1") << "replacements are not rescanned";
    EXPECT_EQ(FormatMessageArgs("ファイル %1 が", {"画像.bmp"}), "ファイル 画像.bmp が");
}

TEST(MessageSink, ScriptedAnswererAnswersInOrderRecordsAndRestores) {
    {
        CScriptedMessageSink outer(IDNO);
        {
            CScriptedMessageSink sink;
            EXPECT_EQ(GetMessageSink(), &sink);
            sink.Queue({IDNO, IDCANCEL});
            EXPECT_EQ(ShowMessage(10, MB_YESNO, {"a"}), IDNO);
            EXPECT_EQ(ShowMessage(11, MB_YESNOCANCEL), IDCANCEL);
            EXPECT_EQ(sink.PendingAnswers(), 0u);
            EXPECT_EQ(ShowMessage(12, MB_YESNO | MB_DEFBUTTON2), IDNO) << "then the box's default";
            sink.SetDefaultAnswer(IDYES);
            EXPECT_EQ(ShowMessage(10, MB_YESNO | MB_DEFBUTTON2), IDYES);

            auto shown = sink.ShownMessages();
            ASSERT_EQ(shown.size(), 4u);
            EXPECT_EQ(shown[0].id, 10u);
            EXPECT_EQ(shown[0].type, MB_YESNO);
            EXPECT_EQ(shown[0].args, std::vector<std::string>{"a"});
            EXPECT_EQ(sink.ShownIds(), (std::vector<UINT>{10, 11, 12, 10}));
            EXPECT_EQ(sink.CountOf(10), 2u);
            sink.ClearShown();
            EXPECT_EQ(sink.CountOf(10), 0u);
        }
        EXPECT_EQ(GetMessageSink(), &outer);
        EXPECT_EQ(ShowMessage(1, MB_YESNO), IDNO);
        EXPECT_EQ(outer.CountOf(1), 1u);
    }
    EXPECT_EQ(GetMessageSink(), nullptr);
}

TEST(MessageSink, ScopeInstallsAnyImplementation) {
    struct Counting : CMessageSink {
        int calls = 0;
        int Show(UINT, UINT, const std::vector<std::string>&) override {
            return ++calls == 1 ? IDCANCEL : IDOK;
        }
    } counting;
    {
        CMessageSinkScope scope(&counting);
        EXPECT_EQ(ShowMessage(5, MB_OKCANCEL), IDCANCEL);
        EXPECT_EQ(ShowMessage(5, MB_OKCANCEL), IDOK);
    }
    EXPECT_EQ(GetMessageSink(), nullptr);
    EXPECT_EQ(counting.calls, 2);
}
