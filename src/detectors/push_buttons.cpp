#include "detectors/push_buttons.h"

#include "lists/list_files.h"

#include <QComboBox>

namespace lumo {

const QStringList& PushButtonTypes()
{
    static const QStringList types{QStringLiteral("brak danych"), QStringLiteral("mechaniczny"),
                                   QStringLiteral("piezoelektryczny"), QStringLiteral("sensorowy")};
    return types;
}

QString DetectorDescriptionOf(const QString& letter, const QString& stopLineText, short orientationCode,
                              const QString& suffix)
{
    return letter + stopLineText + QString::number(orientationCode) + suffix;
}

QStringList LoadPushButtonProducers(RunContext& ctx, QComboBox* combo)
{
    const int before = combo->count();
    LoadTypeList(ctx, combo);
    QStringList producers;
    for (int i = before; i < combo->count(); ++i)
        producers << combo->itemText(i);
    return producers;
}

} // namespace lumo
