#include "cad/busy_retry.h"

namespace lumo::cad {

namespace {

using RetryPtr = std::shared_ptr<const BusyRetry>;

// One object of the host interface over the real one: each member asks the
// real object under the retry. The classes below follow the interface's
// objects from the smallest up, as each hands out the ones before it.
template <class Interface> class Retrying : public Interface {
public:
    Retrying(std::shared_ptr<Interface> real, RetryPtr retry)
        : real_(std::move(real)), retry_(std::move(retry))
    {
    }
    std::string typeName() const override
    {
        return call([&] { return real_->typeName(); });
    }
    const std::shared_ptr<Interface>& real() const { return real_; }

protected:
    template <class Call> auto call(Call&& ask) const
    {
        return RetryWhileBusy(*retry_, std::forward<Call>(ask));
    }

    // The object another member handed out, retrying in its turn.
    template <class Wrapper, class Object> std::shared_ptr<Object> wrap(std::shared_ptr<Object> object) const
    {
        if (!object)
            return nullptr;
        return std::make_shared<Wrapper>(std::move(object), retry_);
    }
    template <class Wrapper, class Object>
    std::vector<std::shared_ptr<Object>> wrapAll(std::vector<std::shared_ptr<Object>> objects) const
    {
        for (auto& object : objects)
            object = wrap<Wrapper>(std::move(object));
        return objects;
    }

    std::shared_ptr<Interface> real_;
    RetryPtr retry_;
};

// The real object behind one of ours: the hosts accept only their own.
template <class Wrapper, class Object> std::shared_ptr<Object> unwrap(const std::shared_ptr<Object>& object)
{
    const auto* ours = dynamic_cast<const Wrapper*>(object.get());
    return ours ? ours->real() : object;
}

class RetryingAttributeReference final : public Retrying<AttributeReference> {
public:
    using Retrying::Retrying;
    std::string tagString() const override
    {
        return call([&] { return real_->tagString(); });
    }
    std::string textString() const override
    {
        return call([&] { return real_->textString(); });
    }
    void setTextString(const std::string& text) override
    {
        call([&] { real_->setTextString(text); });
    }
};

class RetryingAttributeDefinition final : public Retrying<AttributeDefinition> {
public:
    using Retrying::Retrying;
    std::string tagString() const override
    {
        return call([&] { return real_->tagString(); });
    }
    std::string textString() const override
    {
        return call([&] { return real_->textString(); });
    }
};

class RetryingEntity final : public Retrying<Entity> {
public:
    using Retrying::Retrying;
    std::string handle() const override
    {
        return call([&] { return real_->handle(); });
    }
    std::string layer() const override
    {
        return call([&] { return real_->layer(); });
    }
    void setLayer(const std::string& layer) override
    {
        call([&] { real_->setLayer(layer); });
    }
    int color() const override
    {
        return call([&] { return real_->color(); });
    }
    void setColor(int color) override
    {
        call([&] { real_->setColor(color); });
    }
    double rotation() const override
    {
        return call([&] { return real_->rotation(); });
    }
    void setRotation(double radians) override
    {
        call([&] { real_->setRotation(radians); });
    }
    Point3 insertionPoint() const override
    {
        return call([&] { return real_->insertionPoint(); });
    }
    bool hasAttributes() const override
    {
        return call([&] { return real_->hasAttributes(); });
    }
    std::vector<std::shared_ptr<AttributeReference>> getAttributes() const override
    {
        return wrapAll<RetryingAttributeReference>(call([&] { return real_->getAttributes(); }));
    }
    void update() override
    {
        call([&] { real_->update(); });
    }
    void erase() override
    {
        call([&] { real_->erase(); });
    }
};

class RetryingLayer final : public Retrying<Layer> {
public:
    using Retrying::Retrying;
    std::string name() const override
    {
        return call([&] { return real_->name(); });
    }
    int color() const override
    {
        return call([&] { return real_->color(); });
    }
    void setColor(int color) override
    {
        call([&] { real_->setColor(color); });
    }
    int lineWeight() const override
    {
        return call([&] { return real_->lineWeight(); });
    }
    void setLineWeight(int lineWeight) override
    {
        call([&] { real_->setLineWeight(lineWeight); });
    }
};

class RetryingTextStyle final : public Retrying<TextStyle> {
public:
    using Retrying::Retrying;
    std::string name() const override
    {
        return call([&] { return real_->name(); });
    }
    double height() const override
    {
        return call([&] { return real_->height(); });
    }
    void setHeight(double height) override
    {
        call([&] { real_->setHeight(height); });
    }
    void setFont(const std::string& typeface, bool bold, bool italic, int charSet,
                 int pitchAndFamily) override
    {
        call([&] { real_->setFont(typeface, bold, italic, charSet, pitchAndFamily); });
    }
    std::string fontTypeface() const override
    {
        return call([&] { return real_->fontTypeface(); });
    }
};

class RetryingBlock final : public Retrying<Block> {
public:
    using Retrying::Retrying;
    std::string name() const override
    {
        return call([&] { return real_->name(); });
    }
    std::shared_ptr<AttributeDefinition> addAttribute(double height, int mode, const std::string& prompt,
                                                      const Point3& insertionPoint, const std::string& tag,
                                                      const std::string& value) override
    {
        return wrap<RetryingAttributeDefinition>(
            call([&] { return real_->addAttribute(height, mode, prompt, insertionPoint, tag, value); }));
    }
    std::vector<std::shared_ptr<AttributeDefinition>> attributeDefinitions() const override
    {
        return wrapAll<RetryingAttributeDefinition>(call([&] { return real_->attributeDefinitions(); }));
    }
};

class RetryingBlocks final : public Retrying<Blocks> {
public:
    using Retrying::Retrying;
    long count() const override
    {
        return call([&] { return real_->count(); });
    }
    std::shared_ptr<Block> item(const std::string& name) const override
    {
        return wrap<RetryingBlock>(call([&] { return real_->item(name); }));
    }
};

class RetryingLayers final : public Retrying<Layers> {
public:
    using Retrying::Retrying;
    long count() const override
    {
        return call([&] { return real_->count(); });
    }
    std::shared_ptr<Layer> item(const std::string& name) const override
    {
        return wrap<RetryingLayer>(call([&] { return real_->item(name); }));
    }
    std::shared_ptr<Layer> add(const std::string& name) override
    {
        return wrap<RetryingLayer>(call([&] { return real_->add(name); }));
    }
};

class RetryingTextStyles final : public Retrying<TextStyles> {
public:
    using Retrying::Retrying;
    long count() const override
    {
        return call([&] { return real_->count(); });
    }
    std::shared_ptr<TextStyle> item(const std::string& name) const override
    {
        return wrap<RetryingTextStyle>(call([&] { return real_->item(name); }));
    }
    std::shared_ptr<TextStyle> add(const std::string& name) override
    {
        return wrap<RetryingTextStyle>(call([&] { return real_->add(name); }));
    }
};

class RetryingModelSpace final : public Retrying<ModelSpace> {
public:
    using Retrying::Retrying;
    long count() const override
    {
        return call([&] { return real_->count(); });
    }
    std::shared_ptr<Entity> item(long index) const override
    {
        return wrap<RetryingEntity>(call([&] { return real_->item(index); }));
    }
    std::shared_ptr<Entity> insertBlock(const Point3& point, const std::string& name, double xScale,
                                        double yScale, double zScale, double rotation) override
    {
        return wrap<RetryingEntity>(
            call([&] { return real_->insertBlock(point, name, xScale, yScale, zScale, rotation); }));
    }
    std::shared_ptr<Entity> addText(const std::string& text, const Point3& point, double height) override
    {
        return wrap<RetryingEntity>(call([&] { return real_->addText(text, point, height); }));
    }
};

class RetryingSummaryInfo final : public Retrying<SummaryInfo> {
public:
    using Retrying::Retrying;
    void getCustomByKey(const std::string& key, std::string& value) const override
    {
        call([&] { real_->getCustomByKey(key, value); });
    }
    void setCustomByKey(const std::string& key, const std::string& value) override
    {
        call([&] { real_->setCustomByKey(key, value); });
    }
    void addCustomInfo(const std::string& key, const std::string& value) override
    {
        call([&] { real_->addCustomInfo(key, value); });
    }
    long numCustomInfo() const override
    {
        return call([&] { return real_->numCustomInfo(); });
    }
};

class RetryingSelectionSet final : public Retrying<SelectionSet> {
public:
    using Retrying::Retrying;
    std::string name() const override
    {
        return call([&] { return real_->name(); });
    }
    void select(int mode, const std::vector<std::int16_t>& filterTypes,
                const std::vector<std::string>& filterData) override
    {
        call([&] { real_->select(mode, filterTypes, filterData); });
    }
    long count() const override
    {
        return call([&] { return real_->count(); });
    }
    std::shared_ptr<Entity> item(long index) const override
    {
        return wrap<RetryingEntity>(call([&] { return real_->item(index); }));
    }
    void erase() override
    {
        call([&] { real_->erase(); });
    }
};

class RetryingSelectionSets final : public Retrying<SelectionSets> {
public:
    using Retrying::Retrying;
    long count() const override
    {
        return call([&] { return real_->count(); });
    }
    std::shared_ptr<SelectionSet> item(const std::string& name) const override
    {
        return wrap<RetryingSelectionSet>(call([&] { return real_->item(name); }));
    }
    std::shared_ptr<SelectionSet> add(const std::string& name) override
    {
        return wrap<RetryingSelectionSet>(call([&] { return real_->add(name); }));
    }
};

class RetryingUtility final : public Retrying<Utility> {
public:
    using Retrying::Retrying;
    Point3 getPoint(const std::string& prompt) override
    {
        return call([&] { return real_->getPoint(prompt); });
    }
};

class RetryingDocument final : public Retrying<Document> {
public:
    using Retrying::Retrying;
    std::string name() const override
    {
        return call([&] { return real_->name(); });
    }
    std::shared_ptr<ModelSpace> modelSpace() override
    {
        return wrap<RetryingModelSpace>(call([&] { return real_->modelSpace(); }));
    }
    std::shared_ptr<Blocks> blocks() override
    {
        return wrap<RetryingBlocks>(call([&] { return real_->blocks(); }));
    }
    std::shared_ptr<Layers> layers() override
    {
        return wrap<RetryingLayers>(call([&] { return real_->layers(); }));
    }
    std::shared_ptr<TextStyles> textStyles() override
    {
        return wrap<RetryingTextStyles>(call([&] { return real_->textStyles(); }));
    }
    std::shared_ptr<SelectionSets> selectionSets() override
    {
        return wrap<RetryingSelectionSets>(call([&] { return real_->selectionSets(); }));
    }
    std::shared_ptr<SummaryInfo> summaryInfo() override
    {
        return wrap<RetryingSummaryInfo>(call([&] { return real_->summaryInfo(); }));
    }
    std::shared_ptr<Utility> utility() override
    {
        return wrap<RetryingUtility>(call([&] { return real_->utility(); }));
    }
    std::shared_ptr<Entity> handleToObject(const std::string& handle) override
    {
        return wrap<RetryingEntity>(call([&] { return real_->handleToObject(handle); }));
    }
    void sendCommand(const std::string& text) override
    {
        call([&] { real_->sendCommand(text); });
    }
    std::string getVariable(const std::string& name) override
    {
        return call([&] { return real_->getVariable(name); });
    }
    std::shared_ptr<Layer> activeLayer() override
    {
        return wrap<RetryingLayer>(call([&] { return real_->activeLayer(); }));
    }
    void setActiveLayer(const std::shared_ptr<Layer>& layer) override
    {
        call([&] { real_->setActiveLayer(unwrap<RetryingLayer>(layer)); });
    }
    std::shared_ptr<TextStyle> activeTextStyle() override
    {
        return wrap<RetryingTextStyle>(call([&] { return real_->activeTextStyle(); }));
    }
    void setActiveTextStyle(const std::shared_ptr<TextStyle>& style) override
    {
        call([&] { real_->setActiveTextStyle(unwrap<RetryingTextStyle>(style)); });
    }
};

class RetryingHostState final : public Retrying<HostState> {
public:
    using Retrying::Retrying;
    bool isQuiescent() const override
    {
        return call([&] { return real_->isQuiescent(); });
    }
};

class RetryingApplication final : public Retrying<Application> {
public:
    using Retrying::Retrying;
    bool visible() const override
    {
        return call([&] { return real_->visible(); });
    }
    void setVisible(bool visible) override
    {
        call([&] { real_->setVisible(visible); });
    }
    std::shared_ptr<HostState> getAcadState() override
    {
        return wrap<RetryingHostState>(call([&] { return real_->getAcadState(); }));
    }
    long documentsCount() const override
    {
        return call([&] { return real_->documentsCount(); });
    }
    std::shared_ptr<Document> activeDocument() override
    {
        return wrap<RetryingDocument>(call([&] { return real_->activeDocument(); }));
    }
    std::string blockFileExtension() const override
    {
        return call([&] { return real_->blockFileExtension(); });
    }
    void saveIfChanged() override
    {
        call([&] { real_->saveIfChanged(); });
    }
    void bringToFront() override
    {
        call([&] { real_->bringToFront(); });
    }
};

} // namespace

std::shared_ptr<Application> RetryingWhenBusy(std::shared_ptr<Application> app,
                                              std::shared_ptr<const BusyRetry> retry)
{
    if (!app)
        return nullptr;
    return std::make_shared<RetryingApplication>(std::move(app), std::move(retry));
}

BusyRetryingProvider::BusyRetryingProvider(HostProvider& inner, BusyRetry retry)
    : inner_(inner), retry_(std::make_shared<const BusyRetry>(std::move(retry)))
{
}

std::shared_ptr<Application> BusyRetryingProvider::attach()
{
    return RetryingWhenBusy(RetryWhileBusy(*retry_, [this] { return inner_.attach(); }), retry_);
}

std::shared_ptr<Application> BusyRetryingProvider::create()
{
    return RetryingWhenBusy(RetryWhileBusy(*retry_, [this] { return inner_.create(); }), retry_);
}

} // namespace lumo::cad
