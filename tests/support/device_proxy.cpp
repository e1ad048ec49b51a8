#include "support/device_proxy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "graphics/graphics.h"

namespace {
const char* const CallNames[] = {
#define MIRELTH_PROXY_NAME_METHOD(name, count) #name,
#define MIRELTH_PROXY_NAME(name) #name,
    MIRELTH_PROXY_METHODS(MIRELTH_PROXY_NAME_METHOD)
    MIRELTH_PROXY_BUFFER_CALLS(MIRELTH_PROXY_NAME)
#undef MIRELTH_PROXY_NAME_METHOD
#undef MIRELTH_PROXY_NAME
};
static_assert(sizeof CallNames / sizeof CallNames[0] == static_cast<size_t>(ProxyCall::Count),
              "one name per call");
}  // namespace

const char* ProxyCallName(ProxyCall call) { return CallNames[static_cast<size_t>(call)]; }

bool ProxyCallByName(const std::string& name, ProxyCall* call) {
    const auto found = std::find(std::begin(CallNames), std::end(CallNames), name);
    if (found == std::end(CallNames)) return false;
    *call = static_cast<ProxyCall>(found - std::begin(CallNames));
    return true;
}

bool ProxyCallCanFail(ProxyCall call) {
    switch (call) {
#define MIRELTH_PROXY_VALUE_CASE(name, count) case ProxyCall::name:
        MIRELTH_PROXY_VALUE_METHODS(MIRELTH_PROXY_VALUE_CASE)
#undef MIRELTH_PROXY_VALUE_CASE
        case ProxyCall::AddRef:
        case ProxyCall::Release:
        case ProxyCall::VertexBufferRelease:
        case ProxyCall::IndexBufferRelease:
        case ProxyCall::Count:
            return false;
        default:
            return true;
    }
}

// Counts and logs the call, and returns the failure asked for, if any, from the method it
// stands in.
#define MIRELTH_PROXY_ENTER(proxy, call) \
    HRESULT failure = S_OK;              \
    if ((proxy)->Enter(call, &failure)) return failure

// A vertex or index buffer handed out by the proxy in place of the real one. It keeps
// the proxy alive as a real buffer keeps its device, and copies what was written at Unlock.
template <class Interface, class Description, bool IsIndex>
class ProxyBuffer final : public Interface {
public:
    ProxyBuffer(DeviceProxy* device, Interface* real, size_t record)
        : device_(device), real_(real), record_(record) {
        ++device_->references_;
    }
    ProxyBuffer(const ProxyBuffer&) = delete;
    ProxyBuffer& operator=(const ProxyBuffer&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        return QueryProxy<Interface, IDirect3DResource9>(this, real_, id, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        device_->Enter(IsIndex ? ProxyCall::IndexBufferRelease : ProxyCall::VertexBufferRelease,
                       nullptr);
        const ULONG left = --references_;
        if (left == 0) {
            real_->Release();
            // No longer handed out or unwrapped.
            device_->buffers_[record_].alive = false;
            device_->wrappers_.erase(static_cast<Interface*>(this));
            DeviceProxy* device = device_;
            delete this;
            device->Drop();
        }
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9** device) override {
        if (device == nullptr) return D3DERR_INVALIDCALL;
        *device = device_;
        device_->AddRef();
        return D3D_OK;
    }
#define MIRELTH_BUFFER_FORWARD(name, count) \
    MIRELTH_COM_SIGNATURE(, IDirect3DResource9, name, count) override { \
        return real_->name(MIRELTH_COM_ARGUMENTS(count));                 \
    }
    MIRELTH_BUFFER_FORWARD(SetPrivateData, 4) MIRELTH_BUFFER_FORWARD(GetPrivateData, 3)
    MIRELTH_BUFFER_FORWARD(FreePrivateData, 1) MIRELTH_BUFFER_FORWARD(SetPriority, 1)
    MIRELTH_BUFFER_FORWARD(GetPriority, 0) MIRELTH_BUFFER_FORWARD(PreLoad, 0)
    MIRELTH_BUFFER_FORWARD(GetType, 0)
#undef MIRELTH_BUFFER_FORWARD

    HRESULT STDMETHODCALLTYPE Lock(UINT offset, UINT size, void** data, DWORD flags) override {
        MIRELTH_PROXY_ENTER(device_,
                            IsIndex ? ProxyCall::IndexBufferLock : ProxyCall::VertexBufferLock);
        const HRESULT result = real_->Lock(offset, size, data, flags);
        if (SUCCEEDED(result) && data != nullptr) {
            const DeviceProxy::Buffer& record = device_->buffers_[record_];
            locked_ = static_cast<const char*>(*data);
            lockedOffset_ = std::min<UINT>(offset, record.length);
            lockedSize_ = size == 0 ? record.length - lockedOffset_
                                    : std::min<UINT>(size, record.length - lockedOffset_);
        }
        return result;
    }
    HRESULT STDMETHODCALLTYPE Unlock() override {
        MIRELTH_PROXY_ENTER(device_,
                            IsIndex ? ProxyCall::IndexBufferUnlock : ProxyCall::VertexBufferUnlock);
        DeviceProxy::Buffer& record = device_->buffers_[record_];
        if (locked_ != nullptr) {
            std::memcpy(&record.contents[lockedOffset_], locked_, lockedSize_);
            locked_ = nullptr;
        }
        const HRESULT result = real_->Unlock();
        if (SUCCEEDED(result)) ++record.unlocks;
        return result;
    }
    HRESULT STDMETHODCALLTYPE GetDesc(Description* description) override {
        return real_->GetDesc(description);
    }

private:
    ~ProxyBuffer() = default;

    DeviceProxy* device_;
    Interface* real_;
    size_t record_;
    ULONG references_ = 1;
    const char* locked_ = nullptr;
    UINT lockedOffset_ = 0;
    UINT lockedSize_ = 0;
};

using ProxyVertexBuffer = ProxyBuffer<IDirect3DVertexBuffer9, D3DVERTEXBUFFER_DESC, false>;
using ProxyIndexBuffer = ProxyBuffer<IDirect3DIndexBuffer9, D3DINDEXBUFFER_DESC, true>;

DeviceProxy::DeviceProxy(IDirect3DDevice9* real) : real_(real) { real_->AddRef(); }

DeviceProxy::~DeviceProxy() { real_->Release(); }

bool DeviceProxy::FailCall(ProxyCall call, HRESULT result, unsigned nth) {
    if (!ProxyCallCanFail(call) || nth == 0) return false;
    failures_.push_back({call, result, nth, false});
    return true;
}

bool DeviceProxy::FailCall(const std::string& name, HRESULT result, unsigned nth) {
    ProxyCall call;
    return ProxyCallByName(name, &call) && FailCall(call, result, nth);
}

bool DeviceProxy::FailEveryCall(ProxyCall call, HRESULT result) {
    if (!ProxyCallCanFail(call)) return false;
    failures_.push_back({call, result, 0, true});
    return true;
}

void DeviceProxy::ClearFailures() { failures_.clear(); }

void DeviceProxy::OnCall(ProxyCall call, std::function<void()> action) {
    actions_.push_back({call, std::move(action)});
}

void DeviceProxy::FakeBehaviorFlags(DWORD flags) {
    fakeFlags_ = true;
    behaviorFlags_ = flags;
}

unsigned DeviceProxy::LiveBuffers() const {
    return static_cast<unsigned>(
        std::count_if(buffers_.begin(), buffers_.end(), [](const Buffer& b) { return b.alive; }));
}

bool DeviceProxy::Enter(ProxyCall call, HRESULT* failure) {
    ++counts_[static_cast<size_t>(call)];
    log_.push_back(call);
    for (size_t i = 0; i < actions_.size(); ++i) {
        if (actions_[i].call == call) actions_[i].run();
    }
    if (failure == nullptr) return false;
    // Every waiting request counts this call; the first one that comes due decides.
    bool fails = false;
    for (Failure& request : failures_) {
        if (request.call != call) continue;
        const bool due = request.everyCall || --request.remaining == 0;
        if (due && !fails) {
            fails = true;
            *failure = request.result;
        }
    }
    const auto spent = [](const Failure& f) { return !f.everyCall && f.remaining == 0; };
    failures_.erase(std::remove_if(failures_.begin(), failures_.end(), spent), failures_.end());
    return fails;
}

template <class Face>
Face* DeviceProxy::Unwrap(Face* buffer) const {
    const auto found = wrappers_.find(buffer);
    return found == wrappers_.end() ? buffer : static_cast<Face*>(found->second);
}

template <class Face>
HRESULT DeviceProxy::Rewrap(HRESULT result, Face** buffer) const {
    if (FAILED(result) || buffer == nullptr || *buffer == nullptr) return result;
    for (const auto& pair : wrappers_) {
        if (pair.second != *buffer) continue;
        (*buffer)->Release();
        *buffer = static_cast<Face*>(pair.first);
        (*buffer)->AddRef();
        break;
    }
    return result;
}

template <class Wrapper, class Face>
HRESULT DeviceProxy::HandOut(HRESULT result, Face* real, Face** buffer, bool isIndex,
                             UINT length, DWORD usage) {
    if (FAILED(result) || real == nullptr) {
        if (buffer != nullptr) *buffer = real;
        return result;
    }
    Face* wrapper = new Wrapper(this, real, buffers_.size());
    buffers_.push_back({isIndex, length, usage, wrapper, true, std::string(length, '\0'), 0});
    wrappers_.emplace(wrapper, real);
    *buffer = wrapper;
    return result;
}

// Forwarded after MIRELTH_PROXY_ENTER and then, where given, statements that record the
// arguments (a0, a1, ...) or put the real buffer in place of a wrapper.
#define MIRELTH_PROXY_DEFINE(name, count, ...)                    \
    MIRELTH_COM_DEFINE(DeviceProxy, IDirect3DDevice9, name, count, \
                       MIRELTH_PROXY_ENTER(this, ProxyCall::name); __VA_ARGS__)
MIRELTH_PROXY_FORWARDED_METHODS(MIRELTH_PROXY_DEFINE)
MIRELTH_PROXY_DEFINE(DrawIndexedPrimitive, 6, draws_.push_back({a0, a1, a2, a3, a4, a5}))
MIRELTH_PROXY_DEFINE(SetVertexDeclaration, 1, declarations_.push_back(a0))
MIRELTH_PROXY_DEFINE(ProcessVertices, 6, a3 = Unwrap(a3))  // the destination buffer
MIRELTH_PROXY_DEFINE(SetStreamSource, 4,
                     streamSources_.push_back({a0, a1, a2, a3});
                     a1 = Unwrap(a1))
MIRELTH_PROXY_DEFINE(SetIndices, 1,
                     indices_.push_back(a0);
                     a0 = Unwrap(a0))
#undef MIRELTH_PROXY_DEFINE

#define MIRELTH_PROXY_FORWARD_VALUE(name, count) \
    MIRELTH_COM_DEFINE(DeviceProxy, IDirect3DDevice9, name, count, Enter(ProxyCall::name, nullptr))
MIRELTH_PROXY_VALUE_METHODS(MIRELTH_PROXY_FORWARD_VALUE)
#undef MIRELTH_PROXY_FORWARD_VALUE

HRESULT STDMETHODCALLTYPE DeviceProxy::QueryInterface(REFIID id, void** object) {
    MIRELTH_PROXY_ENTER(this, ProxyCall::QueryInterface);
    return QueryProxy<IDirect3DDevice9>(this, real_, id, object);
}

ULONG STDMETHODCALLTYPE DeviceProxy::AddRef() {
    Enter(ProxyCall::AddRef, nullptr);
    return ++references_;
}

ULONG STDMETHODCALLTYPE DeviceProxy::Release() {
    Enter(ProxyCall::Release, nullptr);
    return Drop();
}

ULONG DeviceProxy::Drop() {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT STDMETHODCALLTYPE
DeviceProxy::GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters) {
    MIRELTH_PROXY_ENTER(this, ProxyCall::GetCreationParameters);
    const HRESULT result = real_->GetCreationParameters(parameters);
    if (SUCCEEDED(result) && fakeFlags_) parameters->BehaviorFlags = behaviorFlags_;
    return result;
}

HRESULT STDMETHODCALLTYPE DeviceProxy::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf,
                                                          D3DPOOL pool,
                                                          IDirect3DVertexBuffer9** buffer,
                                                          HANDLE* shared) {
    MIRELTH_PROXY_ENTER(this, ProxyCall::CreateVertexBuffer);
    IDirect3DVertexBuffer9* real = nullptr;
    const HRESULT result = real_->CreateVertexBuffer(length, usage, fvf, pool, &real, shared);
    return HandOut<ProxyVertexBuffer>(result, real, buffer, false, length, usage);
}

HRESULT STDMETHODCALLTYPE DeviceProxy::CreateIndexBuffer(UINT length, DWORD usage,
                                                         D3DFORMAT format, D3DPOOL pool,
                                                         IDirect3DIndexBuffer9** buffer,
                                                         HANDLE* shared) {
    MIRELTH_PROXY_ENTER(this, ProxyCall::CreateIndexBuffer);
    IDirect3DIndexBuffer9* real = nullptr;
    const HRESULT result = real_->CreateIndexBuffer(length, usage, format, pool, &real, shared);
    return HandOut<ProxyIndexBuffer>(result, real, buffer, true, length, usage);
}

HRESULT STDMETHODCALLTYPE DeviceProxy::GetStreamSource(UINT stream,
                                                       IDirect3DVertexBuffer9** buffer,
                                                       UINT* offset, UINT* stride) {
    MIRELTH_PROXY_ENTER(this, ProxyCall::GetStreamSource);
    return Rewrap(real_->GetStreamSource(stream, buffer, offset, stride), buffer);
}

HRESULT STDMETHODCALLTYPE DeviceProxy::GetIndices(IDirect3DIndexBuffer9** buffer) {
    MIRELTH_PROXY_ENTER(this, ProxyCall::GetIndices);
    return Rewrap(real_->GetIndices(buffer), buffer);
}

ScopedDeviceProxy::ScopedDeviceProxy()
    : real_(GraphicsState.device), proxy_(new DeviceProxy(GraphicsState.device)) {
    GraphicsState.device = proxy_;
}

ScopedDeviceProxy::~ScopedDeviceProxy() {
    GraphicsState.device = real_;
    const ULONG left = proxy_->Release();
    EXPECT_EQ(left, 0u) << "something still holds the device proxy (a buffer made through it?)";
}
