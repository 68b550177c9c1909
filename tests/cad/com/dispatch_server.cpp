#include "dispatch_server.h"

#include <cwctype>
#include <functional>
#include <future>
#include <utility>
#include <vector>

namespace lumo::cad::com::testing {

namespace {

// {6F1D2C3A-8B44-4E0E-9A51-3C275E117D42}: the tests' class of the host.
const CLSID kTestClassId = {0x6f1d2c3a, 0x8b44, 0x4e0e, {0x9a, 0x51, 0x3c, 0x27, 0x5e, 0x11, 0x7d, 0x42}};
// {6F1D2C3B-8B44-4E0E-9A51-3C275E117D42}: finds the model object behind an
// IDispatch the client hands back (ActiveLayer := layer).
const IID kModelObjectIid = {0x6f1d2c3b, 0x8b44, 0x4e0e, {0x9a, 0x51, 0x3c, 0x27, 0x5e, 0x11, 0x7d, 0x42}};

// The server converts text on its own, not with the client's routines, so
// that a conversion fault in the client cannot cancel itself out.
std::wstring utf16(const std::string& utf8)
{
    std::wstring out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        unsigned long code = byte;
        std::size_t extra = 0;
        if (byte >= 0xF0) {
            code = byte & 0x07;
            extra = 3;
        } else if (byte >= 0xE0) {
            code = byte & 0x0F;
            extra = 2;
        } else if (byte >= 0xC0) {
            code = byte & 0x1F;
            extra = 1;
        }
        ++i;
        for (std::size_t k = 0; k < extra && i < utf8.size(); ++k, ++i)
            code = (code << 6) | (static_cast<unsigned char>(utf8[i]) & 0x3F);
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(static_cast<wchar_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<wchar_t>(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(static_cast<wchar_t>(code));
        }
    }
    return out;
}

std::string utf8(const wchar_t* text, std::size_t length)
{
    std::string out;
    for (std::size_t i = 0; i < length; ++i) {
        unsigned long code = static_cast<unsigned short>(text[i]);
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < length) {
            code = 0x10000 + ((code - 0xD800) << 10) + (static_cast<unsigned short>(text[++i]) - 0xDC00);
        }
        if (code < 0x80) {
            out.push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (code >> 6)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (code >> 12)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (code >> 18)));
            out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return out;
}

BSTR allocBstr(const std::string& text)
{
    const std::wstring wide = utf16(text);
    return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

// Argument faults, answered as the automation error codes.
struct WrongType {
    std::size_t index;
};
struct WrongCount { };

using Args = std::vector<VARIANT*>; // natural order
using Handler = std::function<void(Args&, VARIANT*)>;

void need(const Args& a, std::size_t count)
{
    if (a.size() != count)
        throw WrongCount{};
}

VARIANT coerced(const Args& a, std::size_t i, VARTYPE type)
{
    VARIANT plain;
    VariantInit(&plain);
    if (FAILED(VariantCopyInd(&plain, a[i])))
        throw WrongType{i};
    VARIANT result;
    VariantInit(&result);
    const HRESULT hr = VariantChangeType(&result, &plain, 0, type);
    VariantClear(&plain);
    if (FAILED(hr))
        throw WrongType{i};
    return result;
}

double argDouble(const Args& a, std::size_t i)
{
    return coerced(a, i, VT_R8).dblVal;
}
long argLong(const Args& a, std::size_t i)
{
    return coerced(a, i, VT_I4).lVal;
}
bool argBool(const Args& a, std::size_t i)
{
    return coerced(a, i, VT_BOOL).boolVal != VARIANT_FALSE;
}

// Strings, points, filter arrays and out-parameters must arrive exactly in
// the form the automation model declares.
std::string argString(const Args& a, std::size_t i)
{
    if (a[i]->vt != VT_BSTR)
        throw WrongType{i};
    return utf8(a[i]->bstrVal, SysStringLen(a[i]->bstrVal));
}

long vectorLength(SAFEARRAY* array, std::size_t i)
{
    if (!array || SafeArrayGetDim(array) != 1)
        throw WrongType{i};
    LONG lower = 0;
    LONG upper = -1;
    SafeArrayGetLBound(array, 1, &lower);
    SafeArrayGetUBound(array, 1, &upper);
    if (lower != 0)
        throw WrongType{i};
    return upper + 1;
}

Point3 argPoint(const Args& a, std::size_t i)
{
    if (a[i]->vt != (VT_ARRAY | VT_R8) || vectorLength(a[i]->parray, i) != 3)
        throw WrongType{i};
    double c[3];
    for (LONG k = 0; k < 3; ++k)
        SafeArrayGetElement(a[i]->parray, &k, &c[k]);
    return Point3{c[0], c[1], c[2]};
}

std::vector<std::int16_t> argInt16s(const Args& a, std::size_t i)
{
    if (a[i]->vt != (VT_ARRAY | VT_I2))
        throw WrongType{i};
    std::vector<std::int16_t> values(static_cast<std::size_t>(vectorLength(a[i]->parray, i)));
    for (LONG k = 0; k < static_cast<LONG>(values.size()); ++k) {
        SHORT value = 0;
        SafeArrayGetElement(a[i]->parray, &k, &value);
        values[static_cast<std::size_t>(k)] = value;
    }
    return values;
}

std::vector<std::string> argVariantStrings(const Args& a, std::size_t i)
{
    if (a[i]->vt != (VT_ARRAY | VT_VARIANT))
        throw WrongType{i};
    std::vector<std::string> values;
    const long count = vectorLength(a[i]->parray, i);
    for (LONG k = 0; k < count; ++k) {
        VARIANT item;
        VariantInit(&item);
        SafeArrayGetElement(a[i]->parray, &k, &item);
        VARIANT* one = &item;
        Args single{one};
        try {
            values.push_back(argString(single, 0));
        } catch (const WrongType&) {
            VariantClear(&item);
            throw WrongType{i};
        }
        VariantClear(&item);
    }
    return values;
}

void argMissing(const Args& a, std::size_t i)
{
    if (a[i]->vt != VT_ERROR || a[i]->scode != DISP_E_PARAMNOTFOUND)
        throw WrongType{i};
}

template <class T> T* outTarget(const Args& a, std::size_t i, VARTYPE type)
{
    if (a[i]->vt != (VT_BYREF | type) || !a[i]->byref)
        throw WrongType{i};
    return static_cast<T*>(a[i]->byref);
}

void setString(VARIANT* r, const std::string& text)
{
    r->vt = VT_BSTR;
    r->bstrVal = allocBstr(text);
}
void setDouble(VARIANT* r, double value)
{
    r->vt = VT_R8;
    r->dblVal = value;
}
void setLong(VARIANT* r, long value)
{
    r->vt = VT_I4;
    r->lVal = value;
}
void setBool(VARIANT* r, bool value)
{
    r->vt = VT_BOOL;
    r->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}
void setPoint(VARIANT* r, const Point3& p)
{
    SAFEARRAY* array = SafeArrayCreateVector(VT_R8, 0, 3);
    const double c[3] = {p.x, p.y, p.z};
    for (LONG k = 0; k < 3; ++k)
        SafeArrayPutElement(array, &k, const_cast<double*>(&c[k]));
    r->vt = VT_ARRAY | VT_R8;
    r->parray = array;
}
void setObject(VARIANT* r, IDispatch* object)
{
    r->vt = VT_DISPATCH;
    r->pdispVal = object; // already one reference for the caller
}

// A type information that only knows its own name, which is all a client
// asks of it to learn an object's type name.
class NameTypeInfo final : public ITypeInfo {
public:
    explicit NameTypeInfo(std::wstring name) : name_(std::move(name)) { }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (iid == IID_IUnknown || iid == IID_ITypeInfo) {
            *out = static_cast<ITypeInfo*>(this);
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

    HRESULT STDMETHODCALLTYPE GetDocumentation(MEMBERID id, BSTR* name, BSTR* doc, DWORD* context,
                                               BSTR* helpFile) override
    {
        if (id != MEMBERID_NIL)
            return TYPE_E_ELEMENTNOTFOUND;
        if (name)
            *name = SysAllocStringLen(name_.data(), static_cast<UINT>(name_.size()));
        if (doc)
            *doc = nullptr;
        if (context)
            *context = 0;
        if (helpFile)
            *helpFile = nullptr;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetTypeAttr(TYPEATTR**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeComp(ITypeComp**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetFuncDesc(UINT, FUNCDESC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetVarDesc(UINT, VARDESC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetNames(MEMBERID, BSTR*, UINT, UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRefTypeOfImplType(UINT, HREFTYPE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetImplTypeFlags(UINT, INT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(LPOLESTR*, UINT, MEMBERID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(PVOID, MEMBERID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetDllEntry(MEMBERID, INVOKEKIND, BSTR*, BSTR*, WORD*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetRefTypeInfo(HREFTYPE, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddressOfMember(MEMBERID, INVOKEKIND, PVOID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID, PVOID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMops(MEMBERID, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetContainingTypeLib(ITypeLib**, UINT*) override { return E_NOTIMPL; }
    void STDMETHODCALLTYPE ReleaseTypeAttr(TYPEATTR*) override { }
    void STDMETHODCALLTYPE ReleaseFuncDesc(FUNCDESC*) override { }
    void STDMETHODCALLTYPE ReleaseVarDesc(VARDESC*) override { }

private:
    LONG refs_ = 1;
    std::wstring name_;
};

// One object of the model: a table of members by name over a host object.
class ModelObject final : public IDispatch {
public:
    ModelObject(const std::string& typeName, std::shared_ptr<HostObject> host,
                std::shared_ptr<ServerControl> control)
        : type_(utf16(typeName)), host_(std::move(host)), control_(std::move(control))
    {
    }

    ModelObject& method(const wchar_t* name, Handler handler)
    {
        members_.push_back({name, std::move(handler), nullptr});
        return *this;
    }
    ModelObject& property(const wchar_t* name, Handler get, Handler put = nullptr)
    {
        members_.push_back({name, std::move(get), std::move(put)});
        return *this;
    }

    const std::shared_ptr<HostObject>& host() const { return host_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kModelObjectIid) {
            *out = static_cast<IDispatch*>(this);
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

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        *count = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override
    {
        if (index != 0)
            return DISP_E_BADINDEX;
        *info = new NameTypeInfo(type_);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        HRESULT hr = S_OK;
        for (UINT n = 0; n < count; ++n) {
            ids[n] = DISPID_UNKNOWN;
            if (n > 0) { // named arguments: none known
                hr = DISP_E_UNKNOWNNAME;
                continue;
            }
            for (std::size_t i = 0; i < members_.size(); ++i)
                if (sameName(members_[i].name, names[n]))
                    ids[n] = static_cast<DISPID>(i + 1);
            if (ids[n] == DISPID_UNKNOWN)
                hr = DISP_E_UNKNOWNNAME;
        }
        return hr;
    }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* info, UINT* argError) override
    {
        if (id < 1 || static_cast<std::size_t>(id) > members_.size())
            return DISP_E_MEMBERNOTFOUND;
        const Member& member = members_[static_cast<std::size_t>(id - 1)];
        const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
        const Handler& handler = put ? member.put : member.get;
        if (!handler)
            return DISP_E_MEMBERNOTFOUND;
        if (put) {
            if (params->cNamedArgs != 1 || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
                return DISP_E_PARAMNOTOPTIONAL;
        } else if (params->cNamedArgs != 0) {
            return DISP_E_NONAMEDARGS;
        }
        // rgvarg holds the arguments last to first; a put's value is named
        // and comes first.
        Args args;
        const UINT named = params->cNamedArgs;
        for (UINT k = params->cArgs; k > named; --k)
            args.push_back(&params->rgvarg[k - 1]);
        if (put)
            args.push_back(&params->rgvarg[0]);

        VARIANT ignored;
        VariantInit(&ignored);
        VARIANT* out = result ? result : &ignored;
        VariantInit(out);
        HRESULT hr = S_OK;
        try {
            handler(args, out);
        } catch (const WrongType& wrong) {
            // argError counts from the end, as rgvarg does.
            if (argError)
                *argError = static_cast<UINT>(params->cArgs - 1 - wrong.index);
            hr = DISP_E_TYPEMISMATCH;
        } catch (const WrongCount&) {
            hr = DISP_E_BADPARAMCOUNT;
        } catch (const std::exception& error) {
            if (info) {
                *info = EXCEPINFO{};
                info->scode = static_cast<SCODE>(0x80200014);
                info->bstrSource = SysAllocString(L"lumo test host");
                info->bstrDescription = allocBstr(error.what());
            }
            hr = DISP_E_EXCEPTION;
        }
        if (FAILED(hr))
            VariantClear(out);
        VariantClear(&ignored);
        return hr;
    }

private:
    struct Member {
        std::wstring name;
        Handler get;
        Handler put;
    };

    static bool sameName(const std::wstring& a, const wchar_t* b)
    {
        std::size_t i = 0;
        for (; i < a.size() && b[i]; ++i)
            if (std::towlower(a[i]) != std::towlower(b[i]))
                return false;
        return i == a.size() && b[i] == 0;
    }

    LONG refs_ = 1;
    std::wstring type_;
    std::shared_ptr<HostObject> host_;
    std::shared_ptr<ServerControl> control_;
    std::vector<Member> members_;
};

using Control = std::shared_ptr<ServerControl>;

// The host object behind an object the client hands back.
template <class T> std::shared_ptr<T> argObject(const Args& a, std::size_t i)
{
    VARIANT plain;
    VariantInit(&plain);
    VariantCopyInd(&plain, a[i]);
    std::shared_ptr<T> object;
    if (plain.vt == VT_DISPATCH && plain.pdispVal) {
        ModelObject* model = nullptr;
        if (SUCCEEDED(plain.pdispVal->QueryInterface(kModelObjectIid, reinterpret_cast<void**>(&model)))) {
            object = std::dynamic_pointer_cast<T>(model->host());
            model->Release();
        }
    }
    VariantClear(&plain);
    if (!object)
        throw WrongType{i};
    return object;
}

IDispatch* expose(std::shared_ptr<Entity> e, const Control& c);
IDispatch* expose(std::shared_ptr<AttributeReference> a, const Control& c);
IDispatch* expose(std::shared_ptr<AttributeDefinition> a, const Control& c);
IDispatch* expose(std::shared_ptr<Layer> l, const Control& c);
IDispatch* expose(std::shared_ptr<TextStyle> s, const Control& c);
IDispatch* expose(std::shared_ptr<Block> b, const Control& c);
IDispatch* expose(std::shared_ptr<SelectionSet> s, const Control& c);

IDispatch* expose(std::shared_ptr<AttributeDefinition> a, const Control& c)
{
    auto* o = new ModelObject(a->typeName(), a, c);
    o->property(L"TagString", [a](Args& x, VARIANT* r) {
        need(x, 0);
        setString(r, a->tagString());
    });
    o->property(L"TextString", [a](Args& x, VARIANT* r) {
        need(x, 0);
        setString(r, a->textString());
    });
    return o;
}

IDispatch* expose(std::shared_ptr<AttributeReference> a, const Control& c)
{
    auto* o = new ModelObject(a->typeName(), a, c);
    o->property(L"TagString", [a](Args& x, VARIANT* r) {
        need(x, 0);
        setString(r, a->tagString());
    });
    o->property(
        L"TextString",
        [a](Args& x, VARIANT* r) {
            need(x, 0);
            setString(r, a->textString());
        },
        [a](Args& x, VARIANT*) {
            need(x, 1);
            a->setTextString(argString(x, 0));
        });
    return o;
}

IDispatch* expose(std::shared_ptr<Entity> e, const Control& c)
{
    auto* o = new ModelObject(e->typeName(), e, c);
    o->property(L"Handle", [e](Args& x, VARIANT* r) {
        need(x, 0);
        setString(r, e->handle());
    });
    o->property(
        L"Layer",
        [e](Args& x, VARIANT* r) {
            need(x, 0);
            setString(r, e->layer());
        },
        [e](Args& x, VARIANT*) {
            need(x, 1);
            e->setLayer(argString(x, 0));
        });
    o->property(
        L"Color",
        [e](Args& x, VARIANT* r) {
            need(x, 0);
            setLong(r, e->color());
        },
        [e](Args& x, VARIANT*) {
            need(x, 1);
            e->setColor(static_cast<int>(argLong(x, 0)));
        });
    o->property(
        L"Rotation",
        [e](Args& x, VARIANT* r) {
            need(x, 0);
            setDouble(r, e->rotation());
        },
        [e](Args& x, VARIANT*) {
            need(x, 1);
            e->setRotation(argDouble(x, 0));
        });
    o->property(L"InsertionPoint", [e](Args& x, VARIANT* r) {
        need(x, 0);
        setPoint(r, e->insertionPoint());
    });
    o->property(L"HasAttributes", [e](Args& x, VARIANT* r) {
        need(x, 0);
        setBool(r, e->hasAttributes());
    });
    o->method(L"GetAttributes", [e, c](Args& x, VARIANT* r) {
        need(x, 0);
        const auto attributes = e->getAttributes();
        SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(attributes.size()));
        for (LONG k = 0; k < static_cast<LONG>(attributes.size()); ++k) {
            VARIANT item;
            VariantInit(&item);
            setObject(&item, expose(attributes[static_cast<std::size_t>(k)], c));
            SafeArrayPutElement(array, &k, &item);
            VariantClear(&item);
        }
        r->vt = VT_ARRAY | VT_VARIANT;
        r->parray = array;
    });
    o->method(L"Update", [e](Args& x, VARIANT*) {
        need(x, 0);
        e->update();
    });
    o->method(L"Delete", [e](Args& x, VARIANT*) {
        need(x, 0);
        e->erase();
    });
    return o;
}

IDispatch* expose(std::shared_ptr<Layer> l, const Control& c)
{
    auto* o = new ModelObject(l->typeName(), l, c);
    o->property(L"Name", [l](Args& x, VARIANT* r) {
        need(x, 0);
        setString(r, l->name());
    });
    o->property(
        L"Color",
        [l](Args& x, VARIANT* r) {
            need(x, 0);
            setLong(r, l->color());
        },
        [l](Args& x, VARIANT*) {
            need(x, 1);
            l->setColor(static_cast<int>(argLong(x, 0)));
        });
    o->property(
        L"Lineweight",
        [l](Args& x, VARIANT* r) {
            need(x, 0);
            setLong(r, l->lineWeight());
        },
        [l](Args& x, VARIANT*) {
            need(x, 1);
            l->setLineWeight(static_cast<int>(argLong(x, 0)));
        });
    return o;
}

IDispatch* expose(std::shared_ptr<TextStyle> s, const Control& c)
{
    auto* o = new ModelObject(s->typeName(), s, c);
    o->property(L"Name", [s](Args& x, VARIANT* r) {
        need(x, 0);
        setString(r, s->name());
    });
    o->property(
        L"Height",
        [s](Args& x, VARIANT* r) {
            need(x, 0);
            setDouble(r, s->height());
        },
        [s](Args& x, VARIANT*) {
            need(x, 1);
            s->setHeight(argDouble(x, 0));
        });
    o->method(L"SetFont", [s](Args& x, VARIANT*) {
        need(x, 5);
        s->setFont(argString(x, 0), argBool(x, 1), argBool(x, 2), static_cast<int>(argLong(x, 3)),
                   static_cast<int>(argLong(x, 4)));
    });
    o->method(L"GetFont", [s](Args& x, VARIANT*) {
        need(x, 5);
        BSTR* typeface = outTarget<BSTR>(x, 0, VT_BSTR);
        outTarget<VARIANT_BOOL>(x, 1, VT_BOOL);
        outTarget<VARIANT_BOOL>(x, 2, VT_BOOL);
        outTarget<LONG>(x, 3, VT_I4);
        outTarget<LONG>(x, 4, VT_I4);
        const std::string name = s->fontTypeface();
        SysFreeString(*typeface);
        *typeface = allocBstr(name);
    });
    return o;
}

IDispatch* expose(std::shared_ptr<Block> b, const Control& c)
{
    auto* o = new ModelObject(b->typeName(), b, c);
    o->property(L"Name", [b](Args& x, VARIANT* r) {
        need(x, 0);
        setString(r, b->name());
    });
    o->method(L"AddAttribute", [b, c](Args& x, VARIANT* r) {
        need(x, 6);
        setObject(r,
                  expose(b->addAttribute(argDouble(x, 0), static_cast<int>(argLong(x, 1)), argString(x, 2),
                                         argPoint(x, 3), argString(x, 4), argString(x, 5)),
                         c));
    });
    // The block as a collection: here only its attribute definitions.
    o->property(L"Count", [b](Args& x, VARIANT* r) {
        need(x, 0);
        setLong(r, static_cast<long>(b->attributeDefinitions().size()));
    });
    o->method(L"Item", [b, c](Args& x, VARIANT* r) {
        need(x, 1);
        const auto definitions = b->attributeDefinitions();
        const long index = argLong(x, 0);
        if (index < 0 || index >= static_cast<long>(definitions.size()))
            throw HostError("Invalid index");
        setObject(r, expose(definitions[static_cast<std::size_t>(index)], c));
    });
    return o;
}

template <class Collection>
void countAndItem(ModelObject* o, std::shared_ptr<Collection> col, const Control& c)
{
    o->property(L"Count", [col](Args& x, VARIANT* r) {
        need(x, 0);
        setLong(r, col->count());
    });
    o->method(L"Item", [col, c](Args& x, VARIANT* r) {
        need(x, 1);
        setObject(r, expose(col->item(argString(x, 0)), c));
    });
}

template <class Collection> void addByName(ModelObject* o, std::shared_ptr<Collection> col, const Control& c)
{
    o->method(L"Add", [col, c](Args& x, VARIANT* r) {
        need(x, 1);
        setObject(r, expose(col->add(argString(x, 0)), c));
    });
}

IDispatch* expose(std::shared_ptr<SelectionSet> s, const Control& c)
{
    auto* o = new ModelObject(s->typeName(), s, c);
    o->property(L"Name", [s](Args& x, VARIANT* r) {
        need(x, 0);
        setString(r, s->name());
    });
    o->method(L"Select", [s](Args& x, VARIANT*) {
        need(x, 5);
        argMissing(x, 1);
        argMissing(x, 2);
        const auto types = argInt16s(x, 3);
        const auto data = argVariantStrings(x, 4);
        if (types.size() != data.size())
            throw WrongType{4};
        s->select(static_cast<int>(argLong(x, 0)), types, data);
    });
    o->property(L"Count", [s](Args& x, VARIANT* r) {
        need(x, 0);
        setLong(r, s->count());
    });
    o->method(L"Item", [s, c](Args& x, VARIANT* r) {
        need(x, 1);
        setObject(r, expose(s->item(argLong(x, 0)), c));
    });
    o->method(L"Delete", [s](Args& x, VARIANT*) {
        need(x, 0);
        s->erase();
    });
    return o;
}

IDispatch* expose(std::shared_ptr<ModelSpace> m, const Control& c)
{
    auto* o = new ModelObject(m->typeName(), m, c);
    o->property(L"Count", [m](Args& x, VARIANT* r) {
        need(x, 0);
        setLong(r, m->count());
    });
    o->method(L"Item", [m, c](Args& x, VARIANT* r) {
        need(x, 1);
        setObject(r, expose(m->item(argLong(x, 0)), c));
    });
    o->method(L"InsertBlock", [m, c](Args& x, VARIANT* r) {
        need(x, 6);
        setObject(r,
                  expose(m->insertBlock(argPoint(x, 0), argString(x, 1), argDouble(x, 2), argDouble(x, 3),
                                        argDouble(x, 4), argDouble(x, 5)),
                         c));
    });
    o->method(L"AddText", [m, c](Args& x, VARIANT* r) {
        need(x, 3);
        setObject(r, expose(m->addText(argString(x, 0), argPoint(x, 1), argDouble(x, 2)), c));
    });
    return o;
}

IDispatch* expose(std::shared_ptr<SummaryInfo> s, const Control& c)
{
    auto* o = new ModelObject(s->typeName(), s, c);
    o->method(L"GetCustomByKey", [s](Args& x, VARIANT*) {
        need(x, 2);
        BSTR* out = outTarget<BSTR>(x, 1, VT_BSTR);
        std::string value;
        s->getCustomByKey(argString(x, 0), value);
        SysFreeString(*out);
        *out = allocBstr(value);
    });
    o->method(L"SetCustomByKey", [s](Args& x, VARIANT*) {
        need(x, 2);
        s->setCustomByKey(argString(x, 0), argString(x, 1));
    });
    o->method(L"AddCustomInfo", [s](Args& x, VARIANT*) {
        need(x, 2);
        s->addCustomInfo(argString(x, 0), argString(x, 1));
    });
    o->method(L"NumCustomInfo", [s](Args& x, VARIANT* r) {
        need(x, 0);
        setLong(r, s->numCustomInfo());
    });
    return o;
}

IDispatch* expose(std::shared_ptr<Utility> u, const Control& c)
{
    auto* o = new ModelObject(u->typeName(), u, c);
    o->method(L"GetPoint", [u](Args& x, VARIANT* r) {
        need(x, 2);
        argMissing(x, 0);
        setPoint(r, u->getPoint(argString(x, 1)));
    });
    return o;
}

IDispatch* expose(std::shared_ptr<Document> d, const Control& c)
{
    auto* o = new ModelObject(d->typeName(), d, c);
    o->property(L"Name", [d](Args& x, VARIANT* r) {
        need(x, 0);
        setString(r, d->name());
    });
    o->property(L"ModelSpace", [d, c](Args& x, VARIANT* r) {
        need(x, 0);
        setObject(r, expose(d->modelSpace(), c));
    });
    o->property(L"Blocks", [d, c](Args& x, VARIANT* r) {
        need(x, 0);
        auto blocks = d->blocks();
        auto* b = new ModelObject(blocks->typeName(), blocks, c);
        countAndItem(b, blocks, c);
        setObject(r, b);
    });
    o->property(L"Layers", [d, c](Args& x, VARIANT* r) {
        need(x, 0);
        auto layers = d->layers();
        auto* l = new ModelObject(layers->typeName(), layers, c);
        countAndItem(l, layers, c);
        addByName(l, layers, c);
        setObject(r, l);
    });
    o->property(L"TextStyles", [d, c](Args& x, VARIANT* r) {
        need(x, 0);
        auto styles = d->textStyles();
        auto* s = new ModelObject(styles->typeName(), styles, c);
        countAndItem(s, styles, c);
        addByName(s, styles, c);
        setObject(r, s);
    });
    o->property(L"SelectionSets", [d, c](Args& x, VARIANT* r) {
        need(x, 0);
        auto sets = d->selectionSets();
        auto* s = new ModelObject(sets->typeName(), sets, c);
        countAndItem(s, sets, c);
        addByName(s, sets, c);
        setObject(r, s);
    });
    o->property(L"SummaryInfo", [d, c](Args& x, VARIANT* r) {
        need(x, 0);
        setObject(r, expose(d->summaryInfo(), c));
    });
    o->property(L"Utility", [d, c](Args& x, VARIANT* r) {
        need(x, 0);
        setObject(r, expose(d->utility(), c));
    });
    o->method(L"HandleToObject", [d, c](Args& x, VARIANT* r) {
        need(x, 1);
        setObject(r, expose(d->handleToObject(argString(x, 0)), c));
    });
    o->method(L"SendCommand", [d](Args& x, VARIANT*) {
        need(x, 1);
        d->sendCommand(argString(x, 0));
    });
    o->method(L"GetVariable", [d, c](Args& x, VARIANT* r) {
        need(x, 1);
        const std::string name = argString(x, 0);
        const bool stale = c && !c->lastPrompt.empty() && name == "LASTPROMPT";
        setString(r, stale ? c->lastPrompt : d->getVariable(name));
    });
    o->property(
        L"ActiveLayer",
        [d, c](Args& x, VARIANT* r) {
            need(x, 0);
            setObject(r, expose(d->activeLayer(), c));
        },
        [d](Args& x, VARIANT*) {
            need(x, 1);
            d->setActiveLayer(argObject<Layer>(x, 0));
        });
    o->property(
        L"ActiveTextStyle",
        [d, c](Args& x, VARIANT* r) {
            need(x, 0);
            setObject(r, expose(d->activeTextStyle(), c));
        },
        [d](Args& x, VARIANT*) {
            need(x, 1);
            d->setActiveTextStyle(argObject<TextStyle>(x, 0));
        });
    return o;
}

IDispatch* expose(std::shared_ptr<HostState> s, const Control& c)
{
    auto* o = new ModelObject(s->typeName(), s, c);
    o->property(L"IsQuiescent", [s, c](Args& x, VARIANT* r) {
        need(x, 0);
        setBool(r, !(c && c->commandWaiting) && s->isQuiescent());
    });
    return o;
}

class ModelClassFactory final : public IClassFactory {
public:
    ModelClassFactory(IDispatch* application, std::function<void()> started)
        : application_(application), started_(std::move(started))
    {
        application_->AddRef();
    }
    ~ModelClassFactory() { application_->Release(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
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
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override
    {
        if (outer)
            return CLASS_E_NOAGGREGATION;
        const HRESULT hr = application_->QueryInterface(iid, out);
        if (SUCCEEDED(hr) && started_)
            started_();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    LONG refs_ = 1;
    IDispatch* application_;
    std::function<void()> started_;
};

IDispatch* exposeApplication(std::shared_ptr<Application> a, std::shared_ptr<ServerControl> c)
{
    auto* o = new ModelObject(a->typeName(), a, c);
    o->property(
        L"Visible",
        [a](Args& x, VARIANT* r) {
            need(x, 0);
            setBool(r, a->visible());
        },
        [a](Args& x, VARIANT*) {
            need(x, 1);
            a->setVisible(argBool(x, 0));
        });
    o->method(L"GetAcadState", [a, c](Args& x, VARIANT* r) {
        need(x, 0);
        const auto state = c ? c->state : ServerControl::State::Present;
        if (state == ServerControl::State::Missing)
            throw HostError("Member not found");
        if (state == ServerControl::State::Present)
            setObject(r, expose(a->getAcadState(), c));
    });
    o->property(L"HWND", [c](Args& x, VARIANT* r) {
        need(x, 0);
        if (!c || c->window == 0)
            throw HostError("Member not found");
        r->vt = VT_I8;
        r->llVal = c->window;
    });
    o->property(L"Documents", [a, c](Args& x, VARIANT* r) {
        need(x, 0);
        auto* documents = new ModelObject("IAcadDocuments", a, c);
        documents->property(L"Count", [a](Args& y, VARIANT* s) {
            need(y, 0);
            setLong(s, a->documentsCount());
        });
        setObject(r, documents);
    });
    o->property(L"ActiveDocument", [a, c](Args& x, VARIANT* r) {
        need(x, 0);
        setObject(r, expose(a->activeDocument(), c));
    });
    return o;
}

} // namespace

void registerProgId()
{
    wchar_t clsid[64];
    StringFromGUID2(kTestClassId, clsid, 64);
    // Both the per-user and the machine-wide class keys: HKEY_CLASSES_ROOT
    // merges them on Windows, and Wine reads the machine-wide one.
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        HKEY key = nullptr;
        if (RegCreateKeyExW(root, L"Software\\Classes\\AutoCAD.Application\\CLSID", 0, nullptr, 0, KEY_WRITE,
                            nullptr, &key, nullptr)
            != ERROR_SUCCESS)
            continue;
        RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(clsid),
                       static_cast<DWORD>((wcslen(clsid) + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }
}

RegisteredServer::RegisteredServer(std::shared_ptr<Application> application,
                                   std::shared_ptr<ServerControl> control, bool running, bool creatable)
{
    uninitialize_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    application_ = exposeApplication(std::move(application), std::move(control));
    if (running)
        registerRunning();
    if (creatable) {
        factory_ = new ModelClassFactory(application_, [this] { registerRunning(); });
        CoRegisterClassObject(kTestClassId, factory_, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &classCookie_);
    }
}

RegisteredServer::~RegisteredServer()
{
    if (activeCookie_)
        RevokeActiveObject(activeCookie_, nullptr);
    if (classCookie_)
        CoRevokeClassObject(classCookie_);
    if (factory_)
        factory_->Release();
    application_->Release();
    if (uninitialize_)
        CoUninitialize();
}

void RegisteredServer::registerRunning()
{
    if (!activeCookie_)
        RegisterActiveObject(application_, kTestClassId, ACTIVEOBJECT_STRONG, &activeCookie_);
}

namespace {

// Refuses incoming calls while the test wants the host busy.
class BusyServerFilter final : public IMessageFilter {
public:
    explicit BusyServerFilter(std::shared_ptr<ServerControl> control) : control_(std::move(control)) { }

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
        if (control_->rejectNextCalls > 0) {
            --control_->rejectNextCalls;
            ++control_->rejectedCalls;
            return SERVERCALL_REJECTED;
        }
        return SERVERCALL_ISHANDLED;
    }
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD, DWORD) override { return static_cast<DWORD>(-1); }
    DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override { return PENDINGMSG_WAITDEFPROCESS; }

private:
    LONG refs_ = 1;
    std::shared_ptr<ServerControl> control_;
};

} // namespace

ServerThread::ServerThread(std::function<std::shared_ptr<Application>()> makeHost,
                           std::shared_ptr<ServerControl> control)
{
    std::promise<DWORD> started;
    auto ready = started.get_future();
    thread_ = std::thread([makeHost = std::move(makeHost), control = std::move(control), &started] {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE); // the thread's queue
        auto* filter = new BusyServerFilter(control);
        IMessageFilter* previous = nullptr;
        CoRegisterMessageFilter(filter, &previous);
        {
            // The model itself never refuses (the filter does), but it
            // plays the other faults.
            RegisteredServer server(makeHost(), control, true, true);
            started.set_value(GetCurrentThreadId());
            while (GetMessageW(&message, nullptr, 0, 0) > 0) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
        IMessageFilter* ours = nullptr;
        CoRegisterMessageFilter(previous, &ours);
        if (ours)
            ours->Release();
        filter->Release();
        CoUninitialize();
    });
    threadId_ = ready.get();
}

ServerThread::~ServerThread()
{
    PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    thread_.join();
}

} // namespace lumo::cad::com::testing
