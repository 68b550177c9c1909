// A host with one drawing that knows only its custom properties: enough for
// the code that reads and writes the suite's values in the drawing. Every
// other member fails as a host does for a member it cannot answer.
#pragma once

#include "cad/host.h"

#include <map>
#include <memory>
#include <string>

namespace lumo::testing {

class FakeSummaryInfo : public cad::SummaryInfo {
public:
    std::map<std::string, std::string> properties;

    std::string typeName() const override { return "IAcadSummaryInfo"; }
    void getCustomByKey(const std::string& key, std::string& value) const override
    {
        const auto it = properties.find(key);
        if (it == properties.end())
            throw cad::HostError("Key not found");
        value = it->second;
    }
    void setCustomByKey(const std::string& key, const std::string& value) override
    {
        const auto it = properties.find(key);
        if (it == properties.end())
            throw cad::HostError("Key not found");
        it->second = value;
    }
    void addCustomInfo(const std::string& key, const std::string& value) override
    {
        if (!properties.emplace(key, value).second)
            throw cad::HostError("Duplicate key");
    }
    long numCustomInfo() const override { return static_cast<long>(properties.size()); }
};

class FakeDocument : public cad::Document {
public:
    std::shared_ptr<FakeSummaryInfo> info = std::make_shared<FakeSummaryInfo>();

    std::string typeName() const override { return "IAcadDocument"; }
    std::string name() const override { return "Rysunek1.dxf"; }
    std::shared_ptr<cad::ModelSpace> modelSpace() override { return nullptr; }
    std::shared_ptr<cad::Blocks> blocks() override { fail(); }
    std::shared_ptr<cad::Layers> layers() override { fail(); }
    std::shared_ptr<cad::TextStyles> textStyles() override { fail(); }
    std::shared_ptr<cad::SelectionSets> selectionSets() override { fail(); }
    std::shared_ptr<cad::SummaryInfo> summaryInfo() override { return info; }
    std::shared_ptr<cad::Utility> utility() override { fail(); }
    std::shared_ptr<cad::Entity> handleToObject(const std::string&) override { fail(); }
    void sendCommand(const std::string&) override { fail(); }
    std::string getVariable(const std::string&) override { fail(); }
    std::shared_ptr<cad::Layer> activeLayer() override { fail(); }
    void setActiveLayer(const std::shared_ptr<cad::Layer>&) override { fail(); }
    std::shared_ptr<cad::TextStyle> activeTextStyle() override { fail(); }
    void setActiveTextStyle(const std::shared_ptr<cad::TextStyle>&) override { fail(); }

private:
    [[noreturn]] static void fail() { throw cad::HostError("Not supported by the test host"); }
};

class FakeApplication : public cad::Application {
public:
    std::shared_ptr<FakeDocument> document = std::make_shared<FakeDocument>();
    bool hasDocument = true;

    std::string typeName() const override { return "IAcadApplication"; }
    bool visible() const override { return true; }
    void setVisible(bool) override { }
    std::shared_ptr<cad::HostState> getAcadState() override { return nullptr; }
    long documentsCount() const override { return hasDocument ? 1 : 0; }
    std::shared_ptr<cad::Document> activeDocument() override
    {
        if (!hasDocument)
            throw cad::HostError("No document");
        return document;
    }
    std::string blockFileExtension() const override { return ".dxf"; }
};

} // namespace lumo::testing
