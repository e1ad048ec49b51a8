// A Direct3D 9 interface that stands in front of the real one: every call is forwarded and
// logged, CreateDevice can fail on request, and the device it creates is handed out inside a
// DeviceProxy, so that a test sees every device call the program makes from the first one.
#pragma once

#include <d3d9.h>

#include <functional>
#include <string>
#include <vector>

#include "support/com_forwarding.h"
#include "support/device_proxy.h"

// X(name, parameter count) for the methods of IDirect3D9 that are only logged and forwarded.
#define MIRELTH_DIRECT3D_FORWARDED_METHODS(X)                                                      \
    X(RegisterSoftwareDevice, 1) X(GetAdapterCount, 0) X(GetAdapterIdentifier, 3)                 \
    X(GetAdapterModeCount, 2) X(EnumAdapterModes, 4) X(GetAdapterDisplayMode, 2)                  \
    X(CheckDeviceType, 5) X(CheckDeviceFormat, 6) X(CheckDeviceMultiSampleType, 6)                \
    X(CheckDepthStencilMatch, 5) X(CheckDeviceFormatConversion, 4) X(GetDeviceCaps, 3)            \
    X(GetAdapterMonitor, 1)

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

#define MIRELTH_DIRECT3D_DECLARE(name, count) MIRELTH_COM_DECLARE(IDirect3D9, name, count)
    MIRELTH_DIRECT3D_FORWARDED_METHODS(MIRELTH_DIRECT3D_DECLARE)
    MIRELTH_DIRECT3D_DECLARE(QueryInterface, 2)
    MIRELTH_DIRECT3D_DECLARE(AddRef, 0)
    MIRELTH_DIRECT3D_DECLARE(Release, 0)
    MIRELTH_DIRECT3D_DECLARE(CreateDevice, 6)
#undef MIRELTH_DIRECT3D_DECLARE

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
