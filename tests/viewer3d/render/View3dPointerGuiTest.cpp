// The 3D pane under the real pointer: a left drag turns the surface at low density and the
// release brings full density back and frees the pointer for a click elsewhere.
#include "View3dPaneFixture.h"

#include "ui/testing/Pointer.h"

namespace {

class View3dPointer : public View3dPane {};

TEST_F(View3dPointer, LeftDragTurnsTheSurfaceAndTheReleaseFreesThePointer) {
    ASSERT_TRUE(bound);
    ASSERT_NO_FATAL_FAILURE(openWithoutScaleLines());
    Pixels flat(view->ReadWindowPixels());
    const int w = view->GetClientSize().x;
    int lowWhileHeld = -1;
    EXPECT_TRUE(ui::testing::DragThenClickElsewhere(view, wxPoint(w / 4, 90), wxPoint(w * 3 / 4, 60),
                                                    [&] { lowWhileHeld = doc.fullResolution; }));
    EXPECT_EQ(lowWhileHeld, 0);
    EXPECT_EQ(doc.fullResolution, 1);
    EXPECT_FALSE(view->HasCapture());
    ASSERT_TRUE(nextFrame());
    Pixels turned(view->ReadWindowPixels());
    EXPECT_NE(coverage(turned), coverage(flat));
}

} // namespace
