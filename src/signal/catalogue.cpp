#include "signal/catalogue.h"

#include "util/paths.h"

#include <QHash>

namespace lumo {

const std::array<QString, 6>& KindCodes()
{
    static const std::array<QString, 6> codes{"K", "B", "T", "P", "PR", "R"};
    return codes;
}

const std::vector<SignalTypeEntry>& VehicleTypes()
{
    static const std::vector<SignalTypeEntry> types{
        {QStringLiteral("Ogólny"), "S-1"},
        {QStringLiteral("Z sygnałem dop. warunkowe skręcanie w prawo"), "S-2p"},
        {QStringLiteral("Z sygnałem dop. warunkowe skręcanie w lewo"), "S-2l"},
        {QStringLiteral("Z sygnałem dop. warunkowe skręcanie w prawo i w lewo"), "S-2lp"},
        {QStringLiteral("Kierunkowy na wprost"), "S-3w"},
        {QStringLiteral("Kierunkowy w lewo"), "S-3l"},
        {QStringLiteral("Kierunkowy w prawo"), "S-3p"},
        {QStringLiteral("Kierunkowy na wprost i w lewo"), "S-3lw"},
        {QStringLiteral("Kierunkowy na wprost i w prawo"), "S-3wp"},
        {QStringLiteral("Kierunkowy w prawo i w lewo"), "S-3lp"},
        {QStringLiteral("Kierunkowy w lewo i do zawracania"), "S-3lz"},
        {QStringLiteral("Kierunkowy do zawracania"), "S-3z"},
        {QStringLiteral("Z sygnałami dla pasów ruchu"), "S-4"},
        {QStringLiteral("Z sygnałem nakazującym opuszczenie pasa ruchu"), "S-7"},
        {QStringLiteral("Jednokomorowy"), "S-1KOM"},
        {QStringLiteral("Pomocniczy"), "S-pomocn"},
        {QStringLiteral("Ostrzegawczy z migającą sylwetką pieszego"), "S-osp"},
    };
    return types;
}

const std::vector<SignalTypeEntry>& TramTypes()
{
    static const std::vector<SignalTypeEntry> types{
        {QStringLiteral("Ogólny dla tramwajów"), "ST"},
        {QStringLiteral("Kierunkowy dla tramwajów na wprost"), "STK-W"},
        {QStringLiteral("Kierunkowy dla tramwajów w lewo"), "STK-L"},
        {QStringLiteral("Kierunkowy dla tramwajów w prawo"), "STK-P"},
        {QStringLiteral("Kierunkowy na wprost i w lewo"), "STK-LW"},
        {QStringLiteral("Kierunkowy dla tramwajów na wprost i w prawo"), "STK-WP"},
        {QStringLiteral("Kierunkowy dla tramwajów w lewo i w prawo"), "STK-LP"},
        {QStringLiteral("Sygnalizator typu T"), "STT"},
    };
    return types;
}

const std::vector<SignalTypeEntry>& PedestrianTypes()
{
    static const std::vector<SignalTypeEntry> types{
        {QStringLiteral("Dla pieszych"), "S-5"},
        {QStringLiteral("Dla pieszych (półokrągły)"), "S-5plk"},
    };
    return types;
}

QString FixedKindSymbol(SignalKind kind)
{
    switch (kind) {
    case KindBuses: return QStringLiteral("S-B");
    case KindPedestriansAndCyclists: return QStringLiteral("S-5pr");
    case KindCyclists: return QStringLiteral("S-6");
    default: return {};
    }
}

const std::array<QString, 2>& ScreenSymbols()
{
    static const std::array<QString, 2> symbols{"EKP", "EKO"};
    return symbols;
}

const std::array<short, 3>& LensDiameters()
{
    static const std::array<short, 3> diameters{300, 200, 100};
    return diameters;
}

const std::array<short, 9>& OrientationCodes()
{
    static const std::array<short, 9> codes{1, 2, 3, 4, 5, 6, 7, 8, 0};
    return codes;
}

const std::array<short, 4>& AntiGlareValues()
{
    static const std::array<short, 4> values{0, 1, 2, 3};
    return values;
}

const QStringList& AdditionalSuffixes()
{
    static const QStringList items{"p", "p1", "p2", "p3", "p4", "p5"};
    return items;
}

const QStringList& DirectionalSuffixes()
{
    static const QStringList items{"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k"};
    return items;
}

const QStringList& AdditionalDirectionalSuffixes()
{
    static const QStringList items = [] {
        QStringList list;
        for (const QString& tail : {QString("p"), QString("p1"), QString("p2")}) {
            for (const QString& letter : DirectionalSuffixes())
                list << letter + tail;
        }
        return list;
    }();
    return items;
}

const QStringList& StopLineNumbers()
{
    static const QStringList items{"1", "2", "3", "4", "5", "6", "7", "8"};
    return items;
}

short SetListPoz(QString& sDanSymb)
{
    sDanSymb = FileTitleOf(sDanSymb);
    static const QHash<QString, short> positions = [] {
        QHash<QString, short> table;
        for (const auto* list : {&VehicleTypes(), &TramTypes(), &PedestrianTypes()}) {
            for (std::size_t i = 0; i < list->size(); ++i)
                table.insert((*list)[i].symbol.toUpper(), static_cast<short>(i));
        }
        return table;
    }();
    return positions.value(sDanSymb, 0);
}

QString PushButtonCaption()
{
    return QStringLiteral("Ustaw przyciski");
}

QString BuildSignalLabel(DesignationState& state, bool pedestriansAndCyclists, short formatPR)
{
    const QString orientation = QString::number(state.orientationCode);
    const QString part = state.stopLineText + orientation + state.suffix;
    if (pedestriansAndCyclists && formatPR == 1) {
        state.SignalCode = KindCodes()[KindPedestrians] + part + KindCodes()[KindCyclists] + part;
    } else {
        state.SignalCode = state.kindCode + part;
        state.SignalCodeS = QStringLiteral("S") + state.SignalCode;
    }
    state.SignalDesignation = state.sectionNumber + QStringLiteral("/") + state.intersectionNumber
        + QStringLiteral("/") + state.SignalCode;
    return QStringLiteral("Sygnalizator: ") + state.SignalDesignation;
}

} // namespace lumo
