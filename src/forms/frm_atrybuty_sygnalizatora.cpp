#include "forms/frm_atrybuty_sygnalizatora.h"

#include "lists/list_files.h"
#include "util/run_context.h"
#include "ui_frmAtrybutySygnalizatora.h"
#include "util/dates.h"
#include "util/widgets.h"

#include <QDate>
#include <QLocale>
#include <QShowEvent>
#include <QWindow>

// The pin pictures live in this static library; register them before use.
static void initFormsResources()
{
    Q_INIT_RESOURCE(forms);
}

namespace lumo {

void ToggleOnTop(QWidget* form, bool onTop, QAbstractButton* button0, QAbstractButton* button1)
{
    auto* dialog = qobject_cast<QDialog*>(form);
    if (dialog != nullptr && dialog->isVisible() && dialog->isModal() && dialog->windowHandle() != nullptr) {
        // Changing the flags the usual way hides the window first, and hiding
        // a modal dialog ends its modal loop: the form would close. Tell the
        // shown window directly instead.
        Qt::WindowFlags flags = dialog->windowFlags();
        flags.setFlag(Qt::WindowStaysOnTopHint, onTop);
        dialog->overrideWindowFlags(flags);
        dialog->windowHandle()->setFlags(flags);
    } else {
        SetWindowOnTop(form, onTop);
    }
    if (onTop) {
        button0->setVisible(false);
        button1->setVisible(true);
    } else {
        button1->setVisible(false);
        button0->setVisible(true);
    }
}

frmAtrybutySygnalizatora::frmAtrybutySygnalizatora(RunContext& ctx, bool& onTopFlag,
                                                   const QString& signalDesignation, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmAtrybutySygnalizatora>()), ctx_(ctx), onTopFlag_(onTopFlag),
      signalDesignation_(signalDesignation)
{
    initFormsResources();
    ui->setupUi(this);
    cmdOnTop = {ui->cmdOnTop0, ui->cmdOnTop1};
    lblPrompt = {ui->lblPrompt0, ui->lblPrompt1, ui->lblPrompt2, ui->lblPrompt3, ui->lblPrompt4,
                 ui->lblPrompt5, ui->lblPrompt6, ui->lblPrompt7, ui->lblPrompt8};

    // The pickers show dates the way the program writes short dates; the
    // label beside them tells the designer that pattern.
    const QString shortFormat = ShortDateFormat();
    for (QDateEdit* picker : {ui->dtpDataRealizacji, ui->dtpDataZlecenia, ui->dtpDataInwent})
        picker->setDisplayFormat(shortFormat);

    connect(ui->cmdAccept, &QPushButton::clicked, this, &frmAtrybutySygnalizatora::cmdAccept_Click);
    connect(ui->cmdCancel, &QPushButton::clicked, this, &frmAtrybutySygnalizatora::cmdCancel_Click);
    connect(ui->cmdDopiszWlot, &QToolButton::clicked, this, &frmAtrybutySygnalizatora::cmdDopiszWlot_Click);
    for (int i = 0; i < 2; ++i)
        connect(cmdOnTop[static_cast<std::size_t>(i)], &QToolButton::clicked, this,
                [this, i] { cmdOnTop_Click(i); });
}

frmAtrybutySygnalizatora::~frmAtrybutySygnalizatora() = default;

void frmAtrybutySygnalizatora::showModal()
{
    exec();
}

void frmAtrybutySygnalizatora::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Re-showing after the on-top switch is no new activation.
    if (!activated_ && !event->spontaneous()) {
        activated_ = true;
        Form_Activate();
    }
}

void frmAtrybutySygnalizatora::Form_Activate()
{
    description.m_fZaakceptowano = false;
    ui->fldKtoNaniosl->setText(description.m_KtoNaniosl);
    ui->fldNrZlecenia->setText(description.m_NrZlecenia);

    LoadApplicantList(ctx_, ui->cmbNaWniosek);
    LoadContractorList(ctx_, ui->cmbKtoWykonal);

    ui->Label2->setText(QStringLiteral("Sygnalizator: ") + signalDesignation_);
    ui->lblFormatDaty->setText(QStringLiteral("(Format daty: ") + ShortDatePattern() + QStringLiteral(")"));

    const QDate today = QDate::currentDate();
    ui->dtpDataRealizacji->setDate(today);
    ui->dtpDataZlecenia->setDate(today);
    ui->dtpDataInwent->setDate(today);

    ToggleOnTop(this, onTopFlag_, cmdOnTop[0], cmdOnTop[1]);

    // Reading the street from the drawing may take a moment: paint the form
    // first so the designer sees it at once.
    ui->cmbUlica->setFocus();
    repaint();
    LoadStreetList(ctx_, ui->cmbUlica);
}

void frmAtrybutySygnalizatora::cmdAccept_Click()
{
    description.m_KtoNaniosl = ui->fldKtoNaniosl->text();
    description.m_Ulica = ui->cmbUlica->currentText();
    description.m_NaWniosek = ui->cmbNaWniosek->currentText();
    description.m_KtoWykonal = ui->cmbKtoWykonal->currentText();
    description.m_NrZlecenia = ui->fldNrZlecenia->text();
    description.m_Uwagi = ui->fldUwagi->text();

    description.m_DataRealizacji = ui->dtpDataRealizacji->date().toString(kDescriptionDateFormat);
    description.m_DataZlecenia = ui->dtpDataZlecenia->date().toString(kDescriptionDateFormat);
    description.m_DataInwent = ui->dtpDataInwent->date().toString(kDescriptionDateFormat);

    description.m_fZaakceptowano = true;
    accept();
}

void frmAtrybutySygnalizatora::cmdCancel_Click()
{
    reject();
}

void frmAtrybutySygnalizatora::cmdDopiszWlot_Click()
{
    // The combo's own items stay as they are; the new street is in the list
    // the next time the form opens.
    AppendStreetEntry(ctx_, ui->cmbUlica->currentText());
}

void frmAtrybutySygnalizatora::cmdOnTop_Click(int /*index*/)
{
    onTopFlag_ = !onTopFlag_;
    ToggleOnTop(this, onTopFlag_, cmdOnTop[0], cmdOnTop[1]);
}

} // namespace lumo
