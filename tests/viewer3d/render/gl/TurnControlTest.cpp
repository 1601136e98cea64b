// Mouse drags, spin ticks and frames of the 3D view, without a window.
#include "viewer3d/render/gl/TurnControl.h"

#include <gtest/gtest.h>

namespace s = v3d::scene;

namespace {

TEST(TurnControl, RightDragAcrossTheWidthTurns120DegreesOnceAndLeftDragDownZoomsBy10) {
    v3d::View3dData doc;
    s::TurnControl turn;
    s::TurnEffects e = turn.RightDown(doc, 0, 50);
    EXPECT_TRUE(e.rebuild);
    EXPECT_EQ(doc.fullResolution, 0); // coarse while dragging
    // Two moves before a frame: both count.
    EXPECT_TRUE(turn.MouseMove(doc, 100, 50, false, true, 300, 200).redraw);
    turn.MouseMove(doc, 300, 50, false, true, 300, 200);
    s::FrameTurn t = s::TurnControl::TakeFrameTurn(doc);
    EXPECT_FLOAT_EQ(t.x, -120.0f);
    EXPECT_FLOAT_EQ(t.y, 0.0f);
    // A repaint without a move (expose, resize) does not turn the scene again.
    t = s::TurnControl::TakeFrameTurn(doc);
    EXPECT_FLOAT_EQ(t.x, 0.0f);
    e = turn.RightUp(doc, 300, 50, false, 300, 200);
    EXPECT_TRUE(e.rebuild && e.redraw);
    EXPECT_EQ(doc.fullResolution, 1);

    const float zoom = doc.zoomFactor;
    turn.LeftDown(doc, 10, 0);
    turn.MouseMove(doc, 10, 200, true, false, 300, 200);
    EXPECT_FLOAT_EQ(doc.zoomFactor, zoom + 10.0f);
    EXPECT_FLOAT_EQ(s::TurnControl::TakeFrameTurn(doc).x, 0.0f);
    EXPECT_TRUE(turn.LeftUp(doc, 10, 200).rebuild);
}

TEST(TurnControl, CtrlDragSpinsOncePerTickAndTheNextPressStopsItUnturned) {
    v3d::View3dData doc;
    s::TurnControl turn;
    turn.RightDown(doc, 100, 100);
    s::TurnEffects e = turn.RightUp(doc, 130, 100, true, 300, 300);
    ASSERT_TRUE(e.startSpin);
    EXPECT_TRUE(turn.Spinning());
    EXPECT_FLOAT_EQ(turn.SpinIncrement().x, -12.0f);
    EXPECT_EQ(doc.fullResolution, 0); // the spin turns the coarse mesh
    // Two ticks before one paint: two increments, not one per paint.
    EXPECT_TRUE(turn.Tick(doc).redraw);
    turn.Tick(doc);
    EXPECT_FLOAT_EQ(s::TurnControl::TakeFrameTurn(doc).x, -24.0f);
    turn.Tick(doc);
    // Moves are ignored while spinning.
    turn.MouseMove(doc, 10, 10, false, true, 300, 300);
    e = turn.RightDown(doc, 50, 50);
    EXPECT_TRUE(e.stopSpin);
    EXPECT_FALSE(e.rebuild);
    EXPECT_FALSE(turn.Spinning());
    turn.MouseMove(doc, 80, 80, false, true, 300, 300); // ignored until the release
    e = turn.RightUp(doc, 80, 80, true, 300, 300);
    EXPECT_TRUE(e.rebuild && e.redraw && e.handled);
    EXPECT_FALSE(e.startSpin);
    EXPECT_EQ(doc.fullResolution, 1);
    EXPECT_FLOAT_EQ(s::TurnControl::TakeFrameTurn(doc).x, 0.0f);
    EXPECT_FALSE(turn.Tick(doc).redraw);
}

TEST(TurnControl, CtrlClickRotationModeAndEmptyClientAreaDoNotTurn) {
    v3d::View3dData doc;
    s::TurnControl turn;
    turn.RightDown(doc, 40, 40);
    s::TurnEffects e = turn.RightUp(doc, 40, 40, true, 300, 300);
    EXPECT_FALSE(e.startSpin);
    EXPECT_TRUE(e.rebuild);

    // Zero-sized client area: the move is ignored, no division by zero.
    turn.RightDown(doc, 0, 0);
    turn.MouseMove(doc, 50, 50, false, true, 0, 0);
    EXPECT_FLOAT_EQ(s::TurnControl::TakeFrameTurn(doc).x, 0.0f);
    EXPECT_FALSE(turn.RightUp(doc, 50, 50, true, 0, 300).startSpin);

    doc.GetViewState()->rotationFixed = 1;
    turn.RightDown(doc, 0, 0);
    turn.MouseMove(doc, 150, 150, false, true, 300, 300);
    EXPECT_FALSE(turn.RightUp(doc, 150, 150, true, 300, 300).startSpin);
    // A turn given by the panels is taken once.
    doc.fixedRotation[2] = 15.0f;
    EXPECT_FLOAT_EQ(s::TurnControl::TakeFrameTurn(doc).z, 15.0f);
    EXPECT_FLOAT_EQ(s::TurnControl::TakeFrameTurn(doc).z, 0.0f);
}

} // namespace
