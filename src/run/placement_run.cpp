// The run's stages and the steps they share. The order of the host calls,
// the command texts and the attribute values are what drawings made by
// earlier versions hold; tests/detectors/whole_runs_test.cpp keeps them.
#include "run/placement_run.h"

#include "cad/drawing.h"
#include "cad/session.h"
#include "lists/drawing_values.h"
#include "settings/ini_file.h"
#include "settings/keys.h"
#include "run/head_attributes.h"
#include "settings/settings_values.h"
#include "settings/suite.h"
#include "util/run_context.h"
#include "util/dialogs.h"
#include "util/files.h"
#include "util/numbers.h"
#include "util/paths.h"
#include "util/text.h"
#include "util/titles.h"
#include "util/widgets.h"

#include <QCoreApplication>
#include <algorithm>
#include <utility>

namespace lumo {

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kQuestionTitle = QStringLiteral("Komunikat ") + kMessageTitle;

std::string U8(const QString& text)
{
    return Utf8FromQString(text);
}

// The host loads block files by their operating-system path.
std::string HostFilePath(const QString& path)
{
    return Utf8FromQString(ToNativePath(path));
}

} // namespace

QString HeadAttributeValue(const QString& tag, const SignalPlacementState& st, const HeadDescription& d)
{
    if (tag == QLatin1String("INWENT_NUMER"))
        return st.designation.SignalDesignation;
    if (tag == QLatin1String("NUMER_SKRZYZ"))
        return st.designation.intersectionNumber;
    if (tag == QLatin1String("TYP"))
        return st.typeText;
    if (tag == QLatin1String("SREDN_SOCZ"))
        return QString::number(st.lensDiameter);
    if (tag == QLatin1String("ZRODLO_SW"))
        return st.lightSourceText;
    if (tag == QLatin1String("WKLADY_ANTYZL"))
        return QString::number(st.antiGlareCount);
    if (tag == QLatin1String("SYGN_AKUST"))
        return st.acoustic ? QStringLiteral("TAK") : QString();
    if (tag == QLatin1String("KTO_NANIOSL"))
        return d.m_KtoNaniosl;
    if (tag == QLatin1String("NAZWA_ULICY"))
        return d.m_Ulica;
    if (tag == QLatin1String("ZLECENIE_WNIOS"))
        return d.m_NaWniosek;
    if (tag == QLatin1String("REALIZACJA_WYK"))
        return d.m_KtoWykonal;
    if (tag == QLatin1String("REALIZACJA_DATA"))
        return d.m_DataRealizacji;
    if (tag == QLatin1String("ZLECENIE_DATA"))
        return d.m_DataZlecenia;
    if (tag == QLatin1String("ZLECENIE_NUMER"))
        return d.m_NrZlecenia;
    if (tag == QLatin1String("INWENT_DATA"))
        return d.m_DataInwent;
    if (tag == QLatin1String("UWAGI"))
        return d.m_Uwagi;
    return {};
}

QString ScreenAttributeValue(const QString& tag, const SignalPlacementState& st, const HeadDescription& d)
{
    if (!ScreenAttributeTags().contains(tag))
        return {};
    // The screen carries no acoustic signal.
    auto screen = st;
    screen.acoustic = false;
    return HeadAttributeValue(tag, screen, d);
}

PlacementRun::PlacementRun(RunContext& ctx) : m_ctx(ctx)
{
    m_tRunNext.setInterval(100);
    m_tRunNext.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_tRunNext, &QTimer::timeout, &m_tRunNext, [this] { tRunNext_Timer(); });
}

QString PlacementRun::blockFileExtension() const
{
    if (m_ctx.host.app)
        return QStringFromUtf8(m_ctx.host.app->blockFileExtension());
    return QStringLiteral(".dwg");
}

void PlacementRun::showOptions()
{
    if (m_form)
        m_form->showOptions();
}

void PlacementRun::endRun(const QString& reason)
{
    if (m_form)
        m_form->endPlacement(reason);
    else if (m_ctx.end)
        m_ctx.end(reason);
}

// ---------------------------------------------------------------- shared steps

void PlacementRun::loadBlockDefinition(const std::string& name, const QString& file, const cad::Point3& at,
                                       const std::function<void(cad::Block&)>& addTags)
{
    auto& host = m_ctx.host;
    if (cad::BlockExists(host, name))
        return;
    auto temporary = host.modelSpace->insertBlock(at, HostFilePath(file), 1.0, 1.0, 1.0, 0.0);
    if (cad::BlockExists(host, name))
        addTags(*host.doc->blocks()->item(name));
    if (temporary)
        temporary->erase();
}

cad::Point3 PlacementRun::placeDescriptionText(const QString& prompt, const QString& text, double height,
                                               const QString& layer)
{
    auto& host = m_ctx.host;
    const cad::Point3 point = host.doc->utility()->getPoint(U8(prompt));
    auto label = host.modelSpace->addText(U8(text), point, height);
    label->setColor(1);
    label->setLayer(U8(layer));
    label->setRotation(m_state.m_dRotation);
    label->update();
    return point;
}

void PlacementRun::readBackPlaced(cad::Entity& entity)
{
    m_state.m_dRotation = entity.rotation();
    m_state.placedHandle = QStringFromUtf8(entity.handle());
    m_state.placedInsertionPoint = entity.insertionPoint();
    entity.update();
}

// ---------------------------------------------------------------- insertion

void PlacementRun::InsertSignalHead(const QString& blockPath)
{
    auto& st = m_state;
    auto& host = m_ctx.host;

    std::string duplicate;
    try {
        duplicate = cad::FindBlockByAttribute(host, "S-*", "INWENT_NUMER",
                                              U8(st.designation.SignalDesignation), U8(kHeadLayer));
    } catch (const cad::HostBusy&) {
        ReportHostNotResponding(m_ctx.dialogs);
        endRun(QStringLiteral("host not responding"));
        return;
    } catch (const cad::HostError&) {
        return; // a host that cannot search cannot insert either
    }
    if (!duplicate.empty() && ReadInventoryWarning(m_ctx.startup.settingsFilePath)) {
        const auto answer = m_ctx.dialogs.message(
            kQuestionTitle,
            QStringLiteral("W aktywnym dokumencie ustawiano już sygnalizator") + kCrLf + QStringLiteral("[")
                + st.designation.SignalDesignation + QStringLiteral("].") + kCrLf
                + QStringLiteral("Czy kontynuować ustawianie sygnalizatora?"),
            DialogIcon::Question, DialogButtons::YesNo, DialogAnswer::No);
        if (answer != DialogAnswer::Yes) {
            endRun(QStringLiteral("duplicate inventory number"));
            return;
        }
    }

    const QString blockName = FileTitleOf(blockPath);
    const std::string name = U8(blockName);

    try {
        if (host.app)
            host.app->bringToFront();
        auto& doc = host.doc;
        auto& modelSpace = host.modelSpace;
        loadBlockDefinition(name, blockPath, cad::Point3{}, [&blockName](cad::Block& block) {
            if (const auto row = SymbolTableRow(blockName.toUpper())) {
                cad::AddBlockAttribute(block, "OBIEKT", U8(row->obiekt), 0.0, 0.0);
                cad::AddBlockAttribute(block, "RODZAJ", U8(row->rodzaj), 0.0, 0.0);
                cad::AddBlockAttribute(block, "SYMBOL", U8(row->symbol), 0.0, 0.0);
            }
            for (const QString& tag : HeadAttributeTags())
                cad::AddBlockAttribute(block, U8(tag), "", 0.0, 0.0);
        });
        if (!cad::BlockExists(host, name))
            return;

        const QString scale
            = FormatNumber(st.drawingScale * 10 / 1000.0).replace(QLatin1Char(','), QLatin1Char('.'));
        st.countBefore = modelSpace->count();
        st.signalTextHeight = ValDot(m_ctx.settings.signalFontHeight);

        std::shared_ptr<cad::TextStyle> style;
        if (!cad::GetTextStyle(host, U8(kDescriptionTextStyle), style, false)) {
            style = doc->textStyles()->add(U8(kDescriptionTextStyle));
            style->setHeight(1000.0);
            style->setFont("arial", false, false, 0, 0);
        }
        doc->setActiveTextStyle(style);

        st.followUpStep = FollowUpStep::Head;
        cad::EnsureLayer(host, U8(kHeadLayer), false);
        doc->setActiveLayer(doc->layers()->item(U8(kHeadLayer)));

        m_followUp.arm(host);
        doc->sendCommand("_-insert\r" + name + "\rS\r" + U8(scale) + "\r");
        m_tRunNext.start();
    } catch (const cad::HostBusy&) {
        ReportHostNotResponding(m_ctx.dialogs);
        endRun(QStringLiteral("host not responding"));
    } catch (const cad::HostError&) {
        // The placement stops here without a word; nothing follows.
    }
}

// ---------------------------------------------------------------- follow-up

void PlacementRun::stopFollowUp(const QString& reason)
{
    m_tRunNext.stop();
    endRun(reason);
}

void PlacementRun::tRunNext_Timer()
{
    auto& st = m_state;
    auto& host = m_ctx.host;
    if (st.followUpStep == FollowUpStep::Idle) {
        m_tRunNext.stop();
        return;
    }
    try {
        // A host that refuses calls while its command runs is not idle yet.
        switch (m_followUp.poll(host, st.countBefore)) {
        case cad::FollowUpPoll::NotYet: return;
        case cad::FollowUpPoll::Unreachable:
            m_tRunNext.stop();
            ReportHostNotResponding(m_ctx.dialogs);
            stopFollowUp(QStringLiteral("host not responding"));
            return;
        case cad::FollowUpPoll::Cancelled: stopFollowUp(QStringLiteral("cancelled in the host")); return;
        case cad::FollowUpPoll::NewEntity: break;
        }
        const long count = host.modelSpace->count();

        m_tRunNext.stop();
        QCoreApplication::processEvents();
        auto entity = host.modelSpace->item(count - 1);
        readBackPlaced(*entity);

        const FollowUpStep step = std::exchange(st.followUpStep, FollowUpStep::Idle);
        if (step == FollowUpStep::Head) {
            finishHead();
        } else if (step == FollowUpStep::PushButton) {
            if (m_pushButtonForm)
                FinishPushButton(entity);
            else
                stopFollowUp(QStringLiteral("no detector form"));
        }
    } catch (const cad::HostBusy&) {
        m_tRunNext.stop();
        ReportHostNotResponding(m_ctx.dialogs);
        stopFollowUp(QStringLiteral("host not responding"));
    } catch (const cad::HostError&) {
        stopFollowUp(QStringLiteral("host failure"));
    }
}

// A host that went on refusing every call: the designer must know why the
// placement stopped halfway.
void ReportHostNotResponding(Dialogs& dialogs)
{
    dialogs.show(kMessageTitle,
                 QStringLiteral("Program ") + QString::fromLatin1(cad::kHostName)
                     + QStringLiteral(" nie odpowiada.") + kCrLf
                     + QStringLiteral("Ustawianie zostało przerwane."),
                 DialogIcon::Exclamation);
}

// The head is in the drawing: its descriptions, the screen, the drawing's
// intersection number and the inventory description follow.
void PlacementRun::finishHead()
{
    auto& st = m_state;
    const double height
        = m_ctx.startup.textScaling ? st.drawingScale * st.signalTextHeight : st.signalTextHeight;

    st.lastPickedPoint = placeDescriptionText(QStringLiteral("Wskaż położenie opisu ..."),
                                              st.designation.SignalCode, height, kHeadDescriptionLayer);
    static const QStringList conditional{"S-2p", "S-2l", "S-2lp"};
    if (conditional.contains(st.signalSymbol) && ReadConditionalDescriptions(m_ctx.startup.settingsFilePath))
        st.lastPickedPoint
            = placeDescriptionText(QStringLiteral("Wskaż położenie opisu sygnalizacji jazdy warunkowej ..."),
                                   st.designation.SignalCodeS, height, kHeadDescriptionLayer);

    if (st.screens && !placeScreen())
        return;

    cad::SetDrawingProperty(m_ctx.host, U8(kIntersectionProperty), U8(st.designation.intersectionNumber));
    showOptions();

    const bool accepted = DescribePlacedHead(st.placedHandle);
    if (!accepted || !st.pushButtons) {
        stopFollowUp(accepted ? QStringLiteral("head placed") : QStringLiteral("description not accepted"));
        return;
    }
    // Push buttons go on in the detector form, when the program has one.
    if (!m_pushButtonHandOver) {
        stopFollowUp(QStringLiteral("head placed"));
        return;
    }
    m_pushButtonHandOver();
}

// The contrast screen behind the head: from its block file, at the head's
// insertion point. False when its file is missing: the run has stopped.
bool PlacementRun::placeScreen()
{
    auto& st = m_state;
    auto& host = m_ctx.host;
    const QString folder = JoinPath(ParentFolder(ParentFolder(m_ctx.startup.programFolder)),
                                    QStringLiteral("aZasoby\\Sygnalizacja\\Sygnalizatory"));
    const QString file = JoinPath(folder, st.screenSymbol + blockFileExtension());
    if (!FileExists(file)) {
        showOptions();
        m_ctx.dialogs.message(kMessageTitle,
                              QStringLiteral("Nie znaleziono ekranu ") + st.screenSymbol + kCrLf
                                  + QStringLiteral("w folderze [") + DisplayPath(folder)
                                  + QStringLiteral("]."),
                              DialogIcon::Exclamation, DialogButtons::Ok, DialogAnswer::Ok);
        stopFollowUp(QStringLiteral("screen block file missing"));
        return false;
    }
    const std::string screen = U8(st.screenSymbol);
    loadBlockDefinition(screen, file, st.lastPickedPoint, [](cad::Block& block) {
        for (const QString& tag : ScreenAttributeTags())
            cad::AddBlockAttribute(block, U8(tag), "", 0.0, 0.0);
    });
    if (cad::BlockExists(host, screen)) {
        const double s = st.drawingScale * 10 / 1000.0;
        auto reference = host.modelSpace->insertBlock(st.placedInsertionPoint, screen, s, s, s, 0.0);
        reference->setRotation(st.m_dRotation);
        reference->setLayer(U8(kHeadLayer));
        reference->update();
        st.screenHandle = QStringFromUtf8(reference->handle());
    }
    return true;
}

// ---------------------------------------------------------------- description

bool PlacementRun::DescribePlacedHead(const QString& placedHandle)
{
    auto& st = m_state;
    auto& host = m_ctx.host;
    const QString file = m_ctx.startup.settingsFilePath;

    HeadDescription d;
    d.m_NrZlecenia = ReadIniString(file, kSectionOstatnioUzyte, kKeyNumerZlecenia, QString());
    d.m_KtoNaniosl = ReadIniString(file, kSectionOstatnioUzyte, kKeyOperator, QString());
    if (m_descriptionForm)
        m_descriptionForm(d);
    if (!d.m_fZaakceptowano)
        return false;

    const auto fill = [&](const QString& handle, const QStringList* only) {
        auto reference = host.doc->handleToObject(U8(handle));
        if (reference->hasAttributes()) {
            for (const auto& attribute : reference->getAttributes()) {
                const QString tag = QStringFromUtf8(attribute->tagString()).toUpper();
                if (only && !only->contains(tag))
                    continue;
                const QString value
                    = only ? ScreenAttributeValue(tag, st, d) : HeadAttributeValue(tag, st, d);
                if (!value.isEmpty())
                    attribute->setTextString(U8(value));
            }
        }
        reference->update();
    };

    fill(placedHandle, nullptr);
    if (st.screens && !st.screenHandle.isEmpty())
        fill(st.screenHandle, &ScreenAttributeTags());

    WriteLastStreet(host, d.m_Ulica);
    WriteIniString(file, kSectionOstatnioUzyte, kKeyNumerZlecenia, d.m_NrZlecenia);
    WriteIniString(file, kSectionOstatnioUzyte, kKeyOperator, d.m_KtoNaniosl);
    WriteIniString(file, kSectionOstatnioUzyte, kKeyOrientacja,
                   QString::number(st.designation.orientationCode));
    return true;
}

} // namespace lumo
