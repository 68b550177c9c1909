#include "detectors/push_button_stage.h"

#include "ui_frmDetektory.h"

#include "detectors/frm_detektory.h"
#include "run/placement_run.h"
#include "util/run_context.h"

#include <QStringList>

namespace lumo {

PushButtonStage::PushButtonStage(RunContext& ctx, PlacementRun& run, QWidget& options,
                                 const QString& versionText)
    : m_ctx(ctx), m_run(run), m_options(options), m_versionText(versionText)
{
    m_run.setPushButtonHandOver([this] { HandOver(); });
}

PushButtonStage::~PushButtonStage()
{
    m_run.setPushButtonHandOver({});
}

void PushButtonStage::HandOver()
{
    if (!m_form) {
        m_form = std::make_unique<frmDetektory>(m_ctx, m_run, m_versionText);
        if (!m_form->Form_Load()) {
            // Without a host there is nothing to place buttons in.
            if (m_ctx.end)
                m_ctx.end(QStringLiteral("no host for the detector form"));
            return;
        }
    }
    frmDetektory& form = *m_form;
    form.selectTab(TabPrzyciski);

    // The pedestrian heads: the push-button boxes are made available.
    static const QStringList pedestrianHeads{QStringLiteral("S-5plk"), QStringLiteral("S-5"),
                                             QStringLiteral("S-5pr")};
    if (pedestrianHeads.contains(m_run.state().signalSymbol)) {
        form.selectTab(TabPrzyciski);
        form.ui().cmbTypPrzycisku->setEnabled(true);
        form.ui().cmbProdPrzycisku->setEnabled(true);
    }
    form.ComposeDetectorDescription(form.DetectorLetter);
    m_options.hide();
    form.ui().edtOpis->setText(form.DetectorDescription);
    form.showAgain();
}

void PushButtonStage::unload()
{
    if (m_form)
        m_form->unload();
}

} // namespace lumo
