#include "cad/embedded/view/file_dialogs.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QLocale>

namespace lumo::view {

namespace {

// The file system model's columns: name, size, kind, date.
constexpr int kDateColumn = 3;

QString AskForFile(QWidget* parent, QFileDialog::AcceptMode mode, const QString& title, const QString& start,
                   const QString& filter)
{
    QFileDialog dialog(parent, title, start, filter);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setProxyModel(new ProgramLocaleDates(&dialog));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

QVariant ProgramLocaleDates::data(const QModelIndex& index, int role) const
{
    if (role == Qt::DisplayRole && index.column() == kDateColumn) {
        if (const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel()))
            return QLocale().toString(files->lastModified(mapToSource(index)), QLocale::ShortFormat);
    }
    return QIdentityProxyModel::data(index, role);
}

QString ChooseFileToOpen(QWidget* parent, const QString& title, const QString& folder, const QString& filter)
{
    return AskForFile(parent, QFileDialog::AcceptOpen, title, folder, filter);
}

QString ChooseFileToSave(QWidget* parent, const QString& title, const QString& suggestion,
                         const QString& filter)
{
    return AskForFile(parent, QFileDialog::AcceptSave, title, suggestion, filter);
}

} // namespace lumo::view
