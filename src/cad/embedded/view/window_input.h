// The drawing window as the embedded host's designer: the host's questions
// go to the prompt line and the view, the designer's clicks, typed values
// and Escape come back as answers. HostWindow keeps a window in step with a
// running embedded host as the host tells it what changed: its drawing, the
// waiting insert's block at the cursor, its last prompt, its visibility.
#pragma once

#include "cad/embedded/embedded_host.h"
#include "cad/embedded/input.h"
#include "cad/embedded/view/editor.h"
#include "cad/embedded/view/main_window.h"
#include "cad/embedded/view/properties_panel.h"
#include "cad/session.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

namespace lumo::view {

class WindowInputSource : public cad::embedded::InputSource {
public:
    explicit WindowInputSource(MainWindow* window);
    cad::embedded::InputAnswer poll(const cad::embedded::InputRequest& request) override;
    cad::embedded::InputAnswer wait(const cad::embedded::InputRequest& request) override;
    void ask(const cad::embedded::InputRequest& request) override;
    void withdraw() override;

private:
    QPointer<MainWindow> window_;
};

Question toQuestion(const cad::embedded::InputRequest& request);
cad::embedded::InputAnswer toHostAnswer(const Answer& answer);

class HostWindow : public QObject {
    Q_OBJECT
public:
    // Makes the window the host's input source (unless takeInput is false:
    // a script answers and the window only shows); the window is shown once
    // the host is made visible.
    explicit HostWindow(std::shared_ptr<cad::embedded::EmbeddedApplication> host, bool takeInput = true,
                        QObject* parent = nullptr);
    ~HostWindow() override;

    MainWindow* window() const { return window_.get(); }
    std::shared_ptr<WindowInputSource> inputSource() const { return source_; }
    const std::shared_ptr<cad::embedded::EmbeddedApplication>& host() const { return host_; }
    // The designer's selection and edits (null when a script answers).
    Editor* editor() const { return editor_; }
    // "Właściwości" of the selection (null when a script answers).
    PropertiesPanel* properties() const { return properties_; }

    // Called once when the designer closes the window (the program's run
    // ends as on a cancel).
    void setOnClosed(std::function<void()> onClosed) { onClosed_ = std::move(onClosed); }

signals:
    void closed();

private:
    void hostChanged(cad::embedded::HostChange change);
    void showHistory();
    void showWhenVisible();
    void showDocument();
    void followCommand();
    void scheduleRefresh();
    // Undo (or redo) of the host's last step, the selection kept.
    void takeStep(bool forward);
    bool openDrawing(const QString& path);

    std::shared_ptr<cad::embedded::EmbeddedApplication> host_;
    std::unique_ptr<MainWindow> window_;
    std::shared_ptr<WindowInputSource> source_;
    Editor* editor_ = nullptr; // owned by the window
    PropertiesPanel* properties_ = nullptr; // owned by the window
    std::function<void()> onClosed_;
    bool shown_ = false;
    bool refreshScheduled_ = false;
    std::string previewBlock_;
    double previewScale_ = 0.0;
};

// Starts the embedded host together with its window, for the program's
// connection to the host: the designer sees the drawing and places heads by
// clicking. An input script (LUMO_CAD_INPUT) stays the designer.
class WindowedHostProvider : public cad::HostProvider {
public:
    using OptionsFn = std::function<cad::embedded::EmbeddedHostOptions()>;
    explicit WindowedHostProvider(OptionsFn options);
    ~WindowedHostProvider() override;

    std::shared_ptr<cad::Application> attach() override;
    std::shared_ptr<cad::Application> create() override;
    // The window of the host started last (null before).
    HostWindow* hostWindow() const { return window_.get(); }
    // The window's own settings file (recent drawings, last symbol); "" when none.
    QString configFile() const { return configFile_; }
    // Called when the designer closes the host's window.
    void setOnWindowClosed(std::function<void()> onClosed) { onWindowClosed_ = std::move(onClosed); }
    // Whether a program's run is on: a host started meanwhile begins in it
    // (whoever runs the program ends the run on the host).
    void setProgramRunning(bool running) { programRunning_ = running; }
    // The program's own checks of attribute values the designer edits.
    void setAttributeCheck(AttributeCheck check) { attributeCheck_ = std::move(check); }

private:
    OptionsFn options_;
    std::function<void()> onWindowClosed_;
    QString configFile_;
    std::weak_ptr<cad::embedded::EmbeddedApplication> running_;
    bool programRunning_ = false;
    AttributeCheck attributeCheck_;
    std::unique_ptr<HostWindow> window_;
};

} // namespace lumo::view
