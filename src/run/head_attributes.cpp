#include "run/head_attributes.h"

#include <QHash>

namespace lumo {

std::optional<SymbolDefaults> SymbolTableRow(const QString& upperBlockName)
{
    static const QHash<QString, SymbolDefaults> table = [] {
        const QString head = QStringLiteral("sygnalizator");
        const QString tram = QStringLiteral("sygnalizator tramwajowy");
        QHash<QString, SymbolDefaults> t;
        t.insert("EKO", {QStringLiteral("ekran"), QStringLiteral("owalny"), "EKO"});
        t.insert("EKP", {QStringLiteral("ekran"), QStringLiteral("prostokątny"), "EKP"});
        t.insert("S-1", {head, QStringLiteral("ogólny"), "S-1"});
        t.insert("S-1KOM", {head, QStringLiteral("jednokomorowy"), "S-1KOM"});
        t.insert("S-2L", {head, "jazdy.war.lewo", "S-2l"});
        t.insert("S-2LP", {head, "jazdy.war.lewo i prawo", "S-2lp"});
        t.insert("S-2P", {head, "jazdy.war.prawo", "S-2p"});
        t.insert("S-3L", {head, "kier.lewo", "S-3l"});
        t.insert("S-3LP", {head, "kier.lewo.prawo", "S-3lp"});
        t.insert("S-3LZ", {head, "kier.lewo.zawr.", "S-3lz"});
        t.insert("S-3P", {head, "kier.prawo", "S-3p"});
        t.insert("S-3W", {head, "kier.wprost", "S-3w"});
        t.insert("S-3WP", {head, "kier.wprost.prawo", "S-3wp"});
        t.insert("S-3Z", {head, "kier.zawr.", "S-3z"});
        t.insert("S-4", {head, "dla pasow ruchu", "S-4"});
        t.insert("S-5", {head, "pieszy", "S-5"});
        t.insert("S-5PLK", {head, "pieszy polokragly", "S-5plk"});
        t.insert("S-5PR", {head, "pieszy i rowerowy", "S-5/6"});
        t.insert("S-6", {head, "rowerowy", "S-6"});
        t.insert("S-7", {head, "nakazujacy opuszczenie pasa ruchu", "S-7"});
        t.insert("S-B", {head, "autobusowy", "SB"});
        t.insert("S-OSP", {head, "ostrz. z mig. sylw. pieszego", "S-"});
        t.insert("S-POMOCN", {head, "pomocniczy", "S-Pom"});
        t.insert("ST", {tram, "ogolny", "ST"});
        t.insert("STK-L", {tram, "kier.lewo", "STK-L"});
        t.insert("STK-LP", {tram, "kier.lewo i prawo", "STK-LP"});
        t.insert("STK-LW", {tram, "kier.lewo i wprost", "STK-LW"});
        t.insert("STK-P", {tram, "kier.prawo", "STK-P"});
        t.insert("STK-W", {tram, "kier.wprost", "STK-W"});
        t.insert("STK-WP", {tram, "kier.wprost i prawo", "STK-WP"});
        t.insert("STT", {tram, "typu \"T\"", "STT"});
        return t;
    }();
    const auto it = table.constFind(upperBlockName);
    if (it == table.constEnd())
        return std::nullopt;
    return *it;
}

const QStringList& HeadAttributeTags()
{
    static const QStringList tags{
        "INWENT_NUMER",   "NUMER_SKRZYZ",    "TYP",           "SREDN_SOCZ",     "ZRODLO_SW",
        "WKLADY_ANTYZL",  "SYGN_AKUST",      "KTO_NANIOSL",   "NAZWA_ULICY",    "ZLECENIE_WNIOS",
        "REALIZACJA_WYK", "REALIZACJA_DATA", "ZLECENIE_DATA", "ZLECENIE_NUMER", "INWENT_DATA",
        "UWAGI",
    };
    return tags;
}

const QStringList& ScreenAttributeTags()
{
    static const QStringList tags{
        "INWENT_NUMER",   "NUMER_SKRZYZ",    "KTO_NANIOSL",   "NAZWA_ULICY",    "ZLECENIE_WNIOS",
        "REALIZACJA_WYK", "REALIZACJA_DATA", "ZLECENIE_DATA", "ZLECENIE_NUMER", "INWENT_DATA",
    };
    return tags;
}

const QStringList& PushButtonTags()
{
    static const QStringList tags{QStringLiteral("RODZAJ"), QStringLiteral("TYP"),
                                  QStringLiteral("PRODUCENT")};
    return tags;
}

} // namespace lumo
