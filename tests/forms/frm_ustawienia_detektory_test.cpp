// The detector settings dialog through its widgets: the scaled height it
// shows as the height is typed, and what OK and Cancel leave in the
// settings file.
#include "forms/frm_ustawienia_detektory.h"
#include "list_suite.h"
#include "settings/ini_file.h"
#include "ui_frmUstawieniaDetektory.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <gtest/gtest.h>

namespace lumo {
namespace {

using testing::ListSuite;

QString Ini(ListSuite& suite, const QString& key)
{
    return ReadIniString(suite.suite.settingsFile(), QStringLiteral("OstatnioUzyte"), key,
                         QStringLiteral("<none>"));
}

TEST(DetectorSettingsDialog, ShowsTheScaledHeightAndOkWritesTheFontAsTyped)
{
    struct Case {
        bool textScaling;
        short scale;
        QString typed;
        QString shown;
        bool ok;
        QString storedHeight; // "<none>": not written
        QString nextRead; // the height the next reader gives
    };
    const std::vector<Case> cases{
        {true, 500, "0,5", "250", false, "<none>", "0.5"},
        {true, 500, "0.8", "400", true, "0.8", "0.8"},
        {true, 1, "2", "2", true, "2", "2"},
        {true, 500, "abc", "0", false, "<none>", "0.5"},
        {false, 500, "0,6", "", true, "0,6", "0,6"},
        {true, 500, "", "0", true, "", "0.5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        ListSuite suite;
        suite.startup.settingsFilePath = suite.suite.settingsFile();
        suite.startup.textScaling = c.textScaling;
        QPointer<frmUstawieniaDetektory> dialog = new frmUstawieniaDetektory(suite.ctx, c.scale);
        dialog->Form_Load();
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_TRUE(dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        dialog->ui().txtDetFontHeight->setText(c.typed);
        EXPECT_EQ(dialog->ui().labScaled->text(), c.shown);
        (c.ok ? dialog->ui().cmdOKUstDet : dialog->ui().cmdCancelUstDet)->click();
        EXPECT_TRUE(dialog.isNull() || !dialog->isVisible());
        EXPECT_EQ(Ini(suite, QStringLiteral("CzcionkaOpisuDetWys")), c.storedHeight);
        EXPECT_EQ(Ini(suite, QStringLiteral("CzcionkaOpisuDetSzer")),
                  c.ok ? QStringLiteral("0.73") : QStringLiteral("<none>"));
        EXPECT_EQ(suite.settings.detectorFontHeight, c.ok ? c.typed : QStringLiteral("0.5"));
        ReadDetectorFont(suite.startup.settingsFilePath, suite.settings);
        EXPECT_EQ(suite.settings.detectorFontHeight, c.nextRead);
        delete dialog.data();
    }
}

} // namespace
} // namespace lumo
