// A drawing window on an embedded host of its own, as the program has it:
// the host opens and saves the drawing, the window asks and shows.
#pragma once

#include "cad/embedded/embedded_host.h"
#include "cad/embedded/view/window_input.h"

#include <QString>
#include <QTest>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace lumo::view {

struct HostedWindow {
    // What the host tells the designer goes to `messages`.
    explicit HostedWindow(std::function<void(const QString&)> messages = {})
        : host(std::make_shared<cad::embedded::EmbeddedApplication>(optionsTelling(std::move(messages)))),
          hostWindow(host, false), window(*hostWindow.window())
    {
    }

    static cad::embedded::EmbeddedHostOptions optionsTelling(std::function<void(const QString&)> messages)
    {
        cad::embedded::EmbeddedHostOptions options;
        options.report = [messages](const std::string&, const std::string& text, cad::MessageIcon) {
            if (messages)
                messages(QString::fromStdString(text));
        };
        return options;
    }

    std::shared_ptr<cad::embedded::EmbeddedApplication> host;
    HostWindow hostWindow;
    MainWindow& window;
};

// The window of a host over the drawing saved at path, as the designer has
// it: the window answers the host, the selection and the edits are on. What
// the host tells the designer goes to `reports`.
struct DesignerWindow {
    explicit DesignerWindow(const std::string& path)
        : host(std::make_shared<cad::embedded::EmbeddedApplication>(options(path, reports))),
          hostWindow(std::make_unique<HostWindow>(host)), window(hostWindow->window())
    {
        host->setVisible(true);
    }

    static cad::embedded::EmbeddedHostOptions options(const std::string& path, std::vector<std::string>& reports)
    {
        cad::embedded::EmbeddedHostOptions options;
        options.drawing = path;
        options.report = [&reports](const std::string&, const std::string& text, cad::MessageIcon) {
            reports.push_back(text);
        };
        return options;
    }
    // Waits until the window is on the screen and has the keys.
    bool active() const
    {
        if (!QTest::qWaitForWindowExposed(window))
            return false;
        window->activateWindow();
        return QTest::qWaitForWindowActive(window);
    }

    std::vector<std::string> reports;
    std::shared_ptr<cad::embedded::EmbeddedApplication> host;
    std::unique_ptr<HostWindow> hostWindow;
    MainWindow* window = nullptr;
};

} // namespace lumo::view
