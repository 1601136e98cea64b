// The manual settings' size slider dragged with the real pointer one pixel a motion, each way:
// the thumb follows the pointer and its edit goes one value at a time, never back.
#include "ShellGuiFixture.h"

#include "ids/VantorelIds.h"
#include "shell/controls/SliderEdit.h"
#include "shell/settings/SetManual.h"
#include "ui/testing/Pointer.h"

#include <wx/slider.h>

namespace {

using ManualSlidersPointer = ShellWindows;
using ui::testing::PointerTo;

TEST_F(ManualSlidersPointer, ThumbFollowsThePointerOneValueAtATime) {
    CSetManual dlg(nullptr);
    ASSERT_TRUE(dlg.Create(true));
    auto* slider = ui::testing::FindById<wxSlider>(&dlg, vtid::ManualSettingsDialog::SizeSlider);
    ASSERT_NE(slider, nullptr);
    const wxSize size = slider->GetClientSize();
    for (const int direction : {1, -1}) {
        // A press beside the thumb brings it under the pointer; the drag goes on from there.
        ASSERT_TRUE(ui::testing::WaitForPaint(slider));
        const wxPoint start(direction > 0 ? size.x / 5 : size.x * 4 / 5, size.y / 2);
        ASSERT_TRUE(PointerTo(slider, start));
        ASSERT_TRUE(ui::testing::PointerPress());
        int last = dlg.SizeEdit()->GetIntValue(), changes = 0;
        for (int i = 1; i <= size.x * 3 / 5; ++i) {
            ASSERT_TRUE(PointerTo(slider, start + wxPoint(direction * i, 0)));
            const int v = dlg.SizeEdit()->GetIntValue();
            if (v != last) {
                EXPECT_EQ(v - last, direction) << direction << " at " << i << " px: " << last << " to " << v;
                ++changes;
            }
            last = v;
        }
        ASSERT_TRUE(ui::testing::PointerRelease());
        // Three fifths of the length of a slider of 0..20: about twelve values, each in turn.
        EXPECT_GE(changes, 9) << "the thumb held back from the pointer";
        EXPECT_EQ(slider->GetValue(), last) << "the thumb shows the value once let go";
    }
    dlg.Hide();
}

} // namespace
