#include "detector_run.h"

#include "ui_frmDetektory.h"
#include "ui_frmMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

namespace lumo::test {

DetectorRun::DetectorRun(const std::function<void(dxf::Document&)>& setup)
{
    BuildSuite(suite);
    WriteBlockFile(suite.nativePath(suite.path(QStringLiteral("aZasoby\\Symbole\\sygnprzycisk.dxf"))));
    drawing = WriteDrawing(suite, {});
    auto doc = dxf::Document::load(drawing);
    doc.addLayer("109-SYGNALIZACJA_PRZYCISKI");
    if (setup)
        setup(doc);
    doc.save(drawing);
}

void DetectorRun::placeHead(const HeadChoice& choice, std::vector<cad::embedded::InputAnswer> script,
                            int messages)
{
    run = std::make_unique<SignalRun>(suite, drawing, std::move(script));
    if (messages > 0)
        run->dialogs.acceptMessages(messages);
    stage = std::make_unique<PushButtonStage>(*run->ctx, *run->placement, *run->form, QStringLiteral("1.0.5"));
    run->start(choice.words);
    ASSERT_TRUE(run->endReasons.isEmpty()) << run->endReasons.join(';').toStdString();
    auto& ui = run->form->ui();
    ui.cmbNumSkrzyz->setCurrentIndex(0);
    run->form->chkOrientGeo[choice.orientation]->click();
    if (choice.stopLine >= 0) {
        ui.chkLinZatrz->click();
        ui.cmbLinZatrz->setCurrentIndex(choice.stopLine);
    }
    ui.chkUstawDetektory->click();
    AnswerDescriptionForm({});
    ui.cmdAccept->click();
    run->runFollowUp();
    ASSERT_TRUE(run->endReasons.isEmpty()) << run->endReasons.join(';').toStdString();
    ASSERT_NE(stage->form(), nullptr);
}

void DetectorRun::placeButton()
{
    form().ui().cbUstaw0->click();
    run->runFollowUp();
}

} // namespace lumo::test
