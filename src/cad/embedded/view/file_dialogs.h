// The drawing window's file dialogs. Qt's own dialog (the one used where the
// desktop offers none) writes the files' dates in the system's language, so
// a system left at C.UTF-8 shows "7 Dec 2026" in a Polish program; these
// show the dates in the program's locale, as its forms do. A desktop's own
// dialog keeps its dates, which follow the desktop's language.
#pragma once

#include <QIdentityProxyModel>
#include <QString>

class QWidget;

namespace lumo::view {

// The file list as the dialog's views read it: the dates ("Data
// modyfikacji") in the program's locale, everything else as it is.
class ProgramLocaleDates : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
};

// The chosen file, "" when the designer cancels.
QString ChooseFileToOpen(QWidget* parent, const QString& title, const QString& folder, const QString& filter);
QString ChooseFileToSave(QWidget* parent, const QString& title, const QString& suggestion,
                         const QString& filter);

} // namespace lumo::view
