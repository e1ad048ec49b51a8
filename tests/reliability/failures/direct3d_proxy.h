// A Direct3D 9 interface that stands in front of the real one: every call is forwarded and
// logged, CreateDevice can fail on request, and the device it creates is handed out inside a
// DeviceProxy, so that a test sees every device call the program makes from the first one.
#pragma once

#include <d3d9.h>

#include <functional>
#include <string>
#include <vector>

#include "support/device_proxy.h"

class Direct3DProxy final : public IDirect3D9 {
public:
    // Takes over the caller's reference on `real`, dropped when its own count reaches zero.
    explicit Direct3DProxy(IDirect3D9* real);
    Direct3DProxy(const Direct3DProxy&) = delete;
    Direct3DProxy& operator=(const Direct3DProxy&) = delete;

    IDirect3D9* Real() const { return real_; }
    ULONG References() const { return references_; }

    // The next CreateDevice returns `result` and creates nothing.
    void FailCreateDevice(HRESULT result) { createDeviceFailure_ = result; }
    // Runs with each new DeviceProxy before CreateDevice hands it out.
    void OnDeviceCreated(std::function<void(DeviceProxy*)> action) {
        deviceCreated_ = std::move(action);
    }

    // Every call by method name, in order, AddRef and Release included.
    const std::vector<std::string>& Log() const { return log_; }
    unsigned Calls(const std::string& name) const;

    struct DeviceCreation {
        UINT adapter;
        D3DDEVTYPE type;
        HWND focusWindow;
        DWORD behaviorFlags;
        D3DPRESENT_PARAMETERS parameters;
        HRESULT result;
    };
    const std::vector<DeviceCreation>& DeviceCreations() const { return creations_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE RegisterSoftwareDevice(void* initialize) override;
    UINT STDMETHODCALLTYPE GetAdapterCount() override;
    HRESULT STDMETHODCALLTYPE GetAdapterIdentifier(UINT adapter, DWORD flags,
                                                   D3DADAPTER_IDENTIFIER9* identifier) override;
    UINT STDMETHODCALLTYPE GetAdapterModeCount(UINT adapter, D3DFORMAT format) override;
    HRESULT STDMETHODCALLTYPE EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT mode,
                                               D3DDISPLAYMODE* displayMode) override;
    HRESULT STDMETHODCALLTYPE GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override;
    HRESULT STDMETHODCALLTYPE CheckDeviceType(UINT adapter, D3DDEVTYPE type,
                                              D3DFORMAT displayFormat, D3DFORMAT backBufferFormat,
                                              WINBOOL windowed) override;
    HRESULT STDMETHODCALLTYPE CheckDeviceFormat(UINT adapter, D3DDEVTYPE type,
                                                D3DFORMAT adapterFormat, DWORD usage,
                                                D3DRESOURCETYPE resourceType,
                                                D3DFORMAT checkFormat) override;
    HRESULT STDMETHODCALLTYPE CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type,
                                                         D3DFORMAT surfaceFormat, WINBOOL windowed,
                                                         D3DMULTISAMPLE_TYPE multiSample,
                                                         DWORD* qualityLevels) override;
    HRESULT STDMETHODCALLTYPE CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type,
                                                     D3DFORMAT adapterFormat,
                                                     D3DFORMAT renderTargetFormat,
                                                     D3DFORMAT depthStencilFormat) override;
    HRESULT STDMETHODCALLTYPE CheckDeviceFormatConversion(UINT adapter, D3DDEVTYPE type,
                                                          D3DFORMAT sourceFormat,
                                                          D3DFORMAT targetFormat) override;
    HRESULT STDMETHODCALLTYPE GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) override;
    HMONITOR STDMETHODCALLTYPE GetAdapterMonitor(UINT adapter) override;
    HRESULT STDMETHODCALLTYPE CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow,
                                           DWORD behaviorFlags,
                                           D3DPRESENT_PARAMETERS* parameters,
                                           IDirect3DDevice9** device) override;

private:
    ~Direct3DProxy();
    void Enter(const char* name) { log_.emplace_back(name); }

    IDirect3D9* real_;
    ULONG references_ = 1;
    HRESULT createDeviceFailure_ = S_OK;
    std::function<void(DeviceProxy*)> deviceCreated_;
    std::vector<std::string> log_;
    std::vector<DeviceCreation> creations_;
};
