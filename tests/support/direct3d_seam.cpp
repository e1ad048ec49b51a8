#include "support/direct3d_seam.h"

#include <windows.h>

namespace {
using CreateFunction = IDirect3D9*(WINAPI*)(UINT);

CreateFunction RealDirect3DCreate9() {
    static CreateFunction create = [] {
        HMODULE d3d9 = LoadLibraryA("d3d9.dll");
        FARPROC found = d3d9 != nullptr ? GetProcAddress(d3d9, "Direct3DCreate9") : nullptr;
        return reinterpret_cast<CreateFunction>(reinterpret_cast<void*>(found));
    }();
    return create;
}
}  // namespace

Direct3DSeam& Seam() {
    static Direct3DSeam seam;
    return seam;
}

IDirect3D9* WINAPI Direct3DCreate9(UINT sdkVersion) {
    Direct3DSeam& seam = Seam();
    ++seam.calls;
    seam.sdkVersion = sdkVersion;
    if (seam.returnNull) return nullptr;
    CreateFunction create = RealDirect3DCreate9();
    IDirect3D9* real = create != nullptr ? create(sdkVersion) : nullptr;
    if (real == nullptr) return nullptr;
    auto* proxy = new Direct3DProxy(real);
    if (seam.prepare) seam.prepare(proxy);
    return proxy;
}
