// A temporary suite for the list tests: the shared list folder, a city data
// folder with its "Ulic" folder, a host with one drawing, and a run context
// whose dialogs record every message.
#pragma once

#include "cad/session.h"
#include "fake_host.h"
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
        session.app = app;
        session.message = [this](const std::string& title, const std::string& text, cad::MessageIcon) {
            hostMessages.push_back(QString::fromStdString(title) + QStringLiteral(": ")
                                   + QString::fromStdString(text));
        };
    }

    void setDrawingProperty(const std::string& key, const std::string& value)
    {
        app->document->info->properties[key] = value;
    }

    test::TempSuite suite;
    std::shared_ptr<FakeApplication> app = std::make_shared<FakeApplication>();
    std::vector<QString> hostMessages;
    test::RecordingDialogs dialogs;
    cad::HostSession session;
    SettingsValues settings;
    StartupValues startup;
    RunContext ctx{dialogs, session, settings, startup, [](const QString&) {}};
};

} // namespace lumo::testing
