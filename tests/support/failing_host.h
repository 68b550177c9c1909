// A host whose drawing fails the lookups of the drawing operations (blocks,
// layers, text styles, custom properties) with a chosen exception, over a
// real host that answers everything else. Standard C++ only, for the
// host-side tests too.
#pragma once

#include "cad/host.h"

#include <functional>
#include <memory>
#include <utility>

namespace lumo::test {

// Throws the failure; an empty one lets the call through.
using Failure = std::function<void()>;

class FailingDocument final : public cad::Document {
public:
    FailingDocument(std::shared_ptr<cad::Document> real, Failure failure)
        : real_(std::move(real)), failure_(std::move(failure))
    {
    }
    std::string typeName() const override { return real_->typeName(); }
    std::string name() const override { return real_->name(); }
    std::shared_ptr<cad::ModelSpace> modelSpace() override { return real_->modelSpace(); }
    std::shared_ptr<cad::Blocks> blocks() override { return fail(), real_->blocks(); }
    std::shared_ptr<cad::Layers> layers() override { return fail(), real_->layers(); }
    std::shared_ptr<cad::TextStyles> textStyles() override { return fail(), real_->textStyles(); }
    std::shared_ptr<cad::SelectionSets> selectionSets() override { return real_->selectionSets(); }
    std::shared_ptr<cad::SummaryInfo> summaryInfo() override { return fail(), real_->summaryInfo(); }
    std::shared_ptr<cad::Utility> utility() override { return real_->utility(); }
    std::shared_ptr<cad::Entity> handleToObject(const std::string& handle) override
    {
        return real_->handleToObject(handle);
    }
    void sendCommand(const std::string& text) override { real_->sendCommand(text); }
    std::string getVariable(const std::string& name) override { return real_->getVariable(name); }
    std::shared_ptr<cad::Layer> activeLayer() override { return real_->activeLayer(); }
    void setActiveLayer(const std::shared_ptr<cad::Layer>& layer) override { real_->setActiveLayer(layer); }
    std::shared_ptr<cad::TextStyle> activeTextStyle() override { return real_->activeTextStyle(); }
    void setActiveTextStyle(const std::shared_ptr<cad::TextStyle>& style) override
    {
        real_->setActiveTextStyle(style);
    }

private:
    void fail() const
    {
        if (failure_)
            failure_();
    }
    std::shared_ptr<cad::Document> real_;
    Failure failure_;
};

// The application of a real host whose active drawing fails as above.
class FailingApplication final : public cad::Application {
public:
    FailingApplication(std::shared_ptr<cad::Application> real, Failure failure)
        : real_(std::move(real)), failure_(std::move(failure))
    {
    }
    std::string typeName() const override { return real_->typeName(); }
    bool visible() const override { return real_->visible(); }
    void setVisible(bool visible) override { real_->setVisible(visible); }
    std::shared_ptr<cad::HostState> getAcadState() override { return real_->getAcadState(); }
    long documentsCount() const override { return real_->documentsCount(); }
    std::shared_ptr<cad::Document> activeDocument() override
    {
        return std::make_shared<FailingDocument>(real_->activeDocument(), failure_);
    }
    std::string blockFileExtension() const override { return real_->blockFileExtension(); }
    void saveIfChanged() override { real_->saveIfChanged(); }
    void bringToFront() override { real_->bringToFront(); }

private:
    std::shared_ptr<cad::Application> real_;
    Failure failure_;
};

} // namespace lumo::test
