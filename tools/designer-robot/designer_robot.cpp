// A stand-in for the designer, for the test of the installed program: loaded
// into the program as a Qt generic plugin (QT_QPA_GENERIC_PLUGINS=lumo-designer)
// it accepts the options form once, with the first intersection of the list
// when none is chosen, and accepts the description form. Message boxes are
// written to stderr ("lumo-designer: message: ...") and answered with their
// default button, so the test sees them instead of hanging. The host's points
// and angles come from the input script (LUMO_CAD_INPUT).
// With LUMO_DESIGNER_SHOTS set to a folder it first saves a picture of every
// window on the screen there whenever it looks, named after the step and the
// window ("1-frmMain.png", "2-MainWindow.png", ...): the help's screenshots.
// Then it also opens the drawing settings once, for their picture, and
// cancels them; after a pedestrian head it asks for push buttons and
// pictures the detector form and its settings before it ends the run.
#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QGenericPlugin>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <utility>

namespace {

// A designer looks at a window once the program waits for them: a window
// that showed is handled when the event loop is next idle (about to block),
// never in the middle of the start-up that showed it.
class DesignerRobot : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType()
            && static_cast<QWidget*>(watched)->isWindow()) {
            if (!m_listening) {
                m_listening = true;
                connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
                        &DesignerRobot::idle);
            }
            m_shown << static_cast<QWidget*>(watched);
        }
        return false;
    }

private:
    void idle()
    {
        if (m_shown.isEmpty())
            return;
        const QList<QPointer<QWidget>> shown = std::exchange(m_shown, {});
        // Not from inside the dispatcher: the actions open nested event loops.
        QTimer::singleShot(0, this, [this, shown] {
            takeShots();
            for (const QPointer<QWidget>& window : shown)
                if (window && window->isVisible())
                    act(window);
        });
    }

    void act(QWidget* window)
    {
        if (auto* box = qobject_cast<QMessageBox*>(window)) {
            std::fprintf(stderr, "lumo-designer: message: %s: %s\n", qPrintable(box->windowTitle()),
                         qPrintable(box->text()));
            if (QAbstractButton* answer = box->defaultButton())
                answer->click();
            else
                box->close();
            return;
        }
        const QString name = window->objectName();
        if (name == QLatin1String("frmMain") && !m_optionsAccepted) {
            // For the pictures, a look at the drawing settings first.
            if (wantsShots() && !m_settingsSeen) {
                m_settingsSeen = true;
                click(window, "cmdUstawienia");
                return;
            }
            acceptOptions(window);
        } else if (name == QLatin1String("frmUstawienia")) {
            click(window, "cmdCancel");
            if (QWidget* options = window->parentWidget())
                acceptOptions(options->window());
        } else if (name == QLatin1String("frmAtrybutySygnalizatora")) {
            click(window, "cmdAccept");
        } else if (name == QLatin1String("frmDetektory")) {
            // For the pictures, a look at the detector settings; then the end.
            if (wantsShots() && !m_detectorSettingsSeen) {
                m_detectorSettingsSeen = true;
                click(window, "cmdUstUstDet");
                return;
            }
            click(window, "btnCcl");
        } else if (name == QLatin1String("frmUstawieniaDetektory")) {
            click(window, "cmdCancelUstDet");
            if (QWidget* detectors = window->parentWidget())
                click(detectors->window(), "btnCcl");
        }
    }

    void acceptOptions(QWidget* options)
    {
        // The options form shows again after the head is placed: one head only.
        m_optionsAccepted = true;
        auto* intersection = options->findChild<QComboBox*>(QStringLiteral("cmbNumSkrzyz"));
        if (intersection && intersection->currentText().isEmpty() && intersection->count() > 0)
            intersection->setCurrentIndex(0);
        // Push buttons after a pedestrian head: their form is pictured too.
        auto* pushButtons = options->findChild<QCheckBox*>(QStringLiteral("chkUstawDetektory"));
        if (wantsShots() && pushButtons && pushButtons->isEnabled())
            pushButtons->setChecked(true);
        click(options, "cmdAccept");
    }

    static bool wantsShots() { return !qEnvironmentVariable("LUMO_DESIGNER_SHOTS").isEmpty(); }

    void takeShots()
    {
        if (!wantsShots())
            return;
        const QString folder = qEnvironmentVariable("LUMO_DESIGNER_SHOTS");
        ++m_step;
        QDir().mkpath(folder);
        // Lists filled after a window showed grow it once their layout
        // requests are handled: picture it as the designer sees it then.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (!window->isVisible())
                continue;
            const QString name = window->objectName().isEmpty()
                ? QString::fromLatin1(window->metaObject()->className())
                : window->objectName();
            window->grab().save(QStringLiteral("%1/%2-%3.png")
                                    .arg(folder)
                                    .arg(m_step)
                                    .arg(name.section(QStringLiteral("::"), -1)));
        }
    }

    static void click(QWidget* window, const char* button)
    {
        std::fprintf(stderr, "lumo-designer: %s: %s\n", qPrintable(window->objectName()), button);
        if (auto* b = window->findChild<QPushButton*>(QLatin1String(button)))
            b->click();
    }

    QList<QPointer<QWidget>> m_shown;
    bool m_listening = false;
    bool m_optionsAccepted = false;
    bool m_settingsSeen = false;
    bool m_detectorSettingsSeen = false;
    int m_step = 0;
};

} // namespace

class DesignerRobotPlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "designer_robot.json")

public:
    QObject* create(const QString& key, const QString&) override
    {
        if (key.compare(QLatin1String("lumo-designer"), Qt::CaseInsensitive) != 0)
            return nullptr;
        auto* robot = new DesignerRobot;
        QCoreApplication::instance()->installEventFilter(robot);
        return robot;
    }
};

#include "designer_robot.moc"
