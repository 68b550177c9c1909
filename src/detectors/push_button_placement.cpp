// "&Ustaw": the checks of the detector form before a push button is placed
// (a description, an open drawing, the button's block file); the run's
// push-button stage (run/push_button_stage.cpp) places it, and reads the
// button's type, producer and description back from here when it is done.
#include "detectors/frm_detektory.h"

#include "ui_frmDetektory.h"

#include "cad/session.h"
#include "run/head_attributes.h"
#include "run/placement_run.h"
#include "util/dialogs.h"
#include "util/files.h"
#include "util/paths.h"
#include "util/run_context.h"
#include "util/titles.h"

namespace lumo {

void frmDetektory::cbUstaw_Click(int)
{
    auto& host = m_ctx.host;
    if (m_ui->edtOpis->text().isEmpty()) {
        m_ctx.dialogs.message(kMessageTitle, QStringLiteral("Nie wypełniono pola opisu detektora!"),
                              DialogIcon::Exclamation, DialogButtons::Ok, DialogAnswer::Ok);
        m_ui->edtOpis->setFocus();
        return;
    }
    try {
        if (!cad::CheckActiveDocument(host, true)) {
            show();
            return;
        }
    } catch (const cad::HostError&) {
        show();
        return;
    }

    const QString folder
        = JoinPath(ParentFolder(ParentFolder(m_ctx.startup.programFolder)), kPushButtonFolder);
    const QString path = JoinPath(folder, kPushButtonBlock + m_run.blockFileExtension());
    if (!FileExists(path)) {
        m_ctx.dialogs.message(kMessageTitle,
                              QStringLiteral("Nie znaleziono pliku z symbolem przycisku - ")
                                  + kPushButtonBlock + QStringLiteral("\r\n") + QStringLiteral("w folderze [")
                                  + DisplayPath(folder) + QStringLiteral("]."),
                              DialogIcon::Exclamation, DialogButtons::Ok, DialogAnswer::Ok);
        show();
        return;
    }

    hide();
    if (!m_run.InsertPushButton(path))
        show(); // nothing was placed; the designer may try again
}

QString frmDetektory::pushButtonType() const
{
    return m_ui->cmbTypPrzycisku->currentText();
}

QString frmDetektory::pushButtonProducer() const
{
    return m_ui->cmbProdPrzycisku->currentText();
}

QString frmDetektory::detectorDescription() const
{
    return m_ui->edtOpis->text();
}

} // namespace lumo
