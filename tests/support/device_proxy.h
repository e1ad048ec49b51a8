// A Direct3D 9 device that stands in front of a real one: every call is forwarded,
// counted and logged, chosen calls fail on request, and the arguments of the calls that
// tests look at are recorded. Vertex and index buffers made through it come wrapped, so
// that their Lock and Unlock can fail too and the bytes written into them can be read.
//
// Objects other than buffers are the real device's own: their GetDevice gives the real
// device, so calls made through them are not seen here. IDirect3D9 calls (CreateDevice)
// are outside it too.
//
//   ScopedDeviceProxy proxy;                    // GraphicsState.device is now the proxy
//   proxy->FailCall("CreateVertexBuffer");      // the next one returns D3DERR_INVALIDCALL
//   proxy->FailCall(ProxyCall::IndexBufferLock, E_OUTOFMEMORY, 2);  // the second from now
#pragma once

#include <d3d9.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "support/com_forwarding.h"

// X(name, parameter count) for every method of IDirect3DDevice9, in three groups by how the
// proxy handles them; the types come from the interface (support/com_forwarding.h).

// Forwarded unchanged; they can fail on request.
#define MIRELTH_PROXY_FORWARDED_METHODS(X)                                                         \
    X(TestCooperativeLevel, 0) X(EvictManagedResources, 0) X(GetDirect3D, 1) X(GetDeviceCaps, 1) \
    X(GetDisplayMode, 2) X(SetCursorProperties, 3) X(CreateAdditionalSwapChain, 2)               \
    X(GetSwapChain, 2) X(Reset, 1) X(Present, 4) X(GetBackBuffer, 4) X(GetRasterStatus, 2)       \
    X(SetDialogBoxMode, 1) X(CreateTexture, 8) X(CreateVolumeTexture, 9) X(CreateCubeTexture, 7) \
    X(CreateRenderTarget, 8) X(CreateDepthStencilSurface, 8) X(UpdateSurface, 4)                 \
    X(UpdateTexture, 2) X(GetRenderTargetData, 2) X(GetFrontBufferData, 2) X(StretchRect, 5)     \
    X(ColorFill, 3) X(CreateOffscreenPlainSurface, 6) X(SetRenderTarget, 2)                      \
    X(GetRenderTarget, 2) X(SetDepthStencilSurface, 1) X(GetDepthStencilSurface, 1)              \
    X(BeginScene, 0) X(EndScene, 0) X(Clear, 6) X(SetTransform, 2) X(GetTransform, 2)            \
    X(MultiplyTransform, 2) X(SetViewport, 1) X(GetViewport, 1) X(SetMaterial, 1)                \
    X(GetMaterial, 1) X(SetLight, 2) X(GetLight, 2) X(LightEnable, 2) X(GetLightEnable, 2)       \
    X(SetClipPlane, 2) X(GetClipPlane, 2) X(SetRenderState, 2) X(GetRenderState, 2)              \
    X(CreateStateBlock, 2) X(BeginStateBlock, 0) X(EndStateBlock, 1) X(SetClipStatus, 1)         \
    X(GetClipStatus, 1) X(GetTexture, 2) X(SetTexture, 2) X(GetTextureStageState, 3)             \
    X(SetTextureStageState, 3) X(GetSamplerState, 3) X(SetSamplerState, 3) X(ValidateDevice, 1)  \
    X(SetPaletteEntries, 2) X(GetPaletteEntries, 2) X(SetCurrentTexturePalette, 1)               \
    X(GetCurrentTexturePalette, 1) X(SetScissorRect, 1) X(GetScissorRect, 1)                     \
    X(SetSoftwareVertexProcessing, 1) X(SetNPatchMode, 1) X(DrawPrimitive, 3)                    \
    X(DrawPrimitiveUP, 4) X(DrawIndexedPrimitiveUP, 8) X(CreateVertexDeclaration, 2)             \
    X(GetVertexDeclaration, 1) X(SetFVF, 1) X(GetFVF, 1) X(CreateVertexShader, 2)                \
    X(SetVertexShader, 1) X(GetVertexShader, 1) X(SetVertexShaderConstantF, 3)                   \
    X(GetVertexShaderConstantF, 3) X(SetVertexShaderConstantI, 3) X(GetVertexShaderConstantI, 3) \
    X(SetVertexShaderConstantB, 3) X(GetVertexShaderConstantB, 3) X(SetStreamSourceFreq, 2)      \
    X(GetStreamSourceFreq, 2) X(CreatePixelShader, 2) X(SetPixelShader, 1) X(GetPixelShader, 1)  \
    X(SetPixelShaderConstantF, 3) X(GetPixelShaderConstantF, 3) X(SetPixelShaderConstantI, 3)    \
    X(GetPixelShaderConstantI, 3) X(SetPixelShaderConstantB, 3) X(GetPixelShaderConstantB, 3)    \
    X(DrawRectPatch, 3) X(DrawTriPatch, 3) X(DeletePatch, 1) X(CreateQuery, 2)

// Forwarded unchanged; they return no HRESULT, so they cannot fail.
#define MIRELTH_PROXY_VALUE_METHODS(X)                                                             \
    X(GetAvailableTextureMem, 0) X(SetCursorPosition, 3) X(ShowCursor, 1)                         \
    X(GetNumberOfSwapChains, 0) X(SetGammaRamp, 3) X(GetGammaRamp, 2)                             \
    X(GetSoftwareVertexProcessing, 0) X(GetNPatchMode, 0)

// Each defined on its own: they record arguments, wrap or unwrap buffers, or keep the
// proxy's own reference count. All but AddRef and Release can fail on request.
#define MIRELTH_PROXY_OWN_METHODS(X)                                                               \
    X(QueryInterface, 2) X(AddRef, 0) X(Release, 0) X(GetCreationParameters, 1)                   \
    X(CreateVertexBuffer, 6) X(CreateIndexBuffer, 6) X(DrawIndexedPrimitive, 6)                   \
    X(ProcessVertices, 6) X(SetVertexDeclaration, 1) X(SetStreamSource, 4) X(GetStreamSource, 4)  \
    X(SetIndices, 1) X(GetIndices, 1)

// All of them.
#define MIRELTH_PROXY_METHODS(X)                                                                   \
    MIRELTH_PROXY_FORWARDED_METHODS(X) MIRELTH_PROXY_VALUE_METHODS(X) MIRELTH_PROXY_OWN_METHODS(X)

// Calls on the buffers that the proxy wraps.
#define MIRELTH_PROXY_BUFFER_CALLS(X)                                                              \
    X(VertexBufferLock) X(VertexBufferUnlock) X(VertexBufferRelease)                               \
    X(IndexBufferLock) X(IndexBufferUnlock) X(IndexBufferRelease)

// Every call the proxy sees, by name: ProxyCall::CreateVertexBuffer, ...
enum class ProxyCall {
#define MIRELTH_PROXY_ENUM_METHOD(name, count) name,
#define MIRELTH_PROXY_ENUM_NAME(name) name,
    MIRELTH_PROXY_METHODS(MIRELTH_PROXY_ENUM_METHOD)
    MIRELTH_PROXY_BUFFER_CALLS(MIRELTH_PROXY_ENUM_NAME)
#undef MIRELTH_PROXY_ENUM_METHOD
#undef MIRELTH_PROXY_ENUM_NAME
    Count
};

// "CreateVertexBuffer", "VertexBufferLock", ...
const char* ProxyCallName(ProxyCall call);
// The call of that name; false for a name the proxy does not know.
bool ProxyCallByName(const std::string& name, ProxyCall* call);
// False for calls whose result is not an HRESULT (AddRef, GetNPatchMode, ...).
bool ProxyCallCanFail(ProxyCall call);

class DeviceProxy final : public IDirect3DDevice9 {
public:
    // Holds one reference on `real` until its own count reaches zero.
    explicit DeviceProxy(IDirect3DDevice9* real);
    DeviceProxy(const DeviceProxy&) = delete;
    DeviceProxy& operator=(const DeviceProxy&) = delete;

    IDirect3DDevice9* Real() const { return real_; }
    // References on the proxy itself: its users' and one per live wrapped buffer.
    ULONG References() const { return references_; }

    // The `nth` call of `call` from now returns `result` and does nothing else. Several
    // requests may wait at once. False when `call` cannot fail.
    bool FailCall(ProxyCall call, HRESULT result = D3DERR_INVALIDCALL, unsigned nth = 1);
    bool FailCall(const std::string& name, HRESULT result = D3DERR_INVALIDCALL, unsigned nth = 1);
    // Every call of `call` from now fails with `result`, until ClearFailures.
    bool FailEveryCall(ProxyCall call, HRESULT result = D3DERR_INVALIDCALL);
    void ClearFailures();
    // Runs `action` just before every call of `call` is carried out (or failed).
    void OnCall(ProxyCall call, std::function<void()> action);
    // GetCreationParameters reports these behaviour flags instead of the real ones.
    void FakeBehaviorFlags(DWORD flags);

    unsigned Calls(ProxyCall call) const { return counts_[static_cast<size_t>(call)]; }
    // Every call in order, AddRef and Release included.
    const std::vector<ProxyCall>& Log() const { return log_; }
    void ClearLog() { log_.clear(); }

    struct DrawIndexed {
        D3DPRIMITIVETYPE type;
        INT baseVertex;
        UINT minVertex, vertexCount, startIndex, primitiveCount;
    };
    struct StreamSource {
        UINT stream;
        IDirect3DVertexBuffer9* buffer;  // as the caller passed it (the wrapper)
        UINT offset, stride;
    };
    // One per successful CreateVertexBuffer or CreateIndexBuffer, in order.
    struct Buffer {
        bool isIndex;
        UINT length;
        DWORD usage;
        void* wrapper;         // the interface handed out, for comparison only
        bool alive;            // not yet released for good
        std::string contents;  // `length` bytes as they stood at the last Unlock
        unsigned unlocks;      // calls that succeeded
    };
    const std::vector<DrawIndexed>& DrawIndexedCalls() const { return draws_; }
    const std::vector<StreamSource>& StreamSourceCalls() const { return streamSources_; }
    const std::vector<IDirect3DIndexBuffer9*>& SetIndicesCalls() const { return indices_; }
    const std::vector<IDirect3DVertexDeclaration9*>& SetVertexDeclarationCalls() const {
        return declarations_;
    }
    const std::vector<Buffer>& Buffers() const { return buffers_; }
    unsigned LiveBuffers() const;

#define MIRELTH_PROXY_DECLARE(name, count) MIRELTH_COM_DECLARE(IDirect3DDevice9, name, count)
    MIRELTH_PROXY_METHODS(MIRELTH_PROXY_DECLARE)
#undef MIRELTH_PROXY_DECLARE

private:
    template <class Interface, class Description, bool IsIndex>
    friend class ProxyBuffer;

    ~DeviceProxy();
    // Counts and logs the call and runs its actions; true (with the result) when it must fail.
    bool Enter(ProxyCall call, HRESULT* failure);
    // The real buffer behind a wrapper (others pass unchanged), and back for what the device
    // hands out.
    template <class Face>
    Face* Unwrap(Face* buffer) const;
    template <class Face>
    HRESULT Rewrap(HRESULT result, Face** buffer) const;
    // A new buffer's wrapper in *buffer, recorded in buffers_.
    template <class Wrapper, class Face>
    HRESULT HandOut(HRESULT result, Face* real, Face** buffer, bool isIndex, UINT length,
                    DWORD usage);
    // Drops a reference without logging a call: buffers hold the proxy as real buffers
    // hold their device, and that is no call of the program's.
    ULONG Drop();

    struct Failure {
        ProxyCall call;
        HRESULT result;
        unsigned remaining;  // calls to let through first; 0 for "every call"
        bool everyCall;
    };
    struct Action {
        ProxyCall call;
        std::function<void()> run;
    };

    IDirect3DDevice9* real_;
    ULONG references_ = 1;
    bool fakeFlags_ = false;
    DWORD behaviorFlags_ = 0;
    unsigned counts_[static_cast<size_t>(ProxyCall::Count)] = {};
    std::vector<ProxyCall> log_;
    std::vector<Failure> failures_;
    std::vector<Action> actions_;
    std::vector<DrawIndexed> draws_;
    std::vector<StreamSource> streamSources_;
    std::vector<IDirect3DIndexBuffer9*> indices_;
    std::vector<IDirect3DVertexDeclaration9*> declarations_;
    std::vector<Buffer> buffers_;
    std::map<void*, void*> wrappers_;  // the real buffer behind each live wrapper
};

// Puts a new DeviceProxy in GraphicsState.device for its lifetime and the real device
// back afterwards. Whatever was made through the proxy must be released by then: the
// proxy's last Release is checked to be its final one.
class ScopedDeviceProxy {
public:
    ScopedDeviceProxy();
    ~ScopedDeviceProxy();
    ScopedDeviceProxy(const ScopedDeviceProxy&) = delete;
    ScopedDeviceProxy& operator=(const ScopedDeviceProxy&) = delete;

    DeviceProxy* operator->() const { return proxy_; }
    DeviceProxy* Get() const { return proxy_; }

private:
    IDirect3DDevice9* real_;
    DeviceProxy* proxy_;
};
