#include "demo_suite.h"

#include "dxf/document.h"
#include "signal/catalogue.h"
#include "run/head_attributes.h"
#include "util/encoding.h"
#include "util/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
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
    g.insert(g.end(),
             {{100, "AcDbLine"},
              {10, num(x1)},
              {20, num(y1)},
              {30, "0"},
              {11, num(x2)},
              {21, num(y2)},
              {31, "0"}});
    doc.addEntity("LINE", layer, g);
}

void circle(dxf::Document& doc, double x, double y, double radius, int colour)
{
    doc.addEntity("CIRCLE", "0",
                  {{62, std::to_string(colour)},
                   {100, "AcDbCircle"},
                   {10, num(x)},
                   {20, num(y)},
                   {30, "0"},
                   {40, num(radius)}});
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
    case 1: return {kYellow};
    case 2: return {kRed, kGreen};
    default: return {kRed, kYellow, kGreen};
    }
}

// Block files are drawn in millimetres at their size on a plan of 1:100: the
// program inserts them at drawing scale / 100 (5 at 1:500), so a head keeps
// its size on paper whatever the scale.
constexpr double kBlockUnit = 300.0;

// A head as seen on the plan: the housing standing on the insertion point,
// the lenses from the top down.
void writeHead(const QString& symbol, const QString& path)
{
    dxf::Document doc = dxf::Document::create();
    const double u = kBlockUnit;
    const int count = LensCount(symbol);
    const double pitch = 0.5 * u;
    const double radius = (symbol == QStringLiteral("S-pomocn") ? 0.12 : 0.2) * u;
    const double width = 0.6 * u;
    const double height = count * pitch + 0.1 * u;
    rectangle(doc, -width / 2, 0.0, width / 2, height);
    const std::vector<int> colours = lensColours(symbol, count);
    for (int i = 0; i < count; ++i)
        circle(doc, 0.0, height - 0.05 * u - pitch / 2 - i * pitch, radius,
               colours[static_cast<std::size_t>(i)]);
    // A short post under the housing shows which way the head stands.
    line(doc, "0", 0.0, 0.0, 0.0, -0.4 * u);
    save(doc, path);
}

// Contrast screens: a plate behind the housing, rectangular or oval.
void writeScreen(bool oval, const QString& path)
{
    dxf::Document doc = dxf::Document::create();
    const double u = kBlockUnit;
    if (oval) {
        const double r = 0.5 * u;
        const double straight = 1.2 * u;
        outline(doc, {{r, 0.0, 0}, {r, straight, 0}, {-r, straight, 0}, {-r, 0.0, 0}}, {0.0, 1.0, 0.0, 1.0});
    } else {
        rectangle(doc, -0.5 * u, -0.2 * u, 0.5 * u, 1.9 * u);
    }
    save(doc, path);
}

// A push-button box with its button. The program inserts it at half the
// heads' scale (2.5 at 1:500), so it is drawn twice as large to stand beside
// a head at a sensible size.
void writePushButton(const QString& path)
{
    dxf::Document doc = dxf::Document::create();
    const double u = 2 * kBlockUnit;
    rectangle(doc, -0.2 * u, 0.0, 0.2 * u, 0.6 * u);
    circle(doc, 0.0, 0.35 * u, 0.12 * u, kYellow);
    save(doc, path);
}

// A filled quadrilateral (stop lines, crossing stripes).
void solid(dxf::Document& doc, const std::string& layer, double left, double bottom, double right, double top)
{
    // SOLID stores its third and fourth corners crosswise.
    doc.addEntity("SOLID", layer,
                  {{100, "AcDbTrace"},
                   {10, num(left)},
                   {20, num(bottom)},
                   {30, "0"},
                   {11, num(right)},
                   {21, num(bottom)},
                   {31, "0"},
                   {12, num(left)},
                   {22, num(top)},
                   {32, "0"},
                   {13, num(right)},
                   {23, num(top)},
                   {33, "0"}});
}

void arc(dxf::Document& doc, const std::string& layer, double x, double y, double radius, double fromDegrees,
         double toDegrees)
{
    doc.addEntity("ARC", layer,
                  {{100, "AcDbCircle"},
                   {10, num(x)},
                   {20, num(y)},
                   {30, "0"},
                   {40, num(radius)},
                   {100, "AcDbArc"},
                   {50, num(fromDegrees)},
                   {51, num(toDegrees)}});
}

// The demo intersection, drawn at true size in millimetres for a plan of
// 1:500: two streets of two 3.5 m lanes each way, kerbs with rounded
// corners, footways, lane lines, stop lines and a zebra crossing on every
// arm. Coordinates are those of a local grid with the centre of the
// intersection at the origin; x points east, y north.
namespace street {
constexpr double kLane = 3500.0;
constexpr double kHalf = 2 * kLane; // kerb to axis
constexpr double kCorner = 6000.0; // kerb radius at the corners
constexpr double kFootway = 3500.0; // kerb to the back of the footway
constexpr double kReach = 60000.0; // how far each arm is drawn
constexpr double kCrossingFrom = kHalf + kCorner + 1500.0; // crossing, from the centre
constexpr double kCrossingWidth = 4000.0;
constexpr double kStopLine = kCrossingFrom + kCrossingWidth + 1000.0;
constexpr double kStopLineWidth = 500.0;
} // namespace street

// One arm of the intersection, drawn as if it ran east (+x); `turn` turns it
// into place (0 east, 90 north, 180 west, 270 south).
class Arm {
public:
    Arm(dxf::Document& doc, double turnDegrees) : m_doc(doc)
    {
        const double a = turnDegrees * 3.14159265358979 / 180.0;
        m_cos = std::round(std::cos(a));
        m_sin = std::round(std::sin(a));
    }

    dxf::Point at(double along, double across) const
    {
        return {along * m_cos - across * m_sin, along * m_sin + across * m_cos, 0};
    }

    void line(const std::string& layer, double a1, double c1, double a2, double c2) const
    {
        const dxf::Point p = at(a1, c1), q = at(a2, c2);
        demo::line(m_doc, layer, p.x, p.y, q.x, q.y);
    }

    void box(const std::string& layer, double a1, double c1, double a2, double c2) const
    {
        const dxf::Point p = at(a1, c1), q = at(a2, c2);
        solid(m_doc, layer, std::min(p.x, q.x), std::min(p.y, q.y), std::max(p.x, q.x), std::max(p.y, q.y));
    }

    void draw() const
    {
        using namespace street;
        const double start = kHalf + kCorner; // where the corner arcs end
        for (const double side : {-1.0, 1.0}) {
            line("KRAWEZNIKI", start, side * kHalf, kReach, side * kHalf);
            line("CHODNIKI", start, side * (kHalf + kFootway), kReach, side * (kHalf + kFootway));
        }
        // Axis: solid up to the crossing, lane lines dashed (4 m line, 8 m gap).
        line("OZNAKOWANIE", kStopLine + kStopLineWidth, 0.0, kReach, 0.0);
        for (const double side : {-1.0, 1.0})
            for (double a = kStopLine + kStopLineWidth + 2000.0; a + 4000.0 <= kReach; a += 12000.0)
                line("OZNAKOWANIE", a, side * kLane, a + 4000.0, side * kLane);
        // Traffic comes in heading -x: its lanes are on its right, +across.
        box("OZNAKOWANIE", kStopLine, 0.0, kStopLine + kStopLineWidth, kHalf);
        // Zebra: stripes 0.6 m wide with 0.6 m gaps, along the road.
        for (double c = -kHalf + 300.0; c + 600.0 <= kHalf; c += 1200.0)
            box("OZNAKOWANIE", kCrossingFrom, c, kCrossingFrom + kCrossingWidth, c + 600.0);
    }

private:
    dxf::Document& m_doc;
    double m_cos = 1.0;
    double m_sin = 0.0;
};

// The corner kerbs and footways between two neighbouring arms.
void corners(dxf::Document& doc)
{
    using namespace street;
    for (const double sx : {-1.0, 1.0})
        for (const double sy : {-1.0, 1.0}) {
            const double cx = sx * (kHalf + kCorner);
            const double cy = sy * (kHalf + kCorner);
            // The quarter of the circle that faces the intersection.
            const double from = sx > 0 ? (sy > 0 ? 180.0 : 90.0) : (sy > 0 ? 270.0 : 0.0);
            arc(doc, "KRAWEZNIKI", cx, cy, kCorner, from, from + 90.0);
            arc(doc, "CHODNIKI", cx, cy, kCorner - kFootway, from, from + 90.0);
        }
}

// A head already placed, as the program leaves it: the block with its
// attributes on its layer, and its description text beside it.
struct PlacedHead {
    const char* symbol;
    const char* code; // SignalCode, the description text
    const char* lens; // SREDN_SOCZ
    const char* street; // NAZWA_ULICY
    dxf::Point at;
    double rotation; // degrees
    dxf::Point description;
};

void defineHeadBlock(dxf::Document& doc, const QString& symbol, const QString& blockFile)
{
    dxf::Block block = doc.importBlockFile(nativeName(blockFile), symbol.toStdString());
    const auto add = [&block](const QString& tag, const QString& value) {
        dxf::NewAttributeDefinition def;
        def.tag = tag.toStdString();
        def.defaultValue = value.toStdString();
        def.height = 3.5;
        def.flags = dxf::kAttInvisible | dxf::kAttPreset;
        block.addAttributeDefinition(def);
    };
    if (const auto row = SymbolTableRow(symbol.toUpper())) {
        add(QStringLiteral("OBIEKT"), row->obiekt);
        add(QStringLiteral("RODZAJ"), row->rodzaj);
        add(QStringLiteral("SYMBOL"), row->symbol);
    }
    for (const QString& tag : HeadAttributeTags())
        add(tag, {});
}

void placeHead(dxf::Document& doc, const PlacedHead& head, double insertScale, double textHeight)
{
    const std::string designation = std::string("26-15/988/") + head.code;
    dxf::BlockReference ref
        = doc.addBlockReference(head.symbol, head.at, insertScale, head.rotation, kHeadLayer.toStdString());
    const std::pair<const char*, std::string> values[] = {{"INWENT_NUMER", designation},
                                                          {"NUMER_SKRZYZ", "988"},
                                                          {"TYP", "Producent Pierwszy"},
                                                          {"SREDN_SOCZ", head.lens},
                                                          {"ZRODLO_SW", "LED"},
                                                          {"KTO_NANIOSL", "Jan Kowalski"},
                                                          {"NAZWA_ULICY", head.street},
                                                          {"ZLECENIE_WNIOS", "Zarząd Dróg Miejskich"},
                                                          {"ZLECENIE_NUMER", "ZDM/12/2024"},
                                                          {"ZLECENIE_DATA", "2024.03.05"},
                                                          {"INWENT_DATA", "2024.04.18"}};
    for (const auto& [tag, value] : values)
        if (auto attribute = ref.attribute(tag))
            attribute->setValue(value);
    dxf::Text text = doc.addText(head.code, head.description, textHeight, kDescriptionTextStyle.toStdString(),
                                 kHeadDescriptionLayer.toStdString(), head.rotation);
    text.setColour(1);
}

void writeDrawing(const QString& path, const QString& headFolder)
{
    using namespace street;
    dxf::Document doc = dxf::Document::create();
    doc.addLayer("KRAWEZNIKI", 7);
    doc.addLayer("CHODNIKI", 8);
    doc.addLayer("OZNAKOWANIE", 7);
    doc.addLayer("OPISY_ULIC", 5);
    // The program puts description texts and push buttons on these layers by
    // name and does not create them: a designer's drawing already has them.
    doc.addLayer(kHeadLayer.toStdString(), 7);
    doc.addLayer(kHeadDescriptionLayer.toStdString(), 1);
    doc.addLayer(kPushButtonLayer.toStdString(), 3);
    // The description style as the program makes it.
    doc.addTextStyle(kDescriptionTextStyle.toStdString(), 1000.0, "arial.ttf");

    for (const double turn : {0.0, 90.0, 180.0, 270.0})
        Arm(doc, turn).draw();
    corners(doc);

    // Street names 2 m high: 4 mm on the printed plan.
    const double nameHeight = 2000.0;
    doc.addText("ul. Kwiatowa", {-45000.0, kHalf + kFootway + 1500.0, 0}, nameHeight, {}, "OPISY_ULIC");
    doc.addText("ul. Kwiatowa", {30000.0, kHalf + kFootway + 1500.0, 0}, nameHeight, {}, "OPISY_ULIC");
    doc.addText("ul. Długa", {-(kHalf + kFootway + 1500.0), 30000.0, 0}, nameHeight, {}, "OPISY_ULIC", 90.0);
    doc.addText("ul. Długa", {-(kHalf + kFootway + 1500.0), -45000.0, 0}, nameHeight, {}, "OPISY_ULIC", 90.0);

    // A few heads already placed, at 1:500: insert scale 5, descriptions
    // 500 mm high (the font height 1 times the scale).
    const double scale = 500.0;
    const double kerb = kHalf + 1200.0; // on the footway, just off the kerb
    const PlacedHead heads[] = {
        // Westbound traffic on Kwiatowa (east arm) stops at x = kStopLine.
        {"S-3wp",
         "K2",
         "300",
         "Kwiatowa",
         {kStopLine, kerb, 0},
         90.0,
         {kStopLine + 2000.0, kerb + 1500.0, 0}},
        // Northbound traffic on Długa (south arm).
        {"S-1", "K3", "300", "Długa", {kerb, -kStopLine, 0}, 0.0, {kerb + 1500.0, -kStopLine - 1500.0, 0}},
        // The zebra on the west arm: a pedestrian head at each end, its
        // housing on the footway.
        {"S-5",
         "P4a",
         "200",
         "Kwiatowa",
         {-(kCrossingFrom + kCrossingWidth / 2), kerb, 0},
         0.0,
         {-(kCrossingFrom + kCrossingWidth / 2) + 800.0, kerb + 500.0, 0}},
        {"S-5",
         "P4b",
         "200",
         "Kwiatowa",
         {-(kCrossingFrom + kCrossingWidth / 2), -kerb, 0},
         180.0,
         {-(kCrossingFrom + kCrossingWidth / 2) - 800.0, -kerb - 500.0, 0}},
    };
    QStringList defined;
    for (const PlacedHead& head : heads) {
        const QString symbol = QString::fromLatin1(head.symbol);
        if (!defined.contains(symbol)) {
            defineHeadBlock(doc, symbol, headFolder + u'/' + symbol + QStringLiteral(".dxf"));
            defined << symbol;
        }
        placeHead(doc, head, scale * 10 / 1000, scale * 1.0);
    }

    doc.setCustomProperty("SKALA", "500");
    doc.setCustomProperty("NUMERSEKCJI", "26-15");
    doc.setCustomProperty("ONUMERSKRZYZ", "988");
    doc.setCustomProperty("OSTULICA", "Długa");
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
    if (symbol.startsWith(QStringLiteral("S-5")) || symbol == QStringLiteral("S-6")
        || symbol == QStringLiteral("S-osp"))
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
         {"; ulice miasta demonstracyjnego", "Kwiatowa", "Długa", "Żwirki i Wigury", "Aleja Niepodległości",
          "Świętokrzyska"}},
        {kStreetFolder + QStringLiteral("/Skrzyzowania.lst"),
         {"; numer spacja opis skrzyzowania", "987 Rondo Kwiatowa", "988 Długa - Kwiatowa",
          "989 Żwirki i Wigury - Świętokrzyska"}},
        {kSharedListFolder + QStringLiteral("/Wnioskodawcy.lst"),
         {"Zarząd Dróg Miejskich", "Urząd Miasta", "Wydział Inwestycji"}},
        {kSharedListFolder + QStringLiteral("/Wykonawcy.lst"),
         {"Przedsiębiorstwo Robót Drogowych, sp. z o.o.", "Zakład Sygnalizacji Świetlnej"}},
        {kSharedListFolder + QStringLiteral("/SygnZrodSwiatla.lst"), {"LED,LED", "Żarowe,Z", "Halogenowe,H"}},
        {kSharedListFolder + QStringLiteral("/SygnTypySygnDet.lst"),
         {"Producent Pierwszy", "Producent Drugi", "\"Wytwórnia Sygnalizatorów, s.c.\""}},
    };
    for (const auto& [relative, lines] : lists) {
        writeAnsiLines(at(relative), lines);
        written.push_back({at(relative), QStringLiteral("list")});
    }

    // The city data folder is "aDane" joined with "City": the demo city.
    const QString registry = at(kRegistryFile);
    writeAnsiLines(
        registry,
        {"REGEDIT4", "", "[HKEY_CURRENT_USER\\Software\\Tarn\\Directories]",
         regString(QStringLiteral("aDane")) + u'=' + regString(FromNativePath(at(kCityDataFolder))),
         regString(QStringLiteral("City")) + u'=' + regString(kCity), ""});
    written.push_back({registry, QStringLiteral("registry (for LUMO_REGISTRY_FILE)")});

    const QString drawing = at(kDemoDrawing);
    writeDrawing(drawing, at(kHeadFolder));
    written.push_back({drawing, QStringLiteral("demo drawing")});
    return written;
}

} // namespace lumo::demo
