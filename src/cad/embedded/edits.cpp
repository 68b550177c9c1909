// The designer's edits of what the drawing holds: erase, move and turn,
// copy, attribute values, text content, layer. Each is one step to undo and
// is saved as every change is.
#include "cad/embedded/drawing_data.h"

#include <cmath>
#include <initializer_list>

namespace lumo::cad::embedded {

namespace {

// Where the groups of an entity's points, directions and angles are.
struct PlaceRule {
    std::string_view type;
    std::initializer_list<int> points; // x codes (y = x + 10), every group of the code
    std::initializer_list<int> vectors; // directions: turned, never shifted
    std::initializer_list<int> angles; // degrees
    bool ocs = false; // points in the entity's own coordinates (extrusion)
};

const PlaceRule* ruleFor(std::string_view type)
{
    static const PlaceRule rules[] = {
        {"LINE", {10, 11}, {}, {}, false},
        {"POINT", {10}, {}, {}, false},
        {"CIRCLE", {10}, {}, {}, true},
        {"ARC", {10}, {}, {50, 51}, true},
        {"TEXT", {10, 11}, {}, {50}, true},
        {"ATTRIB", {10, 11}, {}, {50}, true},
        {"ATTDEF", {10, 11}, {}, {50}, true},
        {"MTEXT", {10}, {11}, {}, false}, // its angle: below
        {"INSERT", {10}, {}, {50}, true},
        {"LWPOLYLINE", {10}, {}, {}, true},
        {"POLYLINE", {}, {}, {}, true}, // (its 10 is the elevation; the vertices move)
        {"VERTEX", {10}, {}, {}, true},
        {"SEQEND", {}, {}, {}, false},
        {"SOLID", {10, 11, 12, 13}, {}, {}, true},
        {"TRACE", {10, 11, 12, 13}, {}, {}, true},
        {"3DFACE", {10, 11, 12, 13}, {}, {}, false},
        {"ELLIPSE", {10}, {11}, {}, false},
        {"SPLINE", {10, 11}, {12, 13}, {}, false},
    };
    for (const PlaceRule& rule : rules)
        if (rule.type == type)
            return &rule;
    return nullptr;
}

// A turn about a base and a shift, in the world or in an entity's own
// coordinates seen from below (x mirrored), as a flipped extrusion has them.
struct Rigid {
    double c = 1.0, s = 0.0, bx = 0.0, by = 0.0, dx = 0.0, dy = 0.0, degrees = 0.0;
    bool mirrored = false;

    explicit Rigid(const EmbeddedApplication::Placement& p)
        : c(std::cos(p.degrees * kDegree)), s(std::sin(p.degrees * kDegree)), bx(p.baseX), by(p.baseY),
          dx(p.dx), dy(p.dy), degrees(p.degrees)
    {
        // Whole quarter turns stay exact.
        if (std::fmod(p.degrees, 90.0) == 0.0) {
            c = std::round(c);
            s = std::round(s);
        }
    }
    std::pair<double, double> point(double x, double y) const
    {
        const double m = mirrored ? -1.0 : 1.0;
        x *= m;
        const double rx = bx + c * (x - bx) - s * (y - by) + dx;
        const double ry = by + s * (x - bx) + c * (y - by) + dy;
        return {rx * m, ry};
    }
    std::pair<double, double> vector(double x, double y) const
    {
        const double m = mirrored ? -1.0 : 1.0;
        x *= m;
        return {(c * x - s * y) * m, s * x + c * y};
    }
    double angle(double a) const
    {
        const double turned = a + (mirrored ? -degrees : degrees);
        return std::fmod(std::fmod(turned, 360.0) + 360.0, 360.0);
    }
};

// Places one record (not its sub-records) anew; false for a kind the host
// cannot place.
bool placeRecord(dxf::Entity& e, Rigid rigid, bool parentMirrored)
{
    const std::string type = e.typeName();
    const PlaceRule* rule = ruleFor(type);
    if (!rule)
        return false;
    rigid.mirrored = rule->ocs && (type == "VERTEX" ? parentMirrored : e.number(230, 1.0) < 0.0);
    // Read everything first: writing may move the values read.
    struct Change {
        std::size_t xi, yi;
        double x, y;
    };
    std::vector<Change> changes;
    const std::vector<dxf::Group> groups = e.groups();
    auto collect = [&](int xCode, bool isVector) {
        for (std::size_t i = 0; i < groups.size(); ++i) {
            if (groups[i].code != xCode)
                continue;
            for (std::size_t j = i + 1; j < groups.size() && groups[j].code != xCode; ++j) {
                if (groups[j].code != xCode + 10)
                    continue;
                const auto [x, y] = isVector ? rigid.vector(groups[i].number(), groups[j].number())
                                             : rigid.point(groups[i].number(), groups[j].number());
                changes.push_back({i, j, x, y});
                break;
            }
        }
    };
    for (int code : rule->points)
        collect(code, false);
    for (int code : rule->vectors)
        collect(code, true);
    std::vector<std::pair<int, double>> angles;
    if (rigid.degrees != 0.0) {
        for (int code : rule->angles)
            angles.push_back({code, rigid.angle(e.number(code, 0.0))});
        if (type == "MTEXT" && (e.find(50) || !e.find(11)))
            angles.push_back({50, rigid.angle(e.number(50, 0.0))});
    }
    for (const Change& c : changes) {
        e.setGroupNumber(c.xi, c.x);
        e.setGroupNumber(c.yi, c.y);
    }
    for (const auto& [code, value] : angles)
        e.setNumber(code, value);
    return true;
}

// The entity and its sub-records (attributes, vertices) placed anew.
bool placeEntity(dxf::Entity e, const Rigid& rigid)
{
    // Check the whole first, so that nothing is half moved.
    auto children = e.children();
    if (!ruleFor(e.typeName()))
        return false;
    for (const auto& child : children)
        if (!ruleFor(child.typeName()))
            return false;
    const bool mirrored = e.number(230, 1.0) < 0.0;
    placeRecord(e, rigid, false);
    for (auto& child : children)
        placeRecord(child, rigid, mirrored);
    return true;
}

} // namespace

bool EmbeddedApplication::editStep(const std::function<bool()>& changes, HostChange what)
{
    if (!canEdit())
        return false;
    takeBase();
    bool changed = false;
    try {
        changed = changes();
    } catch (const std::exception& e) {
        // Nothing half done stays: the drawing goes back to before.
        report(std::string("Nie można zmienić rysunku: ") + e.what());
        if (data_->doc.isModified() && base_)
            data_->doc = dxf::Document::fromMemory(*base_);
        data_->notify(HostChange::Updated);
        return false;
    }
    if (!changed)
        return false;
    data_->selections.clear();
    closeStep();
    save();
    data_->notify(what);
    notify(HostChange::Document);
    return true;
}

namespace {

// The model-space entities at these indices (none when one is missing).
std::vector<dxf::Entity> entitiesAt(const dxf::Document& doc, const std::vector<std::size_t>& indices)
{
    const auto all = doc.modelSpace();
    std::vector<dxf::Entity> out;
    for (std::size_t i : indices) {
        if (i >= all.size())
            return {};
        out.push_back(all[i]);
    }
    return out;
}

} // namespace

bool EmbeddedApplication::erase(const std::vector<std::size_t>& indices)
{
    return editStep(
        [&] {
            const auto entities = entitiesAt(data_->doc, indices);
            for (const auto& e : entities)
                data_->doc.deleteEntity(e);
            return !entities.empty();
        },
        HostChange::Drawing);
}

bool EmbeddedApplication::transform(const std::vector<std::size_t>& indices, const Placement& how,
                                    std::size_t* skipped)
{
    std::size_t left = 0;
    const bool done = editStep(
        [&] {
            if (how.dx == 0.0 && how.dy == 0.0 && std::fmod(how.degrees, 360.0) == 0.0)
                return false;
            const Rigid rigid(how);
            bool any = false;
            for (const auto& e : entitiesAt(data_->doc, indices)) {
                if (placeEntity(e, rigid))
                    any = true;
                else
                    ++left;
            }
            return any;
        },
        HostChange::Updated);
    if (skipped)
        *skipped = left;
    return done;
}

bool EmbeddedApplication::copy(const std::vector<std::size_t>& indices, const Placement& how,
                               std::size_t* skipped)
{
    std::size_t left = 0;
    const bool done = editStep(
        [&] {
            const Rigid rigid(how);
            bool any = false;
            for (const auto& e : entitiesAt(data_->doc, indices)) {
                // A kind that cannot be placed is not copied onto itself.
                if (!ruleFor(e.typeName())) {
                    ++left;
                    continue;
                }
                placeEntity(data_->doc.copyEntity(e), rigid);
                any = true;
            }
            return any;
        },
        HostChange::Drawing);
    if (skipped)
        *skipped = left;
    return done;
}

bool EmbeddedApplication::setAttributes(std::size_t index,
                                        const std::vector<std::pair<std::string, std::string>>& values)
{
    return editStep(
        [&] {
            const auto entities = entitiesAt(data_->doc, {index});
            if (entities.empty() || !entities[0].isBlockReference())
                return false;
            const auto reference = entities[0].asBlockReference();
            bool changed = false;
            for (const auto& [tag, value] : values) {
                auto attribute = reference.attribute(tag);
                if (attribute && attribute->value() != value) {
                    attribute->setValue(value);
                    changed = true;
                }
            }
            return changed;
        },
        HostChange::Updated);
}

bool EmbeddedApplication::setText(std::size_t index, const std::string& value)
{
    return editStep(
        [&] {
            const auto entities = entitiesAt(data_->doc, {index});
            if (entities.empty())
                return false;
            dxf::Entity e = entities[0];
            if (e.isText()) {
                if (e.asText().value() == value)
                    return false;
                e.asText().setValue(value);
                return true;
            }
            // A long multi-line text goes on in groups 3, which a new
            // content would leave behind: only a short one is changed.
            if (e.typeName() != "MTEXT" || e.find(3) || e.text(1) == value)
                return false;
            e.setText(1, value);
            return true;
        },
        HostChange::Updated);
}

bool EmbeddedApplication::setLayer(const std::vector<std::size_t>& indices, const std::string& layer)
{
    return editStep(
        [&] {
            if (!data_->doc.findLayer(layer))
                return false;
            bool changed = false;
            for (auto e : entitiesAt(data_->doc, indices)) {
                if (dxf::sameName(e.layer(), layer))
                    continue;
                e.setLayer(layer);
                changed = true;
            }
            return changed;
        },
        HostChange::Updated);
}

} // namespace lumo::cad::embedded
