// The push-button stage of a run: after a pedestrian head the detector form
// sends each button here; its insertion runs the host's insert command at
// the head's rotation, and the follow-up timer comes back to
// FinishPushButton once the designer has placed the button.
#include "run/placement_run.h"

#include "cad/drawing.h"
#include "cad/session.h"
#include "run/head_attributes.h"
#include "settings/settings_values.h"
#include "util/numbers.h"
#include "util/run_context.h"
#include "util/text.h"

namespace lumo {

namespace {

constexpr double kPi = 3.14159265358979;

std::string U8(const QString& text)
{
    return Utf8FromQString(text);
}

// A number for the host's command line: general form, decimal point.
QString CommandNumber(double value)
{
    return FormatNumber(value).replace(QLatin1Char(','), QLatin1Char('.'));
}

} // namespace

bool PlacementRun::InsertPushButton(const QString& blockPath)
{
    auto& host = m_ctx.host;
    auto& st = m_state;
    const std::string block = U8(kPushButtonBlock);
    try {
        loadBlockDefinition(block, blockPath, cad::Point3{}, [](cad::Block& definition) {
            for (const QString& tag : PushButtonTags())
                cad::AddBlockAttribute(definition, U8(tag), "", 0.0, 0.0);
        });

        const QString scale = CommandNumber(st.drawingScale * 10 / 2000.0);
        const QString rotation = CommandNumber(st.m_dRotation * 180 / kPi);
        st.countBefore = host.modelSpace->count();
        st.followUpStep = FollowUpStep::PushButton;
        m_followUp.arm(host);
        host.doc->sendCommand("_-insert\r" + block + "\r_R\r" + U8(rotation) + "\rX\r" + U8(scale) + "\rY\r"
                              + U8(scale) + "\r");
        m_tRunNext.start();
        return true;
    } catch (const cad::HostError& error) {
        st.followUpStep = FollowUpStep::Idle;
        if (dynamic_cast<const cad::HostBusy*>(&error))
            ReportHostNotResponding(m_ctx.dialogs);
        return false;
    }
}

void PlacementRun::FinishPushButton(const std::shared_ptr<cad::Entity>& button)
{
    auto& host = m_ctx.host;
    PushButtonForm& form = *m_pushButtonForm;

    button->setLayer(U8(kPushButtonLayer));
    if (button->hasAttributes()) {
        for (const auto& attribute : button->getAttributes()) {
            const QString tag = QStringFromUtf8(attribute->tagString()).toUpper();
            QString value;
            if (tag == QLatin1String("RODZAJ"))
                value = QStringLiteral("Przycisk");
            else if (tag == QLatin1String("TYP"))
                value = form.pushButtonType();
            else if (tag == QLatin1String("PRODUCENT"))
                value = form.pushButtonProducer();
            if (!value.isEmpty())
                attribute->setTextString(U8(value));
        }
        button->update();
    }

    // The font may have changed in the settings dialog since the last button.
    ReadDetectorFont(m_ctx.startup.settingsFilePath, m_ctx.settings);
    const double fontHeight = ValDot(m_ctx.settings.detectorFontHeight);
    const double height = m_ctx.startup.textScaling ? m_state.drawingScale * fontHeight : fontHeight;

    cad::EnsureLayer(host, U8(kDetectorDescriptionLayer), false);
    placeDescriptionText(QStringLiteral("Wskaż położenie opisu ..."), form.detectorDescription(), height,
                         kDetectorDescriptionLayer);
    form.showAgain();
}

} // namespace lumo
