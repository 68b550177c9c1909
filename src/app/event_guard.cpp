#include "app/event_guard.h"

#include <QDebug>
#include <algorithm>
#include <exception>

namespace lumo {

GuardedApplication::GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) { }

bool GuardedApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        handle(QString::fromUtf8(error.what()));
    } catch (...) {
        handle(QStringLiteral("nieznany wyjątek"));
    }
    return false;
}

void GuardedApplication::handle(const QString& what)
{
    if (m_handlers.empty()) {
        qCritical().noquote() << "lumo: uncaught in an event handler:" << what;
        return;
    }
    // A copy: the handler may end the scope that installed it.
    const Handler handler = *m_handlers.back();
    handler(what);
}

EscapedErrorScope::EscapedErrorScope(GuardedApplication::Handler handler)
    : m_handler(std::move(handler)),
      m_application(qobject_cast<GuardedApplication*>(QCoreApplication::instance()))
{
    if (m_application)
        m_application->m_handlers.push_back(&m_handler);
}

EscapedErrorScope::~EscapedErrorScope()
{
    if (!m_application)
        return;
    auto& handlers = m_application->m_handlers;
    handlers.erase(std::remove(handlers.begin(), handlers.end(), &m_handler), handlers.end());
}

} // namespace lumo
