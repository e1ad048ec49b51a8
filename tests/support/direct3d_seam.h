// This test program defines Direct3DCreate9 itself. The linker takes that definition in place
// of d3d9.dll's, so the program's own InitializeGraphics, unchanged, gets its interface from
// here: the real one from d3d9.dll inside a Direct3DProxy, or null when a test asks for it.
#pragma once

#include <functional>

#include "support/direct3d_proxy.h"

struct Direct3DSeam {
    // For the calls to come.
    bool returnNull = false;
    std::function<void(Direct3DProxy*)> prepare;  // runs on each new proxy before it is handed out
    // What the calls were.
    unsigned calls = 0;
    UINT sdkVersion = 0;
};

// The one seam of this test program; tests reset it with `Seam() = Direct3DSeam{}`.
Direct3DSeam& Seam();
