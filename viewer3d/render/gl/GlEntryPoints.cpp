#include "viewer3d/render/gl/GlEntryPoints.h"

#include "platform/Module.h"

#include <cstddef>
#include <cstring>

namespace v3d::gl {
namespace {

struct SlotInfo {
    const char* name;
    size_t offset;
    int library;
    bool required;
};

constexpr SlotInfo kSlots[] = {
#define V3D_GL_INFO(name, ret, args, lib, called) {#name, offsetof(GlEntryPoints, name), lib, called != 0},
    V3D_GL_SLOTS(V3D_GL_INFO)
#undef V3D_GL_INFO
};
constexpr int kSlotCount = static_cast<int>(sizeof(kSlots) / sizeof(kSlots[0]));

constexpr int countLibrary(int lib) {
    int n = 0;
    for (const SlotInfo& s : kSlots)
        n += s.library == lib ? 1 : 0;
    return n;
}
static_assert(countLibrary(0) == kGlLibrarySlots, "75 slots come from the GL library");
static_assert(countLibrary(1) == kGluLibrarySlots, "6 slots come from the GLU library");
static_assert(sizeof(GlEntryPoints) == kSlotCount * sizeof(void*), "one pointer per slot");

GlEntryPoints table;
bool bound = false;
std::string glLibraryName = "libGL.so.1";
std::string gluLibraryName = "libGLU.so.1";

using ProcLookup = void (*(*)(const GLubyte*))();

void storeSlot(int i, void* address) {
    auto* base = reinterpret_cast<unsigned char*>(&table);
    std::memcpy(base + kSlots[i].offset, &address, sizeof(void*));
}

void* loadSlot(int i) {
    void* address = nullptr;
    std::memcpy(&address, reinterpret_cast<const unsigned char*>(&table) + kSlots[i].offset, sizeof(void*));
    return address;
}

} // namespace

GlEntryPoints& Gl() {
    return table;
}

int SlotCount() {
    return kSlotCount;
}
const char* SlotName(int i) {
    return i >= 0 && i < kSlotCount ? kSlots[i].name : "";
}
int SlotLibrary(int i) {
    return i >= 0 && i < kSlotCount ? kSlots[i].library : -1;
}
void* SlotAddress(int i) {
    return i >= 0 && i < kSlotCount ? loadSlot(i) : nullptr;
}

void SetOpenGlLibraryNames(const std::string& glName, const std::string& gluName) {
    glLibraryName = glName;
    gluLibraryName = gluName;
}

int LoadOpenGl(GlLibraries& libs) {
    if (bound || libs.gl || libs.glu)
        FreeOpenGl(libs);
    libs.gl = LoadLibrary(glLibraryName);
    if (libs.gl) {
        for (int i = 0; i < kSlotCount; ++i)
            if (kSlots[i].library == 0)
                storeSlot(i, GetProcAddress(libs.gl, kSlots[i].name));
        // Names beyond the 1.1 table: through the GL library's own lookup, which also finds
        // entry points it does not export; the export itself when there is no lookup.
        auto lookup = GetProcAddressAs<ProcLookup>(libs.gl, "glXGetProcAddressARB");
        for (int i = 0; i < kSlotCount; ++i) {
            if (kSlots[i].library != 2)
                continue;
            void* address = nullptr;
            if (lookup)
                address = reinterpret_cast<void*>(lookup(reinterpret_cast<const GLubyte*>(kSlots[i].name)));
            if (!address)
                address = GetProcAddress(libs.gl, kSlots[i].name);
            storeSlot(i, address);
        }
    }
    libs.glu = LoadLibrary(gluLibraryName);
    if (libs.glu)
        for (int i = 0; i < kSlotCount; ++i)
            if (kSlots[i].library == 1)
                storeSlot(i, GetProcAddress(libs.glu, kSlots[i].name));
    bound = libs.gl && libs.glu && MissingOpenGlNames().empty();
    return bound ? 1 : 0;
}

void FreeOpenGl(GlLibraries& libs) {
    table = GlEntryPoints{};
    bound = false;
    if (libs.gl)
        FreeLibrary(libs.gl);
    if (libs.glu)
        FreeLibrary(libs.glu);
    libs.gl = nullptr;
    libs.glu = nullptr;
}

bool IsOpenGlBound() {
    return bound;
}

bool HasFramebufferObjects() {
    const GlEntryPoints& g = table;
    return bound && g.glGenFramebuffers && g.glBindFramebuffer && g.glDeleteFramebuffers &&
           g.glGenRenderbuffers && g.glBindRenderbuffer && g.glDeleteRenderbuffers &&
           g.glRenderbufferStorage && g.glFramebufferRenderbuffer && g.glCheckFramebufferStatus;
}

bool HasBufferObjects() {
    const GlEntryPoints& g = table;
    return bound && g.glGenBuffers && g.glBindBuffer && g.glBufferData && g.glDeleteBuffers;
}

std::string MissingOpenGlNames() {
    std::string missing;
    for (int i = 0; i < kSlotCount; ++i)
        if (kSlots[i].required && !loadSlot(i)) {
            if (!missing.empty())
                missing += ' ';
            missing += kSlots[i].name;
        }
    return missing;
}

} // namespace v3d::gl
