// A run whose drawing cannot be saved: the program says why and that the
// changes were not saved, and ends with an exit code that says so.
#include "app/workplace.h"
#include "cad/drawing.h"
#include "cad/embedded/drawing_file.h"
#include "cad/embedded/embedded_host.h"
#include "cad/embedded/view/window_input.h"
#include "read_only_folder.h"
#include "signal/frm_main.h"
#include "signal_run.h"
#include "ui_frmMain.h"

#include <QApplication>
#include <QFileInfo>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <optional>

namespace lumo::test {
namespace {

namespace ce = cad::embedded;

TEST(Workplace, ARunWhoseDrawingIsLeftUnsavedEndsWithAnErrorCode)
{
    for (const bool folderLocked : {false, true}) {
        SCOPED_TRACE(folderLocked ? "the drawing's folder takes no new files" : "all well");
        TempSuite suite;
        BuildSuite(suite);
        const std::string drawing = WriteDrawing(suite, {});
        std::vector<std::string> reports;
        // a script plays the designer: nobody to ask where else to save
        view::WindowedHostProvider provider([&] {
            ce::EmbeddedHostOptions options;
            options.drawing = drawing;
            options.input
                = std::make_shared<ce::ScriptedInputSource>(ce::ScriptedInputSource::parse("cancel\n"));
            options.report = [&reports](const std::string&, const std::string& text, cad::MessageIcon) {
                reports.push_back(text);
            };
            return options;
        });
        // changed before the run, which ends at once (the options form cancelled)
        cad::HostSession session;
        session.app = provider.create();
        ASSERT_TRUE(cad::CheckActiveDocument(session, false));
        cad::SetDrawingProperty(session, "SKALA", "250");
        std::optional<ReadOnlyFolder> locked;
        if (folderLocked) {
            locked.emplace(QFileInfo(QString::fromStdString(drawing)).absolutePath());
            if (!locked->works())
                GTEST_SKIP() << "this file system lets us create files in any folder";
        }
        QTimer look;
        QObject::connect(&look, &QTimer::timeout, [&look] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (auto* form = qobject_cast<frmMain*>(widget); form && form->isVisible()) {
                    look.stop();
                    form->ui().cmdCancel->click();
                }
            }
        });
        look.start(20);
        RecordingDialogs dialogs;
        const int exitCode = RunWorkplace(dialogs, suite.programFolder(), SuiteRegistryFile(suite), provider,
                                          {QString(), QStringLiteral("S-1")}, false);
        locked.reset();
        if (folderLocked) {
            EXPECT_EQ(exitCode, 1);
            ASSERT_EQ(reports.size(), 1u);
            EXPECT_NE(reports[0].find(drawing), std::string::npos) << reports[0];
            EXPECT_NE(reports[0].find("Brak uprawnień"), std::string::npos) << reports[0];
            EXPECT_NE(reports[0].find(ce::kNotSavedNote), std::string::npos) << reports[0];
        } else {
            EXPECT_EQ(exitCode, 0);
            EXPECT_TRUE(reports.empty());
            EXPECT_EQ(dxf::Document::load(drawing).customProperty("SKALA"), "250");
        }
    }
}

} // namespace
} // namespace lumo::test
