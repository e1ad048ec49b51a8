#include "direct3d_proxy.h"

#include <algorithm>

Direct3DProxy::Direct3DProxy(IDirect3D9* real) : real_(real) {}

Direct3DProxy::~Direct3DProxy() { real_->Release(); }

unsigned Direct3DProxy::Calls(const std::string& name) const {
    return static_cast<unsigned>(std::count(log_.begin(), log_.end(), name));
}

HRESULT STDMETHODCALLTYPE Direct3DProxy::QueryInterface(REFIID id, void** object) {
    Enter("QueryInterface");
    if (object == nullptr) return E_POINTER;
    if (id == __uuidof(IUnknown) || id == __uuidof(IDirect3D9)) {
        *object = static_cast<IDirect3D9*>(this);
        AddRef();
        return S_OK;
    }
    return real_->QueryInterface(id, object);
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

HRESULT STDMETHODCALLTYPE Direct3DProxy::RegisterSoftwareDevice(void* initialize) {
    Enter("RegisterSoftwareDevice");
    return real_->RegisterSoftwareDevice(initialize);
}

UINT STDMETHODCALLTYPE Direct3DProxy::GetAdapterCount() {
    Enter("GetAdapterCount");
    return real_->GetAdapterCount();
}

HRESULT STDMETHODCALLTYPE Direct3DProxy::GetAdapterIdentifier(UINT adapter, DWORD flags,
                                                              D3DADAPTER_IDENTIFIER9* identifier) {
    Enter("GetAdapterIdentifier");
    return real_->GetAdapterIdentifier(adapter, flags, identifier);
}

UINT STDMETHODCALLTYPE Direct3DProxy::GetAdapterModeCount(UINT adapter, D3DFORMAT format) {
    Enter("GetAdapterModeCount");
    return real_->GetAdapterModeCount(adapter, format);
}

HRESULT STDMETHODCALLTYPE Direct3DProxy::EnumAdapterModes(UINT adapter, D3DFORMAT format,
                                                          UINT mode, D3DDISPLAYMODE* displayMode) {
    Enter("EnumAdapterModes");
    return real_->EnumAdapterModes(adapter, format, mode, displayMode);
}

HRESULT STDMETHODCALLTYPE Direct3DProxy::GetAdapterDisplayMode(UINT adapter,
                                                               D3DDISPLAYMODE* mode) {
    Enter("GetAdapterDisplayMode");
    return real_->GetAdapterDisplayMode(adapter, mode);
}

HRESULT STDMETHODCALLTYPE Direct3DProxy::CheckDeviceType(UINT adapter, D3DDEVTYPE type,
                                                         D3DFORMAT displayFormat,
                                                         D3DFORMAT backBufferFormat,
                                                         WINBOOL windowed) {
    Enter("CheckDeviceType");
    return real_->CheckDeviceType(adapter, type, displayFormat, backBufferFormat, windowed);
}

HRESULT STDMETHODCALLTYPE Direct3DProxy::CheckDeviceFormat(UINT adapter, D3DDEVTYPE type,
                                                           D3DFORMAT adapterFormat, DWORD usage,
                                                           D3DRESOURCETYPE resourceType,
                                                           D3DFORMAT checkFormat) {
    Enter("CheckDeviceFormat");
    return real_->CheckDeviceFormat(adapter, type, adapterFormat, usage, resourceType,
                                    checkFormat);
}

HRESULT STDMETHODCALLTYPE Direct3DProxy::CheckDeviceMultiSampleType(
    UINT adapter, D3DDEVTYPE type, D3DFORMAT surfaceFormat, WINBOOL windowed,
    D3DMULTISAMPLE_TYPE multiSample, DWORD* qualityLevels) {
    Enter("CheckDeviceMultiSampleType");
    return real_->CheckDeviceMultiSampleType(adapter, type, surfaceFormat, windowed, multiSample,
                                             qualityLevels);
}

HRESULT STDMETHODCALLTYPE Direct3DProxy::CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type,
                                                                D3DFORMAT adapterFormat,
                                                                D3DFORMAT renderTargetFormat,
                                                                D3DFORMAT depthStencilFormat) {
    Enter("CheckDepthStencilMatch");
    return real_->CheckDepthStencilMatch(adapter, type, adapterFormat, renderTargetFormat,
                                         depthStencilFormat);
}

HRESULT STDMETHODCALLTYPE Direct3DProxy::CheckDeviceFormatConversion(UINT adapter,
                                                                     D3DDEVTYPE type,
                                                                     D3DFORMAT sourceFormat,
                                                                     D3DFORMAT targetFormat) {
    Enter("CheckDeviceFormatConversion");
    return real_->CheckDeviceFormatConversion(adapter, type, sourceFormat, targetFormat);
}

HRESULT STDMETHODCALLTYPE Direct3DProxy::GetDeviceCaps(UINT adapter, D3DDEVTYPE type,
                                                       D3DCAPS9* caps) {
    Enter("GetDeviceCaps");
    return real_->GetDeviceCaps(adapter, type, caps);
}

HMONITOR STDMETHODCALLTYPE Direct3DProxy::GetAdapterMonitor(UINT adapter) {
    Enter("GetAdapterMonitor");
    return real_->GetAdapterMonitor(adapter);
}

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
