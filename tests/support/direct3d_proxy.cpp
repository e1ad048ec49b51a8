#include "support/direct3d_proxy.h"

#include <algorithm>

Direct3DProxy::Direct3DProxy(IDirect3D9* real) : real_(real) {}

Direct3DProxy::~Direct3DProxy() { real_->Release(); }

unsigned Direct3DProxy::Calls(const std::string& name) const {
    return static_cast<unsigned>(std::count(log_.begin(), log_.end(), name));
}

HRESULT STDMETHODCALLTYPE Direct3DProxy::QueryInterface(REFIID id, void** object) {
    Enter("QueryInterface");
    return QueryProxy<IDirect3D9>(this, real_, id, object);
}

ULONG STDMETHODCALLTYPE Direct3DProxy::AddRef() {
    Enter("AddRef");
    return ++references_;
}

ULONG STDMETHODCALLTYPE Direct3DProxy::Release() {
    Enter("Release");
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

#define MIRELTH_DIRECT3D_FORWARD(name, count) \
    MIRELTH_COM_DEFINE(Direct3DProxy, IDirect3D9, name, count, Enter(#name))
MIRELTH_DIRECT3D_FORWARDED_METHODS(MIRELTH_DIRECT3D_FORWARD)
#undef MIRELTH_DIRECT3D_FORWARD

HRESULT STDMETHODCALLTYPE Direct3DProxy::CreateDevice(UINT adapter, D3DDEVTYPE type,
                                                      HWND focusWindow, DWORD behaviorFlags,
                                                      D3DPRESENT_PARAMETERS* parameters,
                                                      IDirect3DDevice9** device) {
    Enter("CreateDevice");
    DeviceCreation creation{adapter, type, focusWindow, behaviorFlags, {}, S_OK};
    if (parameters != nullptr) creation.parameters = *parameters;
    HRESULT result = createDeviceFailure_;
    createDeviceFailure_ = S_OK;
    if (FAILED(result)) {
        if (device != nullptr) *device = nullptr;
    } else {
        IDirect3DDevice9* real = nullptr;
        result = real_->CreateDevice(adapter, type, focusWindow, behaviorFlags, parameters, &real);
        if (SUCCEEDED(result) && real != nullptr) {
            auto* proxy = new DeviceProxy(real);
            real->Release();  // the proxy holds the device's one reference now
            if (deviceCreated_) deviceCreated_(proxy);
            *device = proxy;
        } else if (device != nullptr) {
            *device = real;
        }
    }
    creation.result = result;
    creations_.push_back(creation);
    return result;
}
