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

// "T0 a0, T1 a1, ..." and "a0, a1, ..." for a method of up to nine parameters.
#define MIRELTH_COM_PARAMETERS_0(M)
#define MIRELTH_COM_PARAMETERS_1(M) M::Parameter<0> a0
#define MIRELTH_COM_PARAMETERS_2(M) MIRELTH_COM_PARAMETERS_1(M), M::Parameter<1> a1
#define MIRELTH_COM_PARAMETERS_3(M) MIRELTH_COM_PARAMETERS_2(M), M::Parameter<2> a2
#define MIRELTH_COM_PARAMETERS_4(M) MIRELTH_COM_PARAMETERS_3(M), M::Parameter<3> a3
#define MIRELTH_COM_PARAMETERS_5(M) MIRELTH_COM_PARAMETERS_4(M), M::Parameter<4> a4
#define MIRELTH_COM_PARAMETERS_6(M) MIRELTH_COM_PARAMETERS_5(M), M::Parameter<5> a5
#define MIRELTH_COM_PARAMETERS_7(M) MIRELTH_COM_PARAMETERS_6(M), M::Parameter<6> a6
#define MIRELTH_COM_PARAMETERS_8(M) MIRELTH_COM_PARAMETERS_7(M), M::Parameter<7> a7
#define MIRELTH_COM_PARAMETERS_9(M) MIRELTH_COM_PARAMETERS_8(M), M::Parameter<8> a8
#define MIRELTH_COM_ARGUMENTS_0
#define MIRELTH_COM_ARGUMENTS_1 a0
#define MIRELTH_COM_ARGUMENTS_2 MIRELTH_COM_ARGUMENTS_1, a1
#define MIRELTH_COM_ARGUMENTS_3 MIRELTH_COM_ARGUMENTS_2, a2
#define MIRELTH_COM_ARGUMENTS_4 MIRELTH_COM_ARGUMENTS_3, a3
#define MIRELTH_COM_ARGUMENTS_5 MIRELTH_COM_ARGUMENTS_4, a4
#define MIRELTH_COM_ARGUMENTS_6 MIRELTH_COM_ARGUMENTS_5, a5
#define MIRELTH_COM_ARGUMENTS_7 MIRELTH_COM_ARGUMENTS_6, a6
#define MIRELTH_COM_ARGUMENTS_8 MIRELTH_COM_ARGUMENTS_7, a7
#define MIRELTH_COM_ARGUMENTS_9 MIRELTH_COM_ARGUMENTS_8, a8

// The signature of Interface::name as a proxy's own method.
#define MIRELTH_COM_SIGNATURE(Owner, Interface, name, count)                       \
    MIRELTH_COM_METHOD(Interface, name)::Result STDMETHODCALLTYPE Owner name(       \
        MIRELTH_COM_PARAMETERS_##count(MIRELTH_COM_METHOD(Interface, name)))

// The override's declaration, and its definition that runs `enter` (statements that may
// return early and may read the arguments a0, a1, ...) and then forwards the call to the
// member real_.
#define MIRELTH_COM_DECLARE(Interface, name, count) \
    MIRELTH_COM_SIGNATURE(, Interface, name, count) override;
#define MIRELTH_COM_DEFINE(Class, Interface, name, count, ...)          \
    MIRELTH_COM_SIGNATURE(Class::, Interface, name, count) {           \
        __VA_ARGS__;                                                    \
        return real_->name(MIRELTH_COM_ARGUMENTS_##count);              \
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
