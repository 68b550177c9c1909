// A drawing window on an embedded host of its own, as the program has it:
// the host opens and saves the drawing, the window asks and shows.
#pragma once

#include "cad/embedded/embedded_host.h"
#include "cad/embedded/view/window_input.h"

#include <QString>

#include <functional>
#include <memory>

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

} // namespace lumo::view
