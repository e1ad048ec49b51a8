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

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// X(name, result type, parameters, arguments) for every method of IDirect3DDevice9,
// in three groups by how the proxy handles them.

// Forwarded unchanged; they can fail on request.
#define MIRELTH_PROXY_FORWARDED_METHODS(X)                                                         \
    X(TestCooperativeLevel, HRESULT, (), ())                                                       \
    X(EvictManagedResources, HRESULT, (), ())                                                      \
    X(GetDirect3D, HRESULT, (IDirect3D9** direct3d), (direct3d))                                   \
    X(GetDeviceCaps, HRESULT, (D3DCAPS9* caps), (caps))                                            \
    X(GetDisplayMode, HRESULT, (UINT swapChain, D3DDISPLAYMODE* mode), (swapChain, mode))          \
    X(SetCursorProperties, HRESULT, (UINT x, UINT y, IDirect3DSurface9* bitmap), (x, y, bitmap))   \
    X(CreateAdditionalSwapChain, HRESULT,                                                          \
      (D3DPRESENT_PARAMETERS* parameters, IDirect3DSwapChain9** swapChain),                        \
      (parameters, swapChain))                                                                     \
    X(GetSwapChain, HRESULT, (UINT index, IDirect3DSwapChain9** swapChain), (index, swapChain))    \
    X(Reset, HRESULT, (D3DPRESENT_PARAMETERS* parameters), (parameters))                           \
    X(Present, HRESULT,                                                                            \
      (const RECT* source, const RECT* destination, HWND window, const RGNDATA* dirty),            \
      (source, destination, window, dirty))                                                        \
    X(GetBackBuffer, HRESULT,                                                                      \
      (UINT swapChain, UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface9** surface),          \
      (swapChain, index, type, surface))                                                           \
    X(GetRasterStatus, HRESULT, (UINT swapChain, D3DRASTER_STATUS* status), (swapChain, status))   \
    X(SetDialogBoxMode, HRESULT, (WINBOOL enable), (enable))                                       \
    X(CreateTexture, HRESULT,                                                                      \
      (UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,          \
       IDirect3DTexture9** texture, HANDLE* shared),                                               \
      (width, height, levels, usage, format, pool, texture, shared))                               \
    X(CreateVolumeTexture, HRESULT,                                                                \
      (UINT width, UINT height, UINT depth, UINT levels, DWORD usage, D3DFORMAT format,            \
       D3DPOOL pool, IDirect3DVolumeTexture9** texture, HANDLE* shared),                           \
      (width, height, depth, levels, usage, format, pool, texture, shared))                        \
    X(CreateCubeTexture, HRESULT,                                                                  \
      (UINT edge, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,                        \
       IDirect3DCubeTexture9** texture, HANDLE* shared),                                           \
      (edge, levels, usage, format, pool, texture, shared))                                        \
    X(CreateRenderTarget, HRESULT,                                                                 \
      (UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,                 \
       DWORD quality, WINBOOL lockable, IDirect3DSurface9** surface, HANDLE* shared),              \
      (width, height, format, multiSample, quality, lockable, surface, shared))                    \
    X(CreateDepthStencilSurface, HRESULT,                                                          \
      (UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,                 \
       DWORD quality, WINBOOL discard, IDirect3DSurface9** surface, HANDLE* shared),               \
      (width, height, format, multiSample, quality, discard, surface, shared))                     \
    X(UpdateSurface, HRESULT,                                                                      \
      (IDirect3DSurface9* source, const RECT* sourceRect, IDirect3DSurface9* destination,          \
       const POINT* destinationPoint),                                                             \
      (source, sourceRect, destination, destinationPoint))                                         \
    X(UpdateTexture, HRESULT,                                                                      \
      (IDirect3DBaseTexture9* source, IDirect3DBaseTexture9* destination),                         \
      (source, destination))                                                                       \
    X(GetRenderTargetData, HRESULT,                                                                \
      (IDirect3DSurface9* renderTarget, IDirect3DSurface9* destination),                           \
      (renderTarget, destination))                                                                 \
    X(GetFrontBufferData, HRESULT, (UINT swapChain, IDirect3DSurface9* destination),               \
      (swapChain, destination))                                                                    \
    X(StretchRect, HRESULT,                                                                        \
      (IDirect3DSurface9* source, const RECT* sourceRect, IDirect3DSurface9* destination,          \
       const RECT* destinationRect, D3DTEXTUREFILTERTYPE filter),                                  \
      (source, sourceRect, destination, destinationRect, filter))                                  \
    X(ColorFill, HRESULT, (IDirect3DSurface9* surface, const RECT* rect, D3DCOLOR color),          \
      (surface, rect, color))                                                                      \
    X(CreateOffscreenPlainSurface, HRESULT,                                                        \
      (UINT width, UINT height, D3DFORMAT format, D3DPOOL pool, IDirect3DSurface9** surface,       \
       HANDLE* shared),                                                                            \
      (width, height, format, pool, surface, shared))                                              \
    X(SetRenderTarget, HRESULT, (DWORD index, IDirect3DSurface9* surface), (index, surface))       \
    X(GetRenderTarget, HRESULT, (DWORD index, IDirect3DSurface9** surface), (index, surface))      \
    X(SetDepthStencilSurface, HRESULT, (IDirect3DSurface9* surface), (surface))                    \
    X(GetDepthStencilSurface, HRESULT, (IDirect3DSurface9** surface), (surface))                   \
    X(BeginScene, HRESULT, (), ())                                                                 \
    X(EndScene, HRESULT, (), ())                                                                   \
    X(Clear, HRESULT,                                                                              \
      (DWORD rectCount, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,                \
       DWORD stencil),                                                                             \
      (rectCount, rects, flags, color, z, stencil))                                                \
    X(SetTransform, HRESULT, (D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix),               \
      (state, matrix))                                                                             \
    X(GetTransform, HRESULT, (D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix), (state, matrix))    \
    X(MultiplyTransform, HRESULT, (D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix),          \
      (state, matrix))                                                                             \
    X(SetViewport, HRESULT, (const D3DVIEWPORT9* viewport), (viewport))                            \
    X(GetViewport, HRESULT, (D3DVIEWPORT9* viewport), (viewport))                                  \
    X(SetMaterial, HRESULT, (const D3DMATERIAL9* material), (material))                            \
    X(GetMaterial, HRESULT, (D3DMATERIAL9* material), (material))                                  \
    X(SetLight, HRESULT, (DWORD index, const D3DLIGHT9* light), (index, light))                    \
    X(GetLight, HRESULT, (DWORD index, D3DLIGHT9* light), (index, light))                          \
    X(LightEnable, HRESULT, (DWORD index, WINBOOL enable), (index, enable))                        \
    X(GetLightEnable, HRESULT, (DWORD index, WINBOOL* enable), (index, enable))                    \
    X(SetClipPlane, HRESULT, (DWORD index, const float* plane), (index, plane))                    \
    X(GetClipPlane, HRESULT, (DWORD index, float* plane), (index, plane))                          \
    X(SetRenderState, HRESULT, (D3DRENDERSTATETYPE state, DWORD value), (state, value))            \
    X(GetRenderState, HRESULT, (D3DRENDERSTATETYPE state, DWORD* value), (state, value))           \
    X(CreateStateBlock, HRESULT, (D3DSTATEBLOCKTYPE type, IDirect3DStateBlock9** block),           \
      (type, block))                                                                               \
    X(BeginStateBlock, HRESULT, (), ())                                                            \
    X(EndStateBlock, HRESULT, (IDirect3DStateBlock9** block), (block))                             \
    X(SetClipStatus, HRESULT, (const D3DCLIPSTATUS9* status), (status))                            \
    X(GetClipStatus, HRESULT, (D3DCLIPSTATUS9* status), (status))                                  \
    X(GetTexture, HRESULT, (DWORD stage, IDirect3DBaseTexture9** texture), (stage, texture))       \
    X(SetTexture, HRESULT, (DWORD stage, IDirect3DBaseTexture9* texture), (stage, texture))        \
    X(GetTextureStageState, HRESULT,                                                               \
      (DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value), (stage, type, value))            \
    X(SetTextureStageState, HRESULT,                                                               \
      (DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value), (stage, type, value))             \
    X(GetSamplerState, HRESULT, (DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value),           \
      (sampler, type, value))                                                                      \
    X(SetSamplerState, HRESULT, (DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value),            \
      (sampler, type, value))                                                                      \
    X(ValidateDevice, HRESULT, (DWORD* passes), (passes))                                          \
    X(SetPaletteEntries, HRESULT, (UINT palette, const PALETTEENTRY* entries), (palette, entries)) \
    X(GetPaletteEntries, HRESULT, (UINT palette, PALETTEENTRY* entries), (palette, entries))       \
    X(SetCurrentTexturePalette, HRESULT, (UINT palette), (palette))                                \
    X(GetCurrentTexturePalette, HRESULT, (UINT* palette), (palette))                               \
    X(SetScissorRect, HRESULT, (const RECT* rect), (rect))                                         \
    X(GetScissorRect, HRESULT, (RECT* rect), (rect))                                               \
    X(SetSoftwareVertexProcessing, HRESULT, (WINBOOL software), (software))                        \
    X(SetNPatchMode, HRESULT, (float segments), (segments))                                        \
    X(DrawPrimitive, HRESULT, (D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount),      \
      (type, startVertex, primitiveCount))                                                         \
    X(DrawPrimitiveUP, HRESULT,                                                                    \
      (D3DPRIMITIVETYPE type, UINT primitiveCount, const void* data, UINT stride),                 \
      (type, primitiveCount, data, stride))                                                        \
    X(DrawIndexedPrimitiveUP, HRESULT,                                                             \
      (D3DPRIMITIVETYPE type, UINT minVertex, UINT vertexCount, UINT primitiveCount,               \
       const void* indexData, D3DFORMAT indexFormat, const void* data, UINT stride),               \
      (type, minVertex, vertexCount, primitiveCount, indexData, indexFormat, data, stride))        \
    X(CreateVertexDeclaration, HRESULT,                                                            \
      (const D3DVERTEXELEMENT9* elements, IDirect3DVertexDeclaration9** declaration),              \
      (elements, declaration))                                                                     \
    X(GetVertexDeclaration, HRESULT, (IDirect3DVertexDeclaration9** declaration), (declaration))   \
    X(SetFVF, HRESULT, (DWORD fvf), (fvf))                                                         \
    X(GetFVF, HRESULT, (DWORD* fvf), (fvf))                                                        \
    X(CreateVertexShader, HRESULT, (const DWORD* code, IDirect3DVertexShader9** shader),           \
      (code, shader))                                                                              \
    X(SetVertexShader, HRESULT, (IDirect3DVertexShader9* shader), (shader))                        \
    X(GetVertexShader, HRESULT, (IDirect3DVertexShader9** shader), (shader))                       \
    X(SetVertexShaderConstantF, HRESULT, (UINT start, const float* data, UINT count),              \
      (start, data, count))                                                                        \
    X(GetVertexShaderConstantF, HRESULT, (UINT start, float* data, UINT count),                    \
      (start, data, count))                                                                        \
    X(SetVertexShaderConstantI, HRESULT, (UINT start, const int* data, UINT count),                \
      (start, data, count))                                                                        \
    X(GetVertexShaderConstantI, HRESULT, (UINT start, int* data, UINT count),                      \
      (start, data, count))                                                                        \
    X(SetVertexShaderConstantB, HRESULT, (UINT start, const WINBOOL* data, UINT count),            \
      (start, data, count))                                                                        \
    X(GetVertexShaderConstantB, HRESULT, (UINT start, WINBOOL* data, UINT count),                  \
      (start, data, count))                                                                        \
    X(SetStreamSourceFreq, HRESULT, (UINT stream, UINT divider), (stream, divider))                \
    X(GetStreamSourceFreq, HRESULT, (UINT stream, UINT* divider), (stream, divider))               \
    X(CreatePixelShader, HRESULT, (const DWORD* code, IDirect3DPixelShader9** shader),             \
      (code, shader))                                                                              \
    X(SetPixelShader, HRESULT, (IDirect3DPixelShader9* shader), (shader))                          \
    X(GetPixelShader, HRESULT, (IDirect3DPixelShader9** shader), (shader))                         \
    X(SetPixelShaderConstantF, HRESULT, (UINT start, const float* data, UINT count),               \
      (start, data, count))                                                                        \
    X(GetPixelShaderConstantF, HRESULT, (UINT start, float* data, UINT count),                     \
      (start, data, count))                                                                        \
    X(SetPixelShaderConstantI, HRESULT, (UINT start, const int* data, UINT count),                 \
      (start, data, count))                                                                        \
    X(GetPixelShaderConstantI, HRESULT, (UINT start, int* data, UINT count), (start, data, count)) \
    X(SetPixelShaderConstantB, HRESULT, (UINT start, const WINBOOL* data, UINT count),             \
      (start, data, count))                                                                        \
    X(GetPixelShaderConstantB, HRESULT, (UINT start, WINBOOL* data, UINT count),                   \
      (start, data, count))                                                                        \
    X(DrawRectPatch, HRESULT,                                                                      \
      (UINT handle, const float* segments, const D3DRECTPATCH_INFO* info),                         \
      (handle, segments, info))                                                                    \
    X(DrawTriPatch, HRESULT, (UINT handle, const float* segments, const D3DTRIPATCH_INFO* info),   \
      (handle, segments, info))                                                                    \
    X(DeletePatch, HRESULT, (UINT handle), (handle))                                               \
    X(CreateQuery, HRESULT, (D3DQUERYTYPE type, IDirect3DQuery9** query), (type, query))

// Forwarded unchanged; they return no HRESULT, so they cannot fail.
#define MIRELTH_PROXY_VALUE_METHODS(X)                                                             \
    X(GetAvailableTextureMem, UINT, (), ())                                                        \
    X(SetCursorPosition, void, (int x, int y, DWORD flags), (x, y, flags))                         \
    X(ShowCursor, WINBOOL, (WINBOOL show), (show))                                                 \
    X(GetNumberOfSwapChains, UINT, (), ())                                                         \
    X(SetGammaRamp, void, (UINT swapChain, DWORD flags, const D3DGAMMARAMP* ramp),                 \
      (swapChain, flags, ramp))                                                                    \
    X(GetGammaRamp, void, (UINT swapChain, D3DGAMMARAMP* ramp), (swapChain, ramp))                 \
    X(GetSoftwareVertexProcessing, WINBOOL, (), ())                                                \
    X(GetNPatchMode, float, (), ())

// Written out by hand: they record arguments, wrap or unwrap buffers, or keep the
// proxy's own reference count. All but AddRef and Release can fail on request.
#define MIRELTH_PROXY_OWN_METHODS(X)                                                               \
    X(QueryInterface, HRESULT, (REFIID id, void** object), (id, object))                           \
    X(AddRef, ULONG, (), ())                                                                       \
    X(Release, ULONG, (), ())                                                                      \
    X(GetCreationParameters, HRESULT, (D3DDEVICE_CREATION_PARAMETERS* parameters), (parameters))   \
    X(CreateVertexBuffer, HRESULT,                                                                 \
      (UINT length, DWORD usage, DWORD fvf, D3DPOOL pool, IDirect3DVertexBuffer9** buffer,         \
       HANDLE* shared),                                                                            \
      (length, usage, fvf, pool, buffer, shared))                                                  \
    X(CreateIndexBuffer, HRESULT,                                                                  \
      (UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool, IDirect3DIndexBuffer9** buffer,   \
       HANDLE* shared),                                                                            \
      (length, usage, format, pool, buffer, shared))                                               \
    X(DrawIndexedPrimitive, HRESULT,                                                               \
      (D3DPRIMITIVETYPE type, INT baseVertex, UINT minVertex, UINT vertexCount,                    \
       UINT startIndex, UINT primitiveCount),                                                      \
      (type, baseVertex, minVertex, vertexCount, startIndex, primitiveCount))                      \
    X(ProcessVertices, HRESULT,                                                                    \
      (UINT sourceStart, UINT destinationIndex, UINT vertexCount,                                  \
       IDirect3DVertexBuffer9* destination, IDirect3DVertexDeclaration9* declaration,              \
       DWORD flags),                                                                               \
      (sourceStart, destinationIndex, vertexCount, destination, declaration, flags))               \
    X(SetVertexDeclaration, HRESULT, (IDirect3DVertexDeclaration9* declaration), (declaration))    \
    X(SetStreamSource, HRESULT,                                                                    \
      (UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride),                     \
      (stream, buffer, offset, stride))                                                            \
    X(GetStreamSource, HRESULT,                                                                    \
      (UINT stream, IDirect3DVertexBuffer9** buffer, UINT* offset, UINT* stride),                  \
      (stream, buffer, offset, stride))                                                            \
    X(SetIndices, HRESULT, (IDirect3DIndexBuffer9* buffer), (buffer))                              \
    X(GetIndices, HRESULT, (IDirect3DIndexBuffer9** buffer), (buffer))

// Calls on the buffers that the proxy wraps.
#define MIRELTH_PROXY_BUFFER_CALLS(X)                                                              \
    X(VertexBufferLock) X(VertexBufferUnlock) X(VertexBufferRelease)                               \
    X(IndexBufferLock) X(IndexBufferUnlock) X(IndexBufferRelease)

// Every call the proxy sees, by name: ProxyCall::CreateVertexBuffer, ...
enum class ProxyCall {
#define MIRELTH_PROXY_ENUM_METHOD(name, result, parameters, arguments) name,
#define MIRELTH_PROXY_ENUM_NAME(name) name,
    MIRELTH_PROXY_FORWARDED_METHODS(MIRELTH_PROXY_ENUM_METHOD)
    MIRELTH_PROXY_VALUE_METHODS(MIRELTH_PROXY_ENUM_METHOD)
    MIRELTH_PROXY_OWN_METHODS(MIRELTH_PROXY_ENUM_METHOD)
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

template <class Interface, class Description, bool IsIndex>
class ProxyBuffer;

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
        DWORD fvf;         // vertex buffers
        D3DFORMAT format;  // index buffers
        D3DPOOL pool;
        void* wrapper;           // the interface handed out, for comparison only
        bool alive;              // not yet released for good
        std::string contents;    // `length` bytes as they stood at the last Unlock
        unsigned locks, unlocks; // calls that succeeded
    };
    const std::vector<DrawIndexed>& DrawIndexedCalls() const { return draws_; }
    const std::vector<StreamSource>& StreamSourceCalls() const { return streamSources_; }
    const std::vector<IDirect3DIndexBuffer9*>& SetIndicesCalls() const { return indices_; }
    const std::vector<IDirect3DVertexDeclaration9*>& SetVertexDeclarationCalls() const {
        return declarations_;
    }
    const std::vector<Buffer>& Buffers() const { return buffers_; }
    unsigned LiveBuffers() const;

#define MIRELTH_PROXY_DECLARE(name, result, parameters, arguments)                                 \
    result STDMETHODCALLTYPE name parameters override;
    MIRELTH_PROXY_FORWARDED_METHODS(MIRELTH_PROXY_DECLARE)
    MIRELTH_PROXY_VALUE_METHODS(MIRELTH_PROXY_DECLARE)
    MIRELTH_PROXY_OWN_METHODS(MIRELTH_PROXY_DECLARE)
#undef MIRELTH_PROXY_DECLARE

private:
    template <class Interface, class Description, bool IsIndex>
    friend class ProxyBuffer;

    ~DeviceProxy();
    // Counts and logs the call and runs its actions; true (with the result) when it must fail.
    bool Enter(ProxyCall call, HRESULT* failure);
    IDirect3DVertexBuffer9* Unwrap(IDirect3DVertexBuffer9* buffer) const;
    IDirect3DIndexBuffer9* Unwrap(IDirect3DIndexBuffer9* buffer) const;
    void* WrapperOf(void* real) const;
    // Drops a reference without logging a call: buffers hold the proxy as real buffers
    // hold their device, and that is no call of the program's.
    ULONG Drop();
    // A wrapper's last Release: it is no longer handed out or unwrapped.
    void Forget(void* wrapper, size_t record);

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
    std::vector<std::pair<void*, void*>> wrappers_;  // live (wrapper, real) buffer pairs
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
