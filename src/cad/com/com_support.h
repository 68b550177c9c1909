// The plumbing under the automation host: owned COM pointers and VARIANTs,
// UTF-8 <-> BSTR, and late-bound calls by member name that turn every failure
// into a HostError (HostBusy when the host refuses the call as busy; the
// program's own retry, cad/busy_retry.h, asks again).
#pragma once

#include "cad/host.h"

#include <windows.h>
#include <oaidl.h>
#include <objidl.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace lumo::cad::com {

std::wstring toWide(const std::string& utf8);
std::string toUtf8(const wchar_t* text, std::size_t length);
std::string toUtf8(BSTR text);

// An owned reference to a COM interface.
template <class T> class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) { }
    // Takes a reference of its own.
    explicit ComPtr(T* p) : p_(p)
    {
        if (p_)
            p_->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.p_) { }
    ComPtr(ComPtr&& other) noexcept : p_(other.p_) { other.p_ = nullptr; }
    ComPtr& operator=(ComPtr other) noexcept
    {
        std::swap(p_, other.p_);
        return *this;
    }
    ~ComPtr() { reset(); }

    // Adopts a reference the caller already holds.
    static ComPtr adopt(T* p)
    {
        ComPtr result;
        result.p_ = p;
        return result;
    }
    void reset()
    {
        if (p_)
            p_->Release();
        p_ = nullptr;
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For out-parameters: drops the current reference first.
    T** put()
    {
        reset();
        return &p_;
    }

private:
    T* p_ = nullptr;
};

// An owned VARIANT.
class Variant {
public:
    Variant() { VariantInit(&v_); }
    Variant(const Variant& other);
    Variant(Variant&& other) noexcept;
    Variant& operator=(Variant other) noexcept;
    ~Variant() { VariantClear(&v_); }

    static Variant string(const std::string& utf8);
    static Variant real(double value);
    static Variant int32(long value);
    static Variant boolean(bool value);
    static Variant object(IDispatch* object);
    // An omitted optional argument.
    static Variant missing();
    // A point: SAFEARRAY of three doubles.
    static Variant point(const Point3& p);
    static Variant int16Array(const std::vector<std::int16_t>& values);
    // SAFEARRAY of VARIANTs holding strings.
    static Variant stringVariantArray(const std::vector<std::string>& values);
    // By-reference argument: the callee writes into *target.
    static Variant byRef(VARTYPE type, void* target);

    VARIANT* get() { return &v_; }
    const VARIANT& raw() const { return v_; }
    VARTYPE type() const { return v_.vt; }

    // Conversions of a result; each fails with HostError when the value does
    // not have that meaning.
    std::string toString() const;
    double toDouble() const;
    long toLong() const;
    long long toInt64() const;
    bool toBool() const;
    Point3 toPoint() const;
    ComPtr<IDispatch> toObject() const;
    // An array of objects (VT_ARRAY of VT_VARIANT or of VT_DISPATCH).
    std::vector<ComPtr<IDispatch>> toObjects() const;

private:
    VARIANT v_;
};

// The COM side of one connection: the apartment of the calling thread and a
// message filter that gives up at once on a call the host refuses as busy
// (the program's own retry pauses and asks again) and keeps painting the
// caller's windows while a call is under way. Every object of the connection
// keeps it alive, so the apartment outlives them.
class ComContext {
public:
    ComContext();
    ~ComContext();
    ComContext(const ComContext&) = delete;
    ComContext& operator=(const ComContext&) = delete;

private:
    bool uninitialize_ = false;
    ComPtr<IMessageFilter> filter_;
    IMessageFilter* previousFilter_ = nullptr;
    bool filterRegistered_ = false;
};

// Late-bound calls on one automation object. Arguments are given in their
// natural order.
class Dispatcher {
public:
    Dispatcher(std::shared_ptr<ComContext> context, ComPtr<IDispatch> object);

    Variant get(const char* member, std::vector<Variant> args = {}) const;
    void put(const char* member, Variant value) const;
    Variant call(const char* member, std::vector<Variant> args = {}) const;
    // The type-info name the object reports for itself.
    std::string typeName() const;

    // A child object of the same connection from a result.
    Dispatcher child(const Variant& result, const char* member) const;

    IDispatch* object() const { return object_.get(); }
    const std::shared_ptr<ComContext>& context() const { return context_; }

private:
    Variant invoke(const char* member, WORD flags, std::vector<Variant>& args) const;
    DISPID dispid(const char* member) const;

    std::shared_ptr<ComContext> context_;
    ComPtr<IDispatch> object_;
    mutable std::map<std::string, DISPID> ids_;
};

} // namespace lumo::cad::com
