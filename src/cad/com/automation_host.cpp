#include "cad/com/automation_host.h"

#include <utility>

namespace lumo::cad::com {

namespace {

// The automation object behind a host object of this connection, so that it
// can be handed back to the host (ActiveLayer := layer).
class Backed {
public:
    virtual ~Backed() = default;
    virtual IDispatch* backing() const = 0;
};

template <class Interface> class Wrapper : public Interface, public Backed {
public:
    explicit Wrapper(Dispatcher d) : d_(std::move(d)) { }
    std::string typeName() const override { return d_.typeName(); }
    IDispatch* backing() const override { return d_.object(); }

protected:
    template <class W> std::shared_ptr<W> make(const Variant& result, const char* member) const
    {
        return std::make_shared<W>(d_.child(result, member));
    }

    Dispatcher d_;
};

Variant backingOf(const std::shared_ptr<HostObject>& object, const char* member)
{
    const auto* backed = dynamic_cast<const Backed*>(object.get());
    if (!backed)
        throw HostError(std::string(member) + ": the object does not belong to this host");
    return Variant::object(backed->backing());
}

class ComAttributeReference final : public Wrapper<AttributeReference> {
public:
    using Wrapper::Wrapper;
    std::string tagString() const override { return d_.get("TagString").toString(); }
    std::string textString() const override { return d_.get("TextString").toString(); }
    void setTextString(const std::string& text) override { d_.put("TextString", Variant::string(text)); }
};

class ComAttributeDefinition final : public Wrapper<AttributeDefinition> {
public:
    using Wrapper::Wrapper;
    std::string tagString() const override { return d_.get("TagString").toString(); }
    std::string textString() const override { return d_.get("TextString").toString(); }
};

class ComEntity final : public Wrapper<Entity> {
public:
    using Wrapper::Wrapper;
    std::string handle() const override { return d_.get("Handle").toString(); }
    std::string layer() const override { return d_.get("Layer").toString(); }
    void setLayer(const std::string& layer) override { d_.put("Layer", Variant::string(layer)); }
    int color() const override { return static_cast<int>(d_.get("Color").toLong()); }
    void setColor(int color) override { d_.put("Color", Variant::int32(color)); }
    double rotation() const override { return d_.get("Rotation").toDouble(); }
    void setRotation(double radians) override { d_.put("Rotation", Variant::real(radians)); }
    Point3 insertionPoint() const override { return d_.get("InsertionPoint").toPoint(); }
    bool hasAttributes() const override { return d_.get("HasAttributes").toBool(); }
    std::vector<std::shared_ptr<AttributeReference>> getAttributes() const override
    {
        std::vector<std::shared_ptr<AttributeReference>> attributes;
        for (auto& object : d_.call("GetAttributes").toObjects())
            attributes.push_back(
                std::make_shared<ComAttributeReference>(Dispatcher(d_.context(), std::move(object))));
        return attributes;
    }
    void update() override { d_.call("Update"); }
    void erase() override { d_.call("Delete"); }
};

class ComLayer final : public Wrapper<Layer> {
public:
    using Wrapper::Wrapper;
    std::string name() const override { return d_.get("Name").toString(); }
    int color() const override { return static_cast<int>(d_.get("Color").toLong()); }
    void setColor(int color) override { d_.put("Color", Variant::int32(color)); }
    int lineWeight() const override { return static_cast<int>(d_.get("Lineweight").toLong()); }
    void setLineWeight(int lineWeight) override { d_.put("Lineweight", Variant::int32(lineWeight)); }
};

class ComTextStyle final : public Wrapper<TextStyle> {
public:
    using Wrapper::Wrapper;
    std::string name() const override { return d_.get("Name").toString(); }
    double height() const override { return d_.get("Height").toDouble(); }
    void setHeight(double height) override { d_.put("Height", Variant::real(height)); }
    void setFont(const std::string& typeface, bool bold, bool italic, int charSet,
                 int pitchAndFamily) override
    {
        std::vector<Variant> args;
        args.push_back(Variant::string(typeface));
        args.push_back(Variant::boolean(bold));
        args.push_back(Variant::boolean(italic));
        args.push_back(Variant::int32(charSet));
        args.push_back(Variant::int32(pitchAndFamily));
        d_.call("SetFont", std::move(args));
    }
    std::string fontTypeface() const override
    {
        // GetFont answers through five out-parameters.
        BSTR typeface = nullptr;
        VARIANT_BOOL bold = VARIANT_FALSE;
        VARIANT_BOOL italic = VARIANT_FALSE;
        LONG charSet = 0;
        LONG pitchAndFamily = 0;
        std::vector<Variant> args;
        args.push_back(Variant::byRef(VT_BSTR, &typeface));
        args.push_back(Variant::byRef(VT_BOOL, &bold));
        args.push_back(Variant::byRef(VT_BOOL, &italic));
        args.push_back(Variant::byRef(VT_I4, &charSet));
        args.push_back(Variant::byRef(VT_I4, &pitchAndFamily));
        try {
            d_.call("GetFont", std::move(args));
        } catch (...) {
            SysFreeString(typeface);
            throw;
        }
        std::string result = toUtf8(typeface);
        SysFreeString(typeface);
        return result;
    }
};

class ComBlock final : public Wrapper<Block> {
public:
    using Wrapper::Wrapper;
    std::string name() const override { return d_.get("Name").toString(); }
    std::shared_ptr<AttributeDefinition> addAttribute(double height, int mode, const std::string& prompt,
                                                      const Point3& insertionPoint, const std::string& tag,
                                                      const std::string& value) override
    {
        std::vector<Variant> args;
        args.push_back(Variant::real(height));
        args.push_back(Variant::int32(mode));
        args.push_back(Variant::string(prompt));
        args.push_back(Variant::point(insertionPoint));
        args.push_back(Variant::string(tag));
        args.push_back(Variant::string(value));
        return make<ComAttributeDefinition>(d_.call("AddAttribute", std::move(args)), "AddAttribute");
    }
    std::vector<std::shared_ptr<AttributeDefinition>> attributeDefinitions() const override
    {
        // A block is a collection of its entities; the definitions are the
        // ones whose type is an attribute definition.
        std::vector<std::shared_ptr<AttributeDefinition>> definitions;
        const long count = d_.get("Count").toLong();
        for (long i = 0; i < count; ++i) {
            std::vector<Variant> args;
            args.push_back(Variant::int32(i));
            Dispatcher item = d_.child(d_.call("Item", std::move(args)), "Item");
            if (item.typeName() == "IAcadAttribute")
                definitions.push_back(std::make_shared<ComAttributeDefinition>(std::move(item)));
        }
        return definitions;
    }
};

std::vector<Variant> oneString(const std::string& text)
{
    std::vector<Variant> args;
    args.push_back(Variant::string(text));
    return args;
}

class ComBlocks final : public Wrapper<Blocks> {
public:
    using Wrapper::Wrapper;
    long count() const override { return d_.get("Count").toLong(); }
    std::shared_ptr<Block> item(const std::string& name) const override
    {
        return make<ComBlock>(d_.call("Item", oneString(name)), "Item");
    }
};

class ComLayers final : public Wrapper<Layers> {
public:
    using Wrapper::Wrapper;
    long count() const override { return d_.get("Count").toLong(); }
    std::shared_ptr<Layer> item(const std::string& name) const override
    {
        return make<ComLayer>(d_.call("Item", oneString(name)), "Item");
    }
    std::shared_ptr<Layer> add(const std::string& name) override
    {
        return make<ComLayer>(d_.call("Add", oneString(name)), "Add");
    }
};

class ComTextStyles final : public Wrapper<TextStyles> {
public:
    using Wrapper::Wrapper;
    long count() const override { return d_.get("Count").toLong(); }
    std::shared_ptr<TextStyle> item(const std::string& name) const override
    {
        return make<ComTextStyle>(d_.call("Item", oneString(name)), "Item");
    }
    std::shared_ptr<TextStyle> add(const std::string& name) override
    {
        return make<ComTextStyle>(d_.call("Add", oneString(name)), "Add");
    }
};

class ComModelSpace final : public Wrapper<ModelSpace> {
public:
    using Wrapper::Wrapper;
    long count() const override { return d_.get("Count").toLong(); }
    std::shared_ptr<Entity> item(long index) const override
    {
        std::vector<Variant> args;
        args.push_back(Variant::int32(index));
        return make<ComEntity>(d_.call("Item", std::move(args)), "Item");
    }
    std::shared_ptr<Entity> insertBlock(const Point3& point, const std::string& name, double xScale,
                                        double yScale, double zScale, double rotation) override
    {
        std::vector<Variant> args;
        args.push_back(Variant::point(point));
        args.push_back(Variant::string(name));
        args.push_back(Variant::real(xScale));
        args.push_back(Variant::real(yScale));
        args.push_back(Variant::real(zScale));
        args.push_back(Variant::real(rotation));
        return make<ComEntity>(d_.call("InsertBlock", std::move(args)), "InsertBlock");
    }
    std::shared_ptr<Entity> addText(const std::string& text, const Point3& point, double height) override
    {
        std::vector<Variant> args;
        args.push_back(Variant::string(text));
        args.push_back(Variant::point(point));
        args.push_back(Variant::real(height));
        return make<ComEntity>(d_.call("AddText", std::move(args)), "AddText");
    }
};

std::vector<Variant> keyValue(const std::string& key, const std::string& value)
{
    std::vector<Variant> args;
    args.push_back(Variant::string(key));
    args.push_back(Variant::string(value));
    return args;
}

class ComSummaryInfo final : public Wrapper<SummaryInfo> {
public:
    using Wrapper::Wrapper;
    void getCustomByKey(const std::string& key, std::string& value) const override
    {
        BSTR out = nullptr;
        std::vector<Variant> args;
        args.push_back(Variant::string(key));
        args.push_back(Variant::byRef(VT_BSTR, &out));
        try {
            d_.call("GetCustomByKey", std::move(args));
        } catch (...) {
            SysFreeString(out);
            throw;
        }
        value = toUtf8(out);
        SysFreeString(out);
    }
    void setCustomByKey(const std::string& key, const std::string& value) override
    {
        d_.call("SetCustomByKey", keyValue(key, value));
    }
    void addCustomInfo(const std::string& key, const std::string& value) override
    {
        d_.call("AddCustomInfo", keyValue(key, value));
    }
    long numCustomInfo() const override { return d_.call("NumCustomInfo").toLong(); }
};

class ComSelectionSet final : public Wrapper<SelectionSet> {
public:
    using Wrapper::Wrapper;
    std::string name() const override { return d_.get("Name").toString(); }
    void select(int mode, const std::vector<std::int16_t>& filterTypes,
                const std::vector<std::string>& filterData) override
    {
        std::vector<Variant> args;
        args.push_back(Variant::int32(mode));
        args.push_back(Variant::missing());
        args.push_back(Variant::missing());
        args.push_back(Variant::int16Array(filterTypes));
        args.push_back(Variant::stringVariantArray(filterData));
        d_.call("Select", std::move(args));
    }
    long count() const override { return d_.get("Count").toLong(); }
    std::shared_ptr<Entity> item(long index) const override
    {
        std::vector<Variant> args;
        args.push_back(Variant::int32(index));
        return make<ComEntity>(d_.call("Item", std::move(args)), "Item");
    }
    void erase() override { d_.call("Delete"); }
};

class ComSelectionSets final : public Wrapper<SelectionSets> {
public:
    using Wrapper::Wrapper;
    long count() const override { return d_.get("Count").toLong(); }
    std::shared_ptr<SelectionSet> item(const std::string& name) const override
    {
        return make<ComSelectionSet>(d_.call("Item", oneString(name)), "Item");
    }
    std::shared_ptr<SelectionSet> add(const std::string& name) override
    {
        return make<ComSelectionSet>(d_.call("Add", oneString(name)), "Add");
    }
};

class ComUtility final : public Wrapper<Utility> {
public:
    using Wrapper::Wrapper;
    Point3 getPoint(const std::string& prompt) override
    {
        std::vector<Variant> args;
        args.push_back(Variant::missing());
        args.push_back(Variant::string(prompt));
        return d_.call("GetPoint", std::move(args)).toPoint();
    }
};

class ComDocument final : public Wrapper<Document> {
public:
    using Wrapper::Wrapper;
    std::string name() const override { return d_.get("Name").toString(); }
    std::shared_ptr<ModelSpace> modelSpace() override
    {
        return make<ComModelSpace>(d_.get("ModelSpace"), "ModelSpace");
    }
    std::shared_ptr<Blocks> blocks() override { return make<ComBlocks>(d_.get("Blocks"), "Blocks"); }
    std::shared_ptr<Layers> layers() override { return make<ComLayers>(d_.get("Layers"), "Layers"); }
    std::shared_ptr<TextStyles> textStyles() override
    {
        return make<ComTextStyles>(d_.get("TextStyles"), "TextStyles");
    }
    std::shared_ptr<SelectionSets> selectionSets() override
    {
        return make<ComSelectionSets>(d_.get("SelectionSets"), "SelectionSets");
    }
    std::shared_ptr<SummaryInfo> summaryInfo() override
    {
        return make<ComSummaryInfo>(d_.get("SummaryInfo"), "SummaryInfo");
    }
    std::shared_ptr<Utility> utility() override { return make<ComUtility>(d_.get("Utility"), "Utility"); }
    std::shared_ptr<Entity> handleToObject(const std::string& handle) override
    {
        return make<ComEntity>(d_.call("HandleToObject", oneString(handle)), "HandleToObject");
    }
    void sendCommand(const std::string& text) override { d_.call("SendCommand", oneString(text)); }
    std::string getVariable(const std::string& name) override
    {
        return d_.call("GetVariable", oneString(name)).toString();
    }
    std::shared_ptr<Layer> activeLayer() override
    {
        return make<ComLayer>(d_.get("ActiveLayer"), "ActiveLayer");
    }
    void setActiveLayer(const std::shared_ptr<Layer>& layer) override
    {
        d_.put("ActiveLayer", backingOf(layer, "ActiveLayer"));
    }
    std::shared_ptr<TextStyle> activeTextStyle() override
    {
        return make<ComTextStyle>(d_.get("ActiveTextStyle"), "ActiveTextStyle");
    }
    void setActiveTextStyle(const std::shared_ptr<TextStyle>& style) override
    {
        d_.put("ActiveTextStyle", backingOf(style, "ActiveTextStyle"));
    }
};

class ComHostState final : public Wrapper<HostState> {
public:
    using Wrapper::Wrapper;
    bool isQuiescent() const override { return d_.get("IsQuiescent").toBool(); }
};

// The first visible top-level window whose title begins with prefix.
HWND findWindowByTitle(const std::wstring& prefix)
{
    struct Search {
        std::wstring prefix;
        HWND found = nullptr;
    } search{prefix};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            wchar_t title[256] = {};
            const int length = GetWindowTextW(window, title, 256);
            if (IsWindowVisible(window) && length >= static_cast<int>(s->prefix.size())
                && std::wstring(title, s->prefix.size()) == s->prefix) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

class ComApplication final : public Wrapper<Application> {
public:
    using Wrapper::Wrapper;
    bool visible() const override { return d_.get("Visible").toBool(); }
    void setVisible(bool visible) override { d_.put("Visible", Variant::boolean(visible)); }
    std::shared_ptr<HostState> getAcadState() override
    {
        return make<ComHostState>(d_.call("GetAcadState"), "GetAcadState");
    }
    long documentsCount() const override
    {
        return d_.child(d_.get("Documents"), "Documents").get("Count").toLong();
    }
    std::shared_ptr<Document> activeDocument() override
    {
        return make<ComDocument>(d_.get("ActiveDocument"), "ActiveDocument");
    }
    std::string blockFileExtension() const override { return ".dwg"; }
    void bringToFront() override
    {
        // The host names its main window; older hosts are found by title.
        HWND window = nullptr;
        try {
            window = reinterpret_cast<HWND>(static_cast<LONG_PTR>(d_.get("HWND").toInt64()));
        } catch (const HostError&) {
        }
        if (!window || !IsWindow(window))
            window = findWindowByTitle(L"AutoCAD");
        if (!window)
            return;
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        // Lets the host keep the front when it asks the designer something.
        AllowSetForegroundWindow(process);
        if (IsIconic(window))
            ShowWindow(window, SW_RESTORE);
        SetForegroundWindow(window);
    }
};

CLSID hostClassId()
{
    CLSID clsid{};
    const HRESULT hr = CLSIDFromProgID(kHostProgId, &clsid);
    if (FAILED(hr))
        throw HostError("The host \"AutoCAD.Application\" is not registered");
    return clsid;
}

std::shared_ptr<Application> connect(std::shared_ptr<ComContext> context, IUnknown* unknown)
{
    IDispatch* dispatch = nullptr;
    const HRESULT hr = unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
    unknown->Release();
    if (FAILED(hr) || !dispatch)
        throw HostError("The host \"AutoCAD.Application\" does not answer automation calls");
    return std::make_shared<ComApplication>(
        Dispatcher(std::move(context), ComPtr<IDispatch>::adopt(dispatch)));
}

} // namespace

std::shared_ptr<Application> attachRunningHost()
{
    auto context = std::make_shared<ComContext>();
    const CLSID clsid = hostClassId();
    IUnknown* unknown = nullptr;
    if (FAILED(GetActiveObject(clsid, nullptr, &unknown)) || !unknown)
        throw HostError("The host \"AutoCAD.Application\" is not running");
    return connect(std::move(context), unknown);
}

std::shared_ptr<Application> createHost()
{
    auto context = std::make_shared<ComContext>();
    const CLSID clsid = hostClassId();
    IUnknown* unknown = nullptr;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IUnknown,
                                reinterpret_cast<void**>(&unknown)))
        || !unknown)
        throw HostError("The host \"AutoCAD.Application\" cannot be started");
    return connect(std::move(context), unknown);
}

namespace {

class AutomationHostProvider final : public HostProvider {
public:
    std::shared_ptr<Application> attach() override { return attachRunningHost(); }
    std::shared_ptr<Application> create() override { return createHost(); }
};

} // namespace

} // namespace lumo::cad::com

namespace lumo::cad {

std::unique_ptr<HostProvider> MakeAutomationHostProvider()
{
    return std::make_unique<com::AutomationHostProvider>();
}

bool AutomationHostRegistered()
{
    CLSID clsid{};
    return SUCCEEDED(CLSIDFromProgID(com::kHostProgId, &clsid));
}

} // namespace lumo::cad
