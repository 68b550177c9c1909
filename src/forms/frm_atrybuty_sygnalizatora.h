// The description form of a placed signal head: who entered it, street,
// applicant, contractor, order number, three dates and remarks. It only
// collects the values; the caller fills m_KtoNaniosl and m_NrZlecenia, shows
// it modally and, when m_fZaakceptowano is true, writes the m_ fields into
// the head's attributes. One form object per showing.
#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <memory>

class QAbstractButton;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QToolButton;

namespace Ui {
class frmAtrybutySygnalizatora;
}

namespace lumo {

struct RunContext;

// The fixed form in which dates are handed to the caller.
inline const QString kDescriptionDateFormat = QStringLiteral("yyyy.MM.dd");

// What the description form collects for one head.
struct HeadDescription {
    bool m_fZaakceptowano = false;
    QString m_KtoNaniosl;
    QString m_Ulica;
    QString m_NaWniosek;
    QString m_KtoWykonal;
    QString m_DataRealizacji;
    QString m_DataZlecenia;
    QString m_NrZlecenia;
    QString m_DataInwent;
    QString m_Uwagi;
};

// Shows which of the two pin buttons matches the flag and keeps the form on
// top of other windows while the flag is set.
void ToggleOnTop(QWidget* form, bool onTop, QAbstractButton* button0, QAbstractButton* button1);

class frmAtrybutySygnalizatora : public QDialog {
    Q_OBJECT

public:
    // onTopFlag is the run's: it outlives the form, so the next description
    // form opens on top when the designer left this one on top.
    // signalDesignation is the placed head's full designation.
    frmAtrybutySygnalizatora(RunContext& ctx, bool& onTopFlag, const QString& signalDesignation,
                             QWidget* parent = nullptr);
    ~frmAtrybutySygnalizatora() override;

    // Shows the form modally and returns when it has been closed.
    void showModal();

    // Filled in by the caller before the form shows (operator, order
    // number), read by the caller after it has closed.
    HeadDescription description;

    // The controls, for the rules and for whoever drives the form.
    std::array<QToolButton*, 2> cmdOnTop{};
    std::array<QLabel*, 9> lblPrompt{};

protected:
    void showEvent(QShowEvent* event) override;

private slots:
    void Form_Activate();
    void cmdAccept_Click();
    void cmdCancel_Click();
    void cmdDopiszWlot_Click();
    void cmdOnTop_Click(int index);

private:
    std::unique_ptr<Ui::frmAtrybutySygnalizatora> ui;
    RunContext& ctx_;
    bool& onTopFlag_;
    QString signalDesignation_;
    bool activated_ = false;
};

} // namespace lumo
