// Binding of the GL table against the system's Mesa libraries (no display needed to bind).
#include "viewer3d/render/gl/GlEntryPoints.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace gl = v3d::gl;

namespace {

class GlBinding : public ::testing::Test {
protected:
    void TearDown() override {
        gl::FreeOpenGl(libs);
        gl::SetOpenGlLibraryNames("libGL.so.1", "libGLU.so.1");
    }
    gl::GlLibraries libs;
};

TEST_F(GlBinding, RealLibrariesBindEverySlotInTableOrderAndFreeClearsThem) {
    ASSERT_EQ(gl::LoadOpenGl(libs), 1) << gl::MissingOpenGlNames();
    EXPECT_TRUE(gl::IsOpenGlBound());
    EXPECT_NE(libs.gl, nullptr);
    EXPECT_NE(libs.glu, nullptr);
    ASSERT_GT(gl::SlotCount(), gl::kTableSlots);
    // Table order: alphabetical GL names, then the GLX counterparts, then GLU.
    EXPECT_STREQ(gl::SlotName(0), "glBegin");
    EXPECT_STREQ(gl::SlotName(67), "glViewport");
    EXPECT_STREQ(gl::SlotName(74), "glXUseXFont");
    EXPECT_STREQ(gl::SlotName(75), "gluBuild2DMipmaps");
    EXPECT_STREQ(gl::SlotName(80), "gluUnProject");
    std::set<std::string> names;
    for (int i = 0; i < gl::SlotCount(); ++i) {
        EXPECT_NE(gl::SlotAddress(i), nullptr) << gl::SlotName(i);
        names.insert(gl::SlotName(i));
        EXPECT_EQ(gl::SlotLibrary(i), i < 75 ? 0 : i < 81 ? 1 : 2) << gl::SlotName(i);
    }
    EXPECT_EQ(static_cast<int>(names.size()), gl::SlotCount()) << "a name bound twice";
    EXPECT_EQ(reinterpret_cast<void*>(gl::Gl().glBegin), gl::SlotAddress(0));
    EXPECT_EQ(reinterpret_cast<void*>(gl::Gl().gluPerspective), gl::SlotAddress(77));
    EXPECT_TRUE(gl::HasFramebufferObjects());

    gl::FreeOpenGl(libs);
    EXPECT_FALSE(gl::IsOpenGlBound());
    EXPECT_EQ(libs.gl, nullptr);
    EXPECT_EQ(libs.glu, nullptr);
    for (int i = 0; i < gl::SlotCount(); ++i)
        EXPECT_EQ(gl::SlotAddress(i), nullptr) << gl::SlotName(i) << " kept after release";
    EXPECT_FALSE(gl::HasFramebufferObjects());
}

TEST_F(GlBinding, MissingGluGivesZeroWithGlSlotsBoundAndGluSlotsNull) {
    gl::SetOpenGlLibraryNames("libGL.so.1", "libGLU-missing.so.9");
    EXPECT_EQ(gl::LoadOpenGl(libs), 0);
    EXPECT_FALSE(gl::IsOpenGlBound());
    EXPECT_NE(libs.gl, nullptr);
    EXPECT_EQ(libs.glu, nullptr);
    for (int i = 0; i < 75; ++i)
        EXPECT_NE(gl::SlotAddress(i), nullptr) << gl::SlotName(i);
    for (int i = 75; i < 81; ++i)
        EXPECT_EQ(gl::SlotAddress(i), nullptr) << gl::SlotName(i);
    EXPECT_NE(gl::MissingOpenGlNames().find("gluPerspective"), std::string::npos);
}

TEST_F(GlBinding, ALoadedLibraryLackingCalledNamesIsAFailureNotASuccess) {
    // Both libraries load, but the "GL" one exports none of the GL names the viewer calls.
    gl::SetOpenGlLibraryNames("libz.so.1", "libGLU.so.1");
    EXPECT_EQ(gl::LoadOpenGl(libs), 0);
    EXPECT_NE(libs.gl, nullptr);
    EXPECT_NE(libs.glu, nullptr);
    const std::string missing = gl::MissingOpenGlNames();
    EXPECT_NE(missing.find("glBegin"), std::string::npos);
    EXPECT_NE(missing.find("glGenTextures"), std::string::npos);
    // Names the viewer never calls are not required.
    EXPECT_EQ(missing.find("glRecti"), std::string::npos);
    EXPECT_EQ(missing.find("gluLookAt"), std::string::npos);
}

TEST_F(GlBinding, FreeWithNothingLoadedDoesNothing) {
    gl::FreeOpenGl(libs);
    EXPECT_EQ(libs.gl, nullptr);
    EXPECT_FALSE(gl::IsOpenGlBound());
    EXPECT_EQ(gl::SlotAddress(0), nullptr);
}

} // namespace
