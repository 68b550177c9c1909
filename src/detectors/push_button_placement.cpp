// The placement of one push button: "&Ustaw" makes sure the drawing has the
// button's block, sends the host its insert command and hands over to the
// options form's follow-up timer, which comes back to FinishPushButton once
// the designer has placed the button.
#include "detectors/frm_detektory.h"

#include "ui_frmDetektory.h"

#include "cad/drawing.h"
#include "cad/session.h"
#include "util/run_context.h"
#include "settings/settings_values.h"
#include "signal/placement.h"
#include "signal/head_attributes.h"
#include "util/dialogs.h"
#include "util/files.h"
#include "util/numbers.h"
#include "util/paths.h"
#include "util/text.h"
#include "util/titles.h"

namespace lumo {

namespace {

constexpr double kPi = 3.14159265358979;

std::string U8(const QString& text)
{
    return Utf8FromQString(text);
}

const QStringList& PushButtonTags()
{
    static const QStringList tags{QStringLiteral("RODZAJ"), QStringLiteral("TYP"),
                                  QStringLiteral("PRODUCENT")};
    return tags;
}

// A number for the host's command line: general form, decimal point.
QString CommandNumber(double value)
{
    return FormatNumber(value).replace(QLatin1Char(','), QLatin1Char('.'));
}

} // namespace

QString frmDetektory::blockFileExtension() const
{
    if (m_ctx.host.app)
        return QStringFromUtf8(m_ctx.host.app->blockFileExtension());
    return QStringLiteral(".dwg");
}

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
    const QString path = JoinPath(folder, kPushButtonBlock + blockFileExtension());
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
    SignalPlacementState& placement = m_placement.state();
    const std::string block = U8(kPushButtonBlock);
    try {
        if (!cad::BlockExists(host, block)) {
            // The host loads the definition from the file with a temporary
            // reference, which goes once the definition has its tags.
            auto temporary
                = host.modelSpace->insertBlock(cad::Point3{}, U8(ToNativePath(path)), 1.0, 1.0, 1.0, 0.0);
            if (cad::BlockExists(host, block)) {
                auto definition = host.doc->blocks()->item(block);
                for (const QString& tag : PushButtonTags())
                    cad::AddBlockAttribute(*definition, U8(tag), "", 0.0, 0.0);
                temporary->erase();
            }
        }

        const QString scale = CommandNumber(placement.drawingScale * 10 / 2000.0);
        const QString rotation = CommandNumber(placement.m_dRotation * 180 / kPi);
        placement.countBefore = host.modelSpace->count();
        placement.followUpStep = 2;
        m_placement.followUpWatch().arm(host);
        host.doc->sendCommand("_-insert\r" + block + "\r_R\r" + U8(rotation) + "\rX\r" + U8(scale) + "\rY\r"
                              + U8(scale) + "\r");
        m_placement.tRunNext().start();
    } catch (const cad::HostError&) {
        // Nothing was placed; the designer may try again.
        placement.followUpStep = 0;
        show();
    }
}

void frmDetektory::FinishPushButton(const std::shared_ptr<cad::Entity>& button)
{
    auto& host = m_ctx.host;
    const SignalPlacementState& placement = m_placement.state();

    button->setLayer(U8(kPushButtonLayer));
    if (button->hasAttributes()) {
        for (const auto& attribute : button->getAttributes()) {
            const QString tag = QStringFromUtf8(attribute->tagString()).toUpper();
            QString value;
            if (tag == QLatin1String("RODZAJ"))
                value = QStringLiteral("Przycisk");
            else if (tag == QLatin1String("TYP"))
                value = m_ui->cmbTypPrzycisku->currentText();
            else if (tag == QLatin1String("PRODUCENT"))
                value = m_ui->cmbProdPrzycisku->currentText();
            if (!value.isEmpty())
                attribute->setTextString(U8(value));
        }
        button->update();
    }

    // The font may have changed in the settings dialog since the last button.
    ReadDetectorFont(m_ctx.startup.settingsFilePath, m_ctx.settings);
    detectorFontHeight = ValDot(m_ctx.settings.detectorFontHeight);
    const double height
        = m_ctx.startup.textScaling ? placement.drawingScale * detectorFontHeight : detectorFontHeight;

    cad::EnsureLayer(host, U8(kDetectorDescriptionLayer), false);
    const auto point = host.doc->utility()->getPoint("Wskaż położenie opisu ...");
    auto text = host.modelSpace->addText(U8(m_ui->edtOpis->text()), point, height);
    text->setColor(1);
    text->setLayer(U8(kDetectorDescriptionLayer));
    text->setRotation(placement.m_dRotation);
    text->update();

    showAgain();
}

} // namespace lumo
