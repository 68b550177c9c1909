#include "cad/com/com_support.h"

#include <cstdio>
#include <utility>

namespace lumo::cad::com {

namespace {

bool isBusyRejection(HRESULT hr)
{
    return hr == RPC_E_CALL_REJECTED || hr == RPC_E_SERVERCALL_RETRYLATER;
}

std::string hexCode(HRESULT hr)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

// The system's wording of an HRESULT, or its number when there is none.
std::string describeResult(HRESULT hr)
{
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string text;
    if (length > 0 && buffer) {
        text = toUtf8(buffer, length);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
            text.pop_back();
    }
    if (buffer)
        LocalFree(buffer);
    return text.empty() ? hexCode(hr) : text + " (" + hexCode(hr) + ")";
}

// The host's own description of a failed call.
std::string describeFailure(const char* member, HRESULT hr, EXCEPINFO& info)
{
    if (hr == DISP_E_EXCEPTION) {
        if (info.pfnDeferredFillIn)
            info.pfnDeferredFillIn(&info);
        if (info.bstrDescription && SysStringLen(info.bstrDescription) > 0)
            return toUtf8(info.bstrDescription);
        const HRESULT code = info.scode != 0 ? info.scode : static_cast<HRESULT>(info.wCode);
        return std::string(member) + ": automation error " + hexCode(code);
    }
    return std::string(member) + ": " + describeResult(hr);
}

void clearExcepInfo(EXCEPINFO& info)
{
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    info = EXCEPINFO{};
}

SAFEARRAY* createVector(VARTYPE type, std::size_t count)
{
    SAFEARRAY* array = SafeArrayCreateVector(type, 0, static_cast<ULONG>(count));
    if (!array)
        throw HostError("Out of memory for an automation array");
    return array;
}

// Gives up at once on a call a busy host refuses (COM then fails it with
// RPC_E_CALL_REJECTED, which becomes HostBusy); while COM waits for an
// answer it keeps painting the caller's windows.
class BusyMessageFilter final : public IMessageFilter {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (iid == IID_IUnknown || iid == IID_IMessageFilter) {
            *out = static_cast<IMessageFilter*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }

    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override
    {
        return SERVERCALL_ISHANDLED;
    }
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD, DWORD) override { return static_cast<DWORD>(-1); }
    DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override { return PENDINGMSG_WAITDEFPROCESS; }

private:
    LONG refs_ = 1;
};

} // namespace

std::wstring toWide(const std::string& utf8)
{
    if (utf8.empty())
        return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (size <= 0)
        throw HostError("Text is not valid UTF-8");
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
    return wide;
}

std::string toUtf8(const wchar_t* text, std::size_t length)
{
    if (!text || length == 0)
        return {};
    const int size
        = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return {};
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), utf8.data(), size, nullptr, nullptr);
    return utf8;
}

std::string toUtf8(BSTR text)
{
    return toUtf8(text, text ? SysStringLen(text) : 0);
}

// --- Variant -----------------------------------------------------------------

Variant::Variant(const Variant& other)
{
    VariantInit(&v_);
    if (FAILED(VariantCopy(&v_, const_cast<VARIANT*>(&other.v_))))
        throw HostError("Cannot copy an automation value");
}

Variant::Variant(Variant&& other) noexcept : v_(other.v_)
{
    VariantInit(&other.v_);
}

Variant& Variant::operator=(Variant other) noexcept
{
    std::swap(v_, other.v_);
    return *this;
}

Variant Variant::string(const std::string& utf8)
{
    const std::wstring wide = toWide(utf8);
    Variant v;
    v.v_.vt = VT_BSTR;
    v.v_.bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    return v;
}

Variant Variant::real(double value)
{
    Variant v;
    v.v_.vt = VT_R8;
    v.v_.dblVal = value;
    return v;
}

Variant Variant::int32(long value)
{
    Variant v;
    v.v_.vt = VT_I4;
    v.v_.lVal = value;
    return v;
}

Variant Variant::boolean(bool value)
{
    Variant v;
    v.v_.vt = VT_BOOL;
    v.v_.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

Variant Variant::object(IDispatch* object)
{
    Variant v;
    v.v_.vt = VT_DISPATCH;
    v.v_.pdispVal = object;
    if (object)
        object->AddRef();
    return v;
}

Variant Variant::missing()
{
    Variant v;
    v.v_.vt = VT_ERROR;
    v.v_.scode = DISP_E_PARAMNOTFOUND;
    return v;
}

Variant Variant::point(const Point3& p)
{
    SAFEARRAY* array = createVector(VT_R8, 3);
    double* data = nullptr;
    SafeArrayAccessData(array, reinterpret_cast<void**>(&data));
    data[0] = p.x;
    data[1] = p.y;
    data[2] = p.z;
    SafeArrayUnaccessData(array);
    Variant v;
    v.v_.vt = VT_ARRAY | VT_R8;
    v.v_.parray = array;
    return v;
}

Variant Variant::int16Array(const std::vector<std::int16_t>& values)
{
    SAFEARRAY* array = createVector(VT_I2, values.size());
    if (!values.empty()) {
        SHORT* data = nullptr;
        SafeArrayAccessData(array, reinterpret_cast<void**>(&data));
        for (std::size_t i = 0; i < values.size(); ++i)
            data[i] = values[i];
        SafeArrayUnaccessData(array);
    }
    Variant v;
    v.v_.vt = VT_ARRAY | VT_I2;
    v.v_.parray = array;
    return v;
}

Variant Variant::stringVariantArray(const std::vector<std::string>& values)
{
    SAFEARRAY* array = createVector(VT_VARIANT, values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        Variant item = string(values[i]);
        LONG index = static_cast<LONG>(i);
        // SafeArrayPutElement copies the VARIANT.
        SafeArrayPutElement(array, &index, item.get());
    }
    Variant v;
    v.v_.vt = VT_ARRAY | VT_VARIANT;
    v.v_.parray = array;
    return v;
}

Variant Variant::byRef(VARTYPE type, void* target)
{
    Variant v;
    v.v_.vt = static_cast<VARTYPE>(VT_BYREF | type);
    v.v_.byref = target;
    return v;
}

namespace {
Variant changedTo(const VARIANT& from, VARTYPE type, const char* what)
{
    Variant to;
    if (FAILED(VariantChangeType(to.get(), const_cast<VARIANT*>(&from), 0, type)))
        throw HostError(std::string("The host returned no ") + what);
    return to;
}
} // namespace

std::string Variant::toString() const
{
    if (v_.vt == VT_BSTR)
        return toUtf8(v_.bstrVal);
    if (v_.vt == VT_EMPTY || v_.vt == VT_NULL)
        return {};
    return toUtf8(changedTo(v_, VT_BSTR, "text").raw().bstrVal);
}

double Variant::toDouble() const
{
    return v_.vt == VT_R8 ? v_.dblVal : changedTo(v_, VT_R8, "number").raw().dblVal;
}

long Variant::toLong() const
{
    return v_.vt == VT_I4 ? v_.lVal : changedTo(v_, VT_I4, "number").raw().lVal;
}

long long Variant::toInt64() const
{
    return v_.vt == VT_I8 ? v_.llVal : changedTo(v_, VT_I8, "number").raw().llVal;
}

bool Variant::toBool() const
{
    return (v_.vt == VT_BOOL ? v_.boolVal : changedTo(v_, VT_BOOL, "truth value").raw().boolVal)
        != VARIANT_FALSE;
}

Point3 Variant::toPoint() const
{
    if (!(v_.vt & VT_ARRAY) || !v_.parray || SafeArrayGetDim(v_.parray) != 1)
        throw HostError("The host returned no point");
    LONG lower = 0;
    LONG upper = -1;
    SafeArrayGetLBound(v_.parray, 1, &lower);
    SafeArrayGetUBound(v_.parray, 1, &upper);
    const LONG count = upper - lower + 1;
    if (count < 2 || count > 3)
        throw HostError("The host returned no point");
    double coordinates[3] = {0.0, 0.0, 0.0};
    const VARTYPE element = static_cast<VARTYPE>(v_.vt & VT_TYPEMASK);
    for (LONG i = 0; i < count; ++i) {
        LONG index = lower + i;
        if (element == VT_R8) {
            SafeArrayGetElement(v_.parray, &index, &coordinates[i]);
        } else if (element == VT_VARIANT) {
            Variant item;
            SafeArrayGetElement(v_.parray, &index, item.get());
            coordinates[i] = item.toDouble();
        } else {
            throw HostError("The host returned no point");
        }
    }
    return Point3{coordinates[0], coordinates[1], coordinates[2]};
}

ComPtr<IDispatch> Variant::toObject() const
{
    if (v_.vt == VT_DISPATCH)
        return ComPtr<IDispatch>(v_.pdispVal);
    if (v_.vt == VT_UNKNOWN && v_.punkVal) {
        IDispatch* object = nullptr;
        if (SUCCEEDED(v_.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&object))))
            return ComPtr<IDispatch>::adopt(object);
    }
    return nullptr;
}

std::vector<ComPtr<IDispatch>> Variant::toObjects() const
{
    std::vector<ComPtr<IDispatch>> objects;
    if (v_.vt == VT_EMPTY)
        return objects;
    if (!(v_.vt & VT_ARRAY) || !v_.parray || SafeArrayGetDim(v_.parray) != 1)
        throw HostError("The host returned no array of objects");
    LONG lower = 0;
    LONG upper = -1;
    SafeArrayGetLBound(v_.parray, 1, &lower);
    SafeArrayGetUBound(v_.parray, 1, &upper);
    const VARTYPE element = static_cast<VARTYPE>(v_.vt & VT_TYPEMASK);
    for (LONG index = lower; index <= upper; ++index) {
        if (element == VT_DISPATCH) {
            IDispatch* object = nullptr;
            SafeArrayGetElement(v_.parray, &index, &object); // AddRef'd copy
            objects.push_back(ComPtr<IDispatch>::adopt(object));
        } else if (element == VT_VARIANT) {
            Variant item;
            SafeArrayGetElement(v_.parray, &index, item.get());
            objects.push_back(item.toObject());
        } else {
            throw HostError("The host returned no array of objects");
        }
        if (!objects.back())
            throw HostError("The host returned an empty array element");
    }
    return objects;
}

// --- ComContext --------------------------------------------------------------

ComContext::ComContext()
{
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    // S_FALSE: this thread was initialised already, the count still goes up.
    uninitialize_ = SUCCEEDED(hr);
    // Message filters exist only in single-threaded apartments; elsewhere
    // COM's own default gives up on a refused call at once just the same.
    if (SUCCEEDED(hr)) {
        filter_ = ComPtr<IMessageFilter>::adopt(new BusyMessageFilter);
        filterRegistered_ = SUCCEEDED(CoRegisterMessageFilter(filter_.get(), &previousFilter_));
    }
}

ComContext::~ComContext()
{
    if (filterRegistered_) {
        IMessageFilter* ours = nullptr;
        CoRegisterMessageFilter(previousFilter_, &ours);
        if (ours)
            ours->Release();
        if (previousFilter_)
            previousFilter_->Release();
    }
    filter_.reset();
    if (uninitialize_)
        CoUninitialize();
}

// --- Dispatcher --------------------------------------------------------------

Dispatcher::Dispatcher(std::shared_ptr<ComContext> context, ComPtr<IDispatch> object)
    : context_(std::move(context)), object_(std::move(object))
{
}

DISPID Dispatcher::dispid(const char* member) const
{
    if (auto found = ids_.find(member); found != ids_.end())
        return found->second;
    std::wstring name = toWide(member);
    LPOLESTR names[] = {name.data()};
    DISPID id = DISPID_UNKNOWN;
    const HRESULT hr = object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) {
        EXCEPINFO none{};
        if (isBusyRejection(hr))
            throw HostBusy(describeFailure(member, hr, none));
        throw HostError(describeFailure(member, hr, none));
    }
    ids_.emplace(member, id);
    return id;
}

Variant Dispatcher::invoke(const char* member, WORD flags, std::vector<Variant>& args) const
{
    const DISPID id = dispid(member);
    // Invoke takes the arguments last to first. The VARIANTs are shallow
    // copies: args keeps ownership, and by-reference targets stay the caller's.
    std::vector<VARIANTARG> reversed;
    reversed.reserve(args.size());
    for (auto it = args.rbegin(); it != args.rend(); ++it)
        reversed.push_back(*it->get());

    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{};
    params.rgvarg = reversed.empty() ? nullptr : reversed.data();
    params.cArgs = static_cast<UINT>(reversed.size());
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        params.rgdispidNamedArgs = &putId;
        params.cNamedArgs = 1;
    }

    Variant result;
    EXCEPINFO info{};
    UINT argError = 0;
    const HRESULT hr
        = object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result.get(), &info, &argError);
    if (SUCCEEDED(hr))
        return result;
    std::string message = describeFailure(member, hr, info);
    clearExcepInfo(info);
    if (isBusyRejection(hr))
        throw HostBusy(message);
    throw HostError(message);
}

Variant Dispatcher::get(const char* member, std::vector<Variant> args) const
{
    return invoke(member, DISPATCH_PROPERTYGET | DISPATCH_METHOD, args);
}

Variant Dispatcher::call(const char* member, std::vector<Variant> args) const
{
    return invoke(member, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args);
}

void Dispatcher::put(const char* member, Variant value) const
{
    std::vector<Variant> args;
    args.push_back(std::move(value));
    invoke(member, DISPATCH_PROPERTYPUT, args);
}

std::string Dispatcher::typeName() const
{
    ComPtr<ITypeInfo> info;
    if (FAILED(object_->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.put())) || !info)
        throw HostError("The host object has no type information");
    BSTR name = nullptr;
    if (FAILED(info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr)))
        throw HostError("The host object has no type name");
    std::string result = toUtf8(name);
    SysFreeString(name);
    return result;
}

Dispatcher Dispatcher::child(const Variant& result, const char* member) const
{
    ComPtr<IDispatch> object = result.toObject();
    if (!object)
        throw HostError(std::string(member) + ": the host returned no object");
    return Dispatcher(context_, std::move(object));
}

} // namespace lumo::cad::com
