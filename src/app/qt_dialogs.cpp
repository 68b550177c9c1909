#include "app/qt_dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QInputDialog>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QShortcutEvent>

namespace lumo {

namespace {

QMessageBox::Icon toQt(DialogIcon icon)
{
    switch (icon) {
    case DialogIcon::Information: return QMessageBox::Information;
    case DialogIcon::Exclamation: return QMessageBox::Warning;
    case DialogIcon::Question: return QMessageBox::Question;
    case DialogIcon::Critical: return QMessageBox::Critical;
    case DialogIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons toQt(DialogButtons buttons)
{
    switch (buttons) {
    case DialogButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case DialogButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case DialogButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case DialogButtons::Ok: break;
    }
    return QMessageBox::Ok;
}

QMessageBox::StandardButton toQt(DialogAnswer answer)
{
    switch (answer) {
    case DialogAnswer::Cancel: return QMessageBox::Cancel;
    case DialogAnswer::Yes: return QMessageBox::Yes;
    case DialogAnswer::No: return QMessageBox::No;
    case DialogAnswer::Ok: break;
    }
    return QMessageBox::Ok;
}

DialogAnswer fromQt(int button)
{
    switch (button) {
    case QMessageBox::Yes: return DialogAnswer::Yes;
    case QMessageBox::No: return DialogAnswer::No;
    case QMessageBox::Cancel: return DialogAnswer::Cancel;
    default: return DialogAnswer::Ok;
    }
}

// A button's accelerator (Alt+T for "Tak") clicks it at once. Qt shows the
// press for a tenth of a second first, and the box, still modal meanwhile,
// swallows a click the designer already made on the drawing.
class ImmediateAccelerators : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* button = qobject_cast<QAbstractButton*>(watched);
        if (!button || event->type() != QEvent::Shortcut
            || static_cast<QShortcutEvent*>(event)->isAmbiguous())
            return false;
        button->click();
        return true;
    }
};

} // namespace

DialogAnswer QtDialogs::message(const QString& title, const QString& text, DialogIcon icon,
                                DialogButtons buttons, DialogAnswer defaultButton)
{
    // Qt breaks lines at "\n"; the program's texts use "\r\n".
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(toQt(icon), title, shown, toQt(buttons), QApplication::activeWindow());
    box.setDefaultButton(toQt(defaultButton));
    ImmediateAccelerators accelerators;
    for (QAbstractButton* button : box.buttons())
        button->installEventFilter(&accelerators);
    // Escape answers with the box's escape button (No, Cancel or OK).
    return fromQt(box.exec());
}

QString QtDialogs::input(const QString& prompt, const QString& title)
{
    bool ok = false;
    const QString text = QInputDialog::getText(QApplication::activeWindow(), title, prompt, QLineEdit::Normal,
                                               QString(), &ok);
    return ok ? text : QString();
}

bool QtDialogs::showDocument(const QUrl& url)
{
#ifdef _WIN32
    return QDesktopServices::openUrl(url);
#else
    // xdg-open starts whatever shows the document and says so in its exit
    // code; Qt only starts it and never hears that nothing could show it.
    // An opener still busy after a moment has found its program.
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty())
        return false;
    auto* process = new QProcess(qApp);
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    process->start(opener, {url.toString(QUrl::FullyEncoded)});
    if (!process->waitForStarted(3000)) {
        process->deleteLater();
        return false;
    }
    if (!process->waitForFinished(2000))
        return true;
    return process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
#endif
}

} // namespace lumo
