// A temporary suite for the list tests: the shared list folder, a city data
// folder with its "Ulic" folder, the embedded host with a new drawing, and a
// run context whose dialogs record every message.
#pragma once

#include "cad/drawing.h"
#include "cad/embedded/embedded_host.h"
#include "cad/session.h"
#include "recording_dialogs.h"
#include "util/run_context.h"
#include "settings/settings_values.h"
#include "temp_suite.h"

#include <QString>
#include <memory>
#include <string>
#include <vector>

namespace lumo::testing {

class ListSuite {
public:
    ListSuite()
    {
        suite.makeFolder(QStringLiteral("aZasoby\\Listy"));
        suite.makeFolder(QStringLiteral("Dane\\Miasto\\Ulic"));
        startup.programFolder = suite.programFolder();
        startup.cityDataFolder = suite.path(QStringLiteral("Dane\\Miasto"));
        app->create(suite.nativePath(suite.path(QStringLiteral("nowy.dxf"))).toStdString());
        session.app = app;
        session.message = [this](const std::string& title, const std::string& text, cad::MessageIcon) {
            hostMessages.push_back(QString::fromStdString(title) + QStringLiteral(": ")
                                   + QString::fromStdString(text));
        };
    }

    // The drawing's custom property, read or written past the session.
    std::string drawingProperty(const std::string& key) { return cad::GetDrawingProperty(own(), key); }
    void setDrawingProperty(const std::string& key, const std::string& value)
    {
        cad::SetDrawingProperty(own(), key, value);
    }
    // The session's host has no drawing open from now on.
    void closeDrawing() { session.app = std::make_shared<cad::embedded::EmbeddedApplication>(options); }

    test::TempSuite suite;
    cad::embedded::EmbeddedHostOptions options; // nothing remembered, nothing asked
    std::shared_ptr<cad::embedded::EmbeddedApplication> app
        = std::make_shared<cad::embedded::EmbeddedApplication>(options);
    std::vector<QString> hostMessages;
    test::RecordingDialogs dialogs;
    cad::HostSession session;
    SettingsValues settings;
    StartupValues startup;
    RunContext ctx{dialogs, session, settings, startup, [](const QString&) {}};

private:
    cad::HostSession& own()
    {
        own_.app = app;
        cad::CheckActiveDocument(own_, false);
        return own_;
    }
    cad::HostSession own_;
};

} // namespace lumo::testing
