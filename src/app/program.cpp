#include "app/program.h"

#include "app/command_line.h"
#include "app/event_guard.h"
#include "detectors/push_button_stage.h"
#include "run/placement_run.h"
#include "signal/frm_main.h"
#include "util/dialogs.h"
#include "util/text.h"

namespace lumo {

namespace {

DialogIcon toDialogIcon(cad::MessageIcon icon)
{
    return icon == cad::MessageIcon::Exclamation ? DialogIcon::Exclamation : DialogIcon::None;
}

} // namespace

Program::Program(Dialogs& dialogs, const QString& programFolder, cad::HostProvider& provider)
    : m_dialogs(dialogs), m_provider(provider), m_context{dialogs, host, settings, startup,
                                                          [this](const QString& reason) { end(reason); }},
      m_run(std::make_unique<PlacementRun>(m_context))
{
    startup.programFolder = programFolder;
    host.message = [this](const std::string& title, const std::string& text, cad::MessageIcon icon) {
        m_dialogs.show(QStringFromUtf8(title), QStringFromUtf8(text), toDialogIcon(icon));
    };
}

Program::~Program()
{
    if (!m_drawingSaved)
        saveDrawing();
}

int Program::run(const QStringList& commandLineArgs)
{
    const EscapedErrorScope guard([this](const QString& what) { abandon(what); });
    m_run->setOnTopFlag(descriptionOnTop);
    m_form = std::make_unique<frmMain>(m_context, m_provider, *m_run);
    if (pushButtonsAtStart)
        m_form->tickPushButtonsAtLoad();
    m_pushButtons = std::make_unique<PushButtonStage>(m_context, *m_run, *m_form, GetVersionText());
    try {
        m_form->Form_Load(commandLineArgs, GetVersionText());
    } catch (const cad::HostBusy&) {
        ReportHostNotResponding(m_dialogs);
        end(QStringLiteral("host not responding"));
    } catch (const std::exception& error) {
        abandon(QString::fromUtf8(error.what()));
    }
    if (!m_ended) {
        m_running = true;
        m_loop.exec();
        m_running = false;
    }
    saveDrawing();
    return m_abandoned ? 1 : 0;
}

void ShowUnexpectedError(Dialogs& dialogs, const QString& what, const QString& consequence)
{
    dialogs.show(QStringLiteral("LUMO_Sygnalizacja"),
                 QStringLiteral("Wystąpił nieoczekiwany błąd programu:\r\n[") + what + QStringLiteral("]\r\n")
                     + consequence,
                 DialogIcon::Exclamation);
}

void Program::abandon(const QString& what)
{
    const bool first = !m_abandoned;
    m_abandoned = true;
    if (first)
        ShowUnexpectedError(
            m_dialogs, what,
            QStringLiteral("Ustawianie zostało przerwane, a zmiany w rysunku nie zostały zapisane."));
    end(QStringLiteral("unexpected error"));
}

void Program::end(const QString& reason)
{
    if (m_ended)
        return;
    m_ended = true;
    m_endReason = reason;
    m_run->stop();
    if (m_form)
        m_form->hide();
    if (m_pushButtons)
        m_pushButtons->unload();
    if (m_running)
        m_loop.quit();
}

void Program::saveDrawing()
{
    // Once per end: a designer who kept the changes unsaved is not asked again.
    m_drawingSaved = true;
    if (!host.app || m_abandoned)
        return;
    try {
        host.app->saveIfChanged();
    } catch (const cad::HostError& error) {
        m_dialogs.show(QStringLiteral("LUMO_Sygnalizacja"), QStringFromUtf8(error.what()),
                       DialogIcon::Exclamation);
    }
}

} // namespace lumo
