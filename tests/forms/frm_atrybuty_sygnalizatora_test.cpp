// The description form driven through its own widgets, shown modally as its
// caller shows it.
#include "forms/frm_atrybuty_sygnalizatora.h"
#include "list_suite.h"
#include "util/dates.h"
#include "util/files.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <gtest/gtest.h>

namespace lumo {
namespace {

using testing::ListSuite;

class DescriptionForm : public ::testing::Test {
protected:
    DescriptionForm()
    {
        suite.suite.writeBytes("aZasoby\\Listy\\Wnioskodawcy.lst",
                               "Zarz\xB9"
                               "d Dr\xF3g\r\n\r\n  Gmina  \r\n");
        suite.suite.writeBytes("aZasoby\\Listy\\Wykonawcy.lst", "Firma X, sp. z o.o.\r\n");
        suite.suite.writeBytes("Dane\\Miasto\\Ulic\\Ulice.lst", "; ulice\r\nKwiatowa\r\nD\xB3uga, Polna\r\n");
        suite.setDrawingProperty("OSTULICA", "Długa");
    }

    std::unique_ptr<frmAtrybutySygnalizatora> makeForm()
    {
        auto form
            = std::make_unique<frmAtrybutySygnalizatora>(suite.ctx, onTop, QStringLiteral("30-18/987/K1p"));
        form->description.m_KtoNaniosl = QStringLiteral("Jan Kowalski");
        form->description.m_NrZlecenia = QStringLiteral("Z/12/2024");
        return form;
    }

    // Shows the form modally and runs `whileShown` once it is up; the form
    // must be closed by then.
    void showAndDo(frmAtrybutySygnalizatora& form, const std::function<void()>& whileShown)
    {
        bool ran = false;
        QTimer::singleShot(0, &form, [&] {
            ran = true;
            whileShown();
            if (form.isVisible()) {
                ADD_FAILURE() << "the form is still open";
                form.reject();
            }
        });
        form.showModal();
        EXPECT_TRUE(ran);
    }

    template <typename T> static T* child(QWidget& form, const char* name)
    {
        T* widget = form.findChild<T*>(QString::fromLatin1(name));
        if (widget == nullptr)
            throw std::runtime_error(std::string("no control ") + name);
        return widget;
    }

    static void typeInto(QWidget* widget, const QString& text)
    {
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            edit->selectAll();
            QTest::keyClick(edit, Qt::Key_Delete);
            for (const QChar ch : text) {
                // Polish letters have no key of their own here: send the text.
                if (ch.unicode() < 0x80)
                    QTest::keyClick(edit, ch.toLatin1());
                else
                    QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(ch), Qt::NoModifier);
            }
        } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            typeInto(combo->lineEdit(), text);
        }
    }

    static void click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    ListSuite suite;
    bool onTop = false;
};

TEST_F(DescriptionForm, ActivationFillsTheForm)
{
    auto form = makeForm();
    form->description.m_fZaakceptowano = true; // left over: activation clears it
    // The test may cross midnight: the form's date is one of the two.
    const QDate dayBefore = QDate::currentDate();
    showAndDo(*form, [&] {
        EXPECT_FALSE(form->description.m_fZaakceptowano);
        EXPECT_EQ(child<QLineEdit>(*form, "fldKtoNaniosl")->text(), "Jan Kowalski");
        EXPECT_EQ(child<QLineEdit>(*form, "fldNrZlecenia")->text(), "Z/12/2024");
        EXPECT_EQ(child<QLabel>(*form, "Label2")->text(), "Sygnalizator: 30-18/987/K1p");
        EXPECT_EQ(child<QLabel>(*form, "lblFormatDaty")->text(), "(Format daty: " + ShortDatePattern() + ")");
        const QDate dayAfter = QDate::currentDate();
        for (const char* picker : {"dtpDataRealizacji", "dtpDataZlecenia", "dtpDataInwent"}) {
            const QDate shown = child<QDateEdit>(*form, picker)->date();
            EXPECT_TRUE(shown == dayBefore || shown == dayAfter) << picker;
        }

        auto* applicants = child<QComboBox>(*form, "cmbNaWniosek");
        EXPECT_EQ(applicants->count(), 2);
        EXPECT_EQ(applicants->itemText(1), "Gmina");
        EXPECT_EQ(applicants->currentText(), "Zarząd Dróg");
        EXPECT_EQ(child<QComboBox>(*form, "cmbKtoWykonal")->currentText(), "Firma X, sp. z o.o.");
        auto* streets = child<QComboBox>(*form, "cmbUlica");
        EXPECT_EQ(streets->count(), 3);
        EXPECT_EQ(streets->currentText(), "Długa"); // the drawing's last street
        click(child<QPushButton>(*form, "cmdCancel"));
    });
}

TEST_F(DescriptionForm, AcceptAndCancel)
{
    struct Case {
        const char* name;
        bool accept;
        QString operatorName;
        QString street;
        QString remarks;
    };
    const Case cases[] = {
        {"accept keeps what was typed, untrimmed", true, "  Anna Nowak ", " Polna ", "stary słup"},
        {"accept with empty street and remarks", true, "Anna Nowak", "", ""},
        {"cancel after editing", false, "Anna Nowak", "Polna", "uwagi"},
    };
    for (const Case& c : cases) {
        auto form = makeForm();
        showAndDo(*form, [&] {
            typeInto(child<QLineEdit>(*form, "fldKtoNaniosl"), c.operatorName);
            typeInto(child<QComboBox>(*form, "cmbUlica"), c.street);
            child<QComboBox>(*form, "cmbNaWniosek")->setCurrentIndex(1);
            typeInto(child<QComboBox>(*form, "cmbKtoWykonal"), "Inna firma");
            typeInto(child<QLineEdit>(*form, "fldNrZlecenia"), "Z/13");
            typeInto(child<QLineEdit>(*form, "fldUwagi"), c.remarks);
            child<QDateEdit>(*form, "dtpDataRealizacji")->setDate(QDate(2023, 12, 31));
            child<QDateEdit>(*form, "dtpDataZlecenia")->setDate(QDate(2024, 3, 5));
            child<QDateEdit>(*form, "dtpDataInwent")->setDate(QDate(2025, 1, 9));
            click(child<QPushButton>(*form, c.accept ? "cmdAccept" : "cmdCancel"));
        });
        EXPECT_EQ(form->description.m_fZaakceptowano, c.accept) << c.name;
        if (c.accept) {
            EXPECT_EQ(form->description.m_KtoNaniosl, c.operatorName) << c.name;
            EXPECT_EQ(form->description.m_Ulica, c.street) << c.name;
            EXPECT_EQ(form->description.m_NaWniosek, "Gmina") << c.name;
            EXPECT_EQ(form->description.m_KtoWykonal, "Inna firma") << c.name;
            EXPECT_EQ(form->description.m_NrZlecenia, "Z/13") << c.name;
            EXPECT_EQ(form->description.m_Uwagi, c.remarks) << c.name;
            EXPECT_EQ(form->description.m_DataRealizacji, "2023.12.31") << c.name;
            EXPECT_EQ(form->description.m_DataZlecenia, "2024.03.05") << c.name;
            EXPECT_EQ(form->description.m_DataInwent, "2025.01.09") << c.name;
        } else {
            // The caller's values stay; nothing typed reaches the fields.
            EXPECT_EQ(form->description.m_KtoNaniosl, "Jan Kowalski") << c.name;
            EXPECT_EQ(form->description.m_NrZlecenia, "Z/12/2024") << c.name;
            EXPECT_EQ(form->description.m_Ulica, "") << c.name;
            EXPECT_EQ(form->description.m_Uwagi, "") << c.name;
        }
    }
}

TEST_F(DescriptionForm, EscapeClosesWithoutAccepting)
{
    auto form = makeForm();
    showAndDo(*form, [&] { QTest::keyClick(form.get(), Qt::Key_Escape); });
    EXPECT_FALSE(form->description.m_fZaakceptowano);
}

// The list file's bytes are the list tests'; here the button and the form.
TEST_F(DescriptionForm, PlusAppendsTheTypedStreetAndTheFormStaysOpen)
{
    const QString file = QStringLiteral("Dane\\Miasto\\Ulic\\Ulice.lst");
    for (const bool folder : {true, false}) {
        SCOPED_TRACE(folder ? "appended" : "no street folder");
        ListSuite local;
        if (folder)
            local.suite.writeBytes(file, "Kwiatowa\r\n");
        else
            QDir(local.suite.nativePath(local.suite.path("Dane\\Miasto\\Ulic"))).removeRecursively();
        local.dialogs.acceptMessages(folder ? 2 : 4); // the shared lists are missing here
        frmAtrybutySygnalizatora form(local.ctx, onTop, QStringLiteral("30-18/987/K1p"));
        showAndDo(form, [&] {
            auto* streets = child<QComboBox>(form, "cmbUlica");
            const int items = streets->count();
            typeInto(streets, "Żelazna");
            click(child<QToolButton>(form, "cmdDopiszWlot"));
            EXPECT_EQ(streets->count(), items); // the combo is not reloaded
            EXPECT_TRUE(form.isVisible());
            form.reject();
        });
        if (folder) {
            EXPECT_EQ(local.suite.readBytes(file),
                      "Kwiatowa\r\n\xAF"
                      "elazna\r\n");
        } else {
            const auto messages = local.dialogs.messages();
            ASSERT_EQ(messages.size(), 4u);
            EXPECT_TRUE(messages[3].text.startsWith("Nie można przeczytać listy z ulicami"));
        }
    }
}

TEST_F(DescriptionForm, MissingSharedListsLeaveTheFormUsable)
{
    ListSuite local;
    local.suite.writeBytes("Dane\\Miasto\\Ulic\\Ulice.lst", "Kwiatowa\r\n");
    local.dialogs.acceptMessages(2);
    frmAtrybutySygnalizatora form(local.ctx, onTop, QStringLiteral("x"));
    showAndDo(form, [&] {
        EXPECT_EQ(child<QComboBox>(form, "cmbNaWniosek")->count(), 0);
        click(child<QPushButton>(form, "cmdAccept"));
    });
    EXPECT_TRUE(form.description.m_fZaakceptowano);
    EXPECT_EQ(local.dialogs.messages().size(), 2u); // their wording is the list tests'
}

TEST_F(DescriptionForm, OnTopToggle)
{
    auto form = makeForm();
    // Each step runs from the form's own modal loop; the form must still be
    // modal when the last step comes (switching must not end the loop).
    bool lastStepRan = false;
    QTimer::singleShot(0, form.get(), [&] {
        EXPECT_FALSE(form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        click(form->cmdOnTop[0]);
        EXPECT_TRUE(onTop);
        EXPECT_TRUE(form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        EXPECT_TRUE(form->cmdOnTop[0]->isHidden());
        EXPECT_FALSE(form->cmdOnTop[1]->isHidden());
        QTimer::singleShot(0, form.get(), [&] {
            EXPECT_TRUE(form->isVisible());
            click(form->cmdOnTop[1]);
            EXPECT_FALSE(onTop);
            EXPECT_FALSE(form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
            EXPECT_FALSE(form->cmdOnTop[0]->isHidden());
            EXPECT_TRUE(form->cmdOnTop[1]->isHidden());
            click(form->cmdOnTop[0]); // left on top for the next form
            QTimer::singleShot(0, form.get(), [&] {
                lastStepRan = true;
                EXPECT_EQ(QApplication::activeModalWidget(), form.get());
                click(child<QPushButton>(*form, "cmdAccept"));
            });
        });
    });
    form->showModal();
    EXPECT_TRUE(lastStepRan);
    EXPECT_TRUE(form->description.m_fZaakceptowano);
    EXPECT_TRUE(onTop);

    auto next = makeForm();
    showAndDo(*next, [&] {
        EXPECT_TRUE(next->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        EXPECT_TRUE(next->cmdOnTop[0]->isHidden());
        EXPECT_FALSE(next->cmdOnTop[1]->isHidden());
        next->reject();
    });
    if (!lastStepRan) // the loop ended early: let the pending step go before the form does
        QCoreApplication::processEvents();
}

} // namespace
} // namespace lumo
