// Forwarding a COM interface's methods to the real object, written once: a proxy lists each
// method by name and parameter count, and the types are taken from the interface itself.
//
//   #define METHODS(X) X(GetAdapterCount, 0) X(GetAdapterMonitor, 1)
//   #define DECLARE(name, count) MIRELTH_COM_DECLARE(IDirect3D9, name, count)
//   #define DEFINE(name, count) MIRELTH_COM_DEFINE(Proxy, IDirect3D9, name, count, Log(#name))
//   METHODS(DECLARE)   // in the class
//   METHODS(DEFINE)    // in the .cpp: each logs its call and forwards it
#pragma once

#include <windows.h>

#include <cstddef>
#include <tuple>

template <class Method>
struct ComMethod;
template <class Result_, class Interface, class... Parameters>
struct ComMethod<Result_ (STDMETHODCALLTYPE Interface::*)(Parameters...)> {
    using Result = Result_;
    template <size_t I>
    using Parameter = std::tuple_element_t<I, std::tuple<Parameters...>>;
};

#define MIRELTH_COM_METHOD(Interface, name) ComMethod<decltype(&Interface::name)>

// "F(M, 0), F(M, 1), ..." for a method of up to nine parameters.
#define MIRELTH_COM_LIST_0(F, M)
#define MIRELTH_COM_LIST_1(F, M) F(M, 0)
#define MIRELTH_COM_LIST_2(F, M) MIRELTH_COM_LIST_1(F, M), F(M, 1)
#define MIRELTH_COM_LIST_3(F, M) MIRELTH_COM_LIST_2(F, M), F(M, 2)
#define MIRELTH_COM_LIST_4(F, M) MIRELTH_COM_LIST_3(F, M), F(M, 3)
#define MIRELTH_COM_LIST_5(F, M) MIRELTH_COM_LIST_4(F, M), F(M, 4)
#define MIRELTH_COM_LIST_6(F, M) MIRELTH_COM_LIST_5(F, M), F(M, 5)
#define MIRELTH_COM_LIST_7(F, M) MIRELTH_COM_LIST_6(F, M), F(M, 6)
#define MIRELTH_COM_LIST_8(F, M) MIRELTH_COM_LIST_7(F, M), F(M, 7)
#define MIRELTH_COM_LIST_9(F, M) MIRELTH_COM_LIST_8(F, M), F(M, 8)
// Parameter i of method M as "Ti ai", and as the argument "ai".
#define MIRELTH_COM_PARAMETER(M, i) M::Parameter<i> a##i
#define MIRELTH_COM_ARGUMENT(M, i) a##i
#define MIRELTH_COM_ARGUMENTS(count) MIRELTH_COM_LIST_##count(MIRELTH_COM_ARGUMENT, )

// The signature of Interface::name as a proxy's own method.
#define MIRELTH_COM_SIGNATURE(Owner, Interface, name, count)                       \
    MIRELTH_COM_METHOD(Interface, name)::Result STDMETHODCALLTYPE Owner name(       \
        MIRELTH_COM_LIST_##count(MIRELTH_COM_PARAMETER, MIRELTH_COM_METHOD(Interface, name)))

// The override's declaration, and its definition that runs `enter` (statements that may
// return early and may read the arguments a0, a1, ...) and then forwards the call to the
// member real_.
#define MIRELTH_COM_DECLARE(Interface, name, count) \
    MIRELTH_COM_SIGNATURE(, Interface, name, count) override;
#define MIRELTH_COM_DEFINE(Class, Interface, name, count, ...)          \
    MIRELTH_COM_SIGNATURE(Class::, Interface, name, count) {           \
        __VA_ARGS__;                                                    \
        return real_->name(MIRELTH_COM_ARGUMENTS(count));               \
    }

// A proxy's QueryInterface: the proxy itself, with one more reference, for IUnknown, `Face`
// and `More`; for any other interface whatever the real object gives.
template <class Face, class... More>
HRESULT QueryProxy(Face* proxy, IUnknown* real, REFIID id, void** object) {
    if (object == nullptr) return E_POINTER;
    if (id == __uuidof(IUnknown) || id == __uuidof(Face) || (... || (id == __uuidof(More)))) {
        *object = proxy;
        proxy->AddRef();
        return S_OK;
    }
    return real->QueryInterface(id, object);
}
