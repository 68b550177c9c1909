#include "demo_suite.h"

#include "dxf/document.h"
#include "signal/catalogue.h"
#include "util/encoding.h"
#include "util/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace lumo::demo {

namespace {

using Groups = std::vector<std::pair<int, std::string>>;

// Colour numbers of the lenses.
constexpr int kRed = 1;
constexpr int kYellow = 2;
constexpr int kGreen = 3;
constexpr int kWhite = 7;

std::string num(double value)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.6g", value);
    return buffer;
}

std::string nativeName(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

void makeFolderOf(const QString& path)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        throw std::runtime_error("cannot create the folder of " + nativeName(path));
}

void line(dxf::Document& doc, const std::string& layer, double x1, double y1, double x2, double y2,
          int colour = dxf::kColourByLayer)
{
    Groups g;
    if (colour != dxf::kColourByLayer)
        g.push_back({62, std::to_string(colour)});
    g.insert(g.end(), {{100, "AcDbLine"}, {10, num(x1)}, {20, num(y1)}, {30, "0"},
                       {11, num(x2)}, {21, num(y2)}, {31, "0"}});
    doc.addEntity("LINE", layer, g);
}

void circle(dxf::Document& doc, double x, double y, double radius, int colour)
{
    doc.addEntity("CIRCLE", "0",
                  {{62, std::to_string(colour)}, {100, "AcDbCircle"}, {10, num(x)}, {20, num(y)},
                   {30, "0"}, {40, num(radius)}});
}

// A closed outline; bulges[i] bends the segment from vertex i to the next.
void outline(dxf::Document& doc, const std::vector<dxf::Point>& vertices,
             const std::vector<double>& bulges = {})
{
    Groups g{{100, "AcDbPolyline"}, {90, std::to_string(vertices.size())}, {70, "1"}, {43, "0"}};
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        g.push_back({10, num(vertices[i].x)});
        g.push_back({20, num(vertices[i].y)});
        if (i < bulges.size() && bulges[i] != 0.0)
            g.push_back({42, num(bulges[i])});
    }
    doc.addEntity("LWPOLYLINE", "0", g);
}

void rectangle(dxf::Document& doc, double left, double bottom, double right, double top)
{
    outline(doc, {{left, bottom, 0}, {right, bottom, 0}, {right, top, 0}, {left, top, 0}});
}

void save(const dxf::Document& doc, const QString& path)
{
    makeFolderOf(path);
    // A fresh suite, not an edited one: no backup of an earlier run.
    QFile::remove(path);
    doc.save(nativeName(path));
}

std::vector<int> lensColours(const QString& symbol, int count)
{
    if (symbol.startsWith(QStringLiteral("ST")))
        return std::vector<int>(static_cast<std::size_t>(count), kWhite);
    switch (count) {
    case 1:
        return {kYellow};
    case 2:
        return {kRed, kGreen};
    default:
        return {kRed, kYellow, kGreen};
    }
}

// A head as seen on the plan: the housing standing on the insertion point,
// the lenses from the top down.
void writeHead(const QString& symbol, const QString& path)
{
    dxf::Document doc = dxf::Document::create();
    const int count = LensCount(symbol);
    const double pitch = 0.5;
    const double radius = symbol == QStringLiteral("S-pomocn") ? 0.12 : 0.2;
    const double width = 0.6;
    const double height = count * pitch + 0.1;
    rectangle(doc, -width / 2, 0.0, width / 2, height);
    const std::vector<int> colours = lensColours(symbol, count);
    for (int i = 0; i < count; ++i)
        circle(doc, 0.0, height - 0.05 - pitch / 2 - i * pitch, radius,
               colours[static_cast<std::size_t>(i)]);
    // A short post under the housing shows which way the head stands.
    line(doc, "0", 0.0, 0.0, 0.0, -0.4);
    save(doc, path);
}

// Contrast screens: a plate behind the housing, rectangular or oval.
void writeScreen(bool oval, const QString& path)
{
    dxf::Document doc = dxf::Document::create();
    if (oval) {
        const double r = 0.5;
        const double straight = 1.2;
        outline(doc, {{r, 0.0, 0}, {r, straight, 0}, {-r, straight, 0}, {-r, 0.0, 0}},
                {0.0, 1.0, 0.0, 1.0});
    } else {
        rectangle(doc, -0.5, -0.2, 0.5, 1.9);
    }
    save(doc, path);
}

void writePushButton(const QString& path)
{
    dxf::Document doc = dxf::Document::create();
    rectangle(doc, -0.2, 0.0, 0.2, 0.6);
    circle(doc, 0.0, 0.35, 0.12, kYellow);
    save(doc, path);
}

// Two streets crossing, kerbs drawn as lines with a gap for the crossing.
void writeDrawing(const QString& path)
{
    dxf::Document doc = dxf::Document::create();
    doc.addLayer("ULICE", 8);
    doc.addLayer("OPISY_ULIC", 5);
    // The program puts description texts and push buttons on these layers by
    // name and does not create them: a designer's drawing already has them.
    doc.addLayer("112-OPIS_SYGNALIZACJI", 1);
    doc.addLayer("109-SYGNALIZACJA_PRZYCISKI", 3);
    const double cx = 500.0;
    const double cy = 500.0;
    const double halfKwiatowa = 7.0; // east-west street
    const double halfDluga = 6.0;    // north-south street
    const double reach = 120.0;
    for (const double side : {-1.0, 1.0}) {
        line(doc, "ULICE", cx - reach, cy + side * halfKwiatowa, cx - halfDluga,
             cy + side * halfKwiatowa);
        line(doc, "ULICE", cx + halfDluga, cy + side * halfKwiatowa, cx + reach,
             cy + side * halfKwiatowa);
        line(doc, "ULICE", cx + side * halfDluga, cy - reach, cx + side * halfDluga,
             cy - halfKwiatowa);
        line(doc, "ULICE", cx + side * halfDluga, cy + halfKwiatowa, cx + side * halfDluga,
             cy + reach);
    }
    doc.addText("ul. Kwiatowa", {cx - 90.0, cy + 10.0, 0}, 3.0, {}, "OPISY_ULIC");
    doc.addText("ul. Długa", {cx + 10.0, cy + 80.0, 0}, 3.0, {}, "OPISY_ULIC", 90.0);
    doc.setCustomProperty("SKALA", "500");
    doc.setCustomProperty("NUMERSEKCJI", "26-15");
    save(doc, path);
}

void writeAnsiLines(const QString& path, const QStringList& lines)
{
    makeFolderOf(path);
    QByteArray bytes;
    for (const QString& text : lines)
        bytes += ToAnsi(text) + QByteArrayLiteral("\r\n");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + nativeName(path));
}

QString regString(const QString& text)
{
    QString escaped = text;
    escaped.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
    return u'"' + escaped + u'"';
}

} // namespace

QStringList HeadSymbols()
{
    QStringList symbols;
    for (const auto* list : {&VehicleTypes(), &TramTypes(), &PedestrianTypes()})
        for (const SignalTypeEntry& entry : *list)
            symbols << entry.symbol;
    for (const SignalKind kind : {KindBuses, KindPedestriansAndCyclists, KindCyclists})
        symbols << FixedKindSymbol(kind);
    return symbols;
}

int LensCount(const QString& symbol)
{
    if (symbol == QStringLiteral("S-1KOM"))
        return 1;
    if (symbol.startsWith(QStringLiteral("S-5")) || symbol == QStringLiteral("S-6") ||
        symbol == QStringLiteral("S-osp"))
        return 2;
    if (symbol.startsWith(QStringLiteral("ST")))
        return 4;
    return 3;
}

std::vector<WrittenFile> MakeDemoSuite(const QString& nativeRoot)
{
    const QString root = QDir(nativeRoot).absolutePath();
    const auto at = [&root](const QString& relative) { return root + u'/' + relative; };
    std::vector<WrittenFile> written;

    for (const QString& symbol : HeadSymbols()) {
        const QString path = at(kHeadFolder + u'/' + symbol + QStringLiteral(".dxf"));
        writeHead(symbol, path);
        written.push_back({path, QStringLiteral("signal head ") + symbol});
    }
    for (const QString& screen : ScreenSymbols()) {
        const QString path = at(kHeadFolder + u'/' + screen + QStringLiteral(".dxf"));
        writeScreen(screen == QStringLiteral("EKO"), path);
        written.push_back({path, QStringLiteral("contrast screen ") + screen});
    }
    const QString button = at(kSymbolFolder + u'/' + kPushButtonBlock + QStringLiteral(".dxf"));
    writePushButton(button);
    written.push_back({button, QStringLiteral("push button")});

    const std::vector<std::pair<QString, QStringList>> lists = {
        {kStreetFolder + QStringLiteral("/Ulice.lst"),
         {"; ulice miasta demonstracyjnego", "Kwiatowa", "Długa", "Żwirki i Wigury",
          "Aleja Niepodległości", "Świętokrzyska"}},
        {kStreetFolder + QStringLiteral("/Skrzyzowania.lst"),
         {"; numer, spacja, opis skrzyżowania", "987 Rondo Kwiatowa", "988 Długa - Kwiatowa",
          "989 Żwirki i Wigury - Świętokrzyska"}},
        {kSharedListFolder + QStringLiteral("/Wnioskodawcy.lst"),
         {"Zarząd Dróg Miejskich", "Urząd Miasta", "Wydział Inwestycji"}},
        {kSharedListFolder + QStringLiteral("/Wykonawcy.lst"),
         {"Przedsiębiorstwo Robót Drogowych, sp. z o.o.", "Zakład Sygnalizacji Świetlnej"}},
        {kSharedListFolder + QStringLiteral("/SygnZrodSwiatla.lst"),
         {"LED,LED", "Żarowe,Z", "Halogenowe,H"}},
        {kSharedListFolder + QStringLiteral("/SygnTypySygnDet.lst"),
         {"Producent Pierwszy", "Producent Drugi", "\"Wytwórnia Sygnalizatorów, s.c.\""}},
    };
    for (const auto& [relative, lines] : lists) {
        writeAnsiLines(at(relative), lines);
        written.push_back({at(relative), QStringLiteral("list")});
    }

    // The city data folder is "aDane" joined with "City": the demo city.
    const QString registry = at(kRegistryFile);
    writeAnsiLines(registry,
                   {"REGEDIT4", "", "[HKEY_CURRENT_USER\\Software\\Tarn\\Directories]",
                    regString(QStringLiteral("aDane")) + u'=' +
                        regString(FromNativePath(at(kCityDataFolder))),
                    regString(QStringLiteral("City")) + u'=' + regString(kCity), ""});
    written.push_back({registry, QStringLiteral("registry (for LUMO_REGISTRY_FILE)")});

    const QString drawing = at(kDemoDrawing);
    writeDrawing(drawing);
    written.push_back({drawing, QStringLiteral("demo drawing")});
    return written;
}

} // namespace lumo::demo
