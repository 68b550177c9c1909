#include "cad/session.h"

namespace lumo::cad {

namespace {

void show(const HostSession& session, const std::string& title, const std::string& text, MessageIcon icon)
{
    if (session.message)
        session.message(title, text, icon);
}

std::shared_ptr<Application> requireApp(const HostSession& session)
{
    if (!session.app)
        throw HostError("No host application");
    return session.app;
}

} // namespace

// A host that is not running, or cannot be started, is an answer: the next
// step is tried. A busy host is not (it runs, and a second one must not be
// started beside it), and neither is a fault of the program: both reach the
// caller.
std::shared_ptr<Application> ConnectAcad(HostSession& session, HostProvider& provider, bool askState)
{
    try {
        auto app = provider.attach();
        if (!app)
            throw HostError("No running host");
        if (askState)
            session.state = app->getAcadState();
        session.app = app;
        return app;
    } catch (const HostBusy&) {
        throw;
    } catch (const HostError&) {
        // Not running (or its state could not be had): start a new one.
    }

    std::shared_ptr<Application> app;
    try {
        app = provider.create();
    } catch (const HostBusy&) {
        throw;
    } catch (const HostError&) {
        app.reset();
    }
    if (app) {
        if (askState) {
            try {
                session.state = app->getAcadState();
            } catch (const HostBusy&) {
                throw;
            } catch (const HostError&) {
                // The state stays as it was.
            }
        }
        session.app = app;
        return app;
    }

    show(session, kAppTitle, std::string("Nie można nawiązać połączenia z programem:\r\n[") + kHostName + "]",
         MessageIcon::Exclamation);
    session.app.reset();
    return nullptr;
}

bool CheckActiveDocument(HostSession& session, bool showMessage)
{
    auto app = requireApp(session);
    if (app->documentsCount() > 0) {
        session.doc = app->activeDocument();
        session.modelSpace = GetModelSpace(session);
        return true;
    }
    if (showMessage)
        show(session, kAppTitle, "Najpierw proszę otworzyć jakiś dokument...", MessageIcon::None);
    return false;
}

std::shared_ptr<ModelSpace> GetModelSpace(HostSession& session)
{
    return requireApp(session)->activeDocument()->modelSpace();
}

} // namespace lumo::cad
