// Nothing a handler throws may cross Qt's event loop, which cannot unwind
// through it: the application catches it where the event was delivered and
// hands it to whoever looks after the work in progress (the placement run
// while one runs, the workplace between runs).
#pragma once

#include <QApplication>
#include <QString>
#include <functional>
#include <vector>

namespace lumo {

class GuardedApplication : public QApplication {
    Q_OBJECT

public:
    using Handler = std::function<void(const QString& what)>;

    GuardedApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

private:
    friend class EscapedErrorScope;
    void handle(const QString& what);

    std::vector<const Handler*> m_handlers;
};

// While it lives, what escapes a handler goes to handler (the latest scope
// wins). Without a GuardedApplication it does nothing: the caller's own
// try blocks are all there is.
class EscapedErrorScope {
public:
    explicit EscapedErrorScope(GuardedApplication::Handler handler);
    ~EscapedErrorScope();
    EscapedErrorScope(const EscapedErrorScope&) = delete;
    EscapedErrorScope& operator=(const EscapedErrorScope&) = delete;

private:
    GuardedApplication::Handler m_handler;
    GuardedApplication* m_application;
};

} // namespace lumo
