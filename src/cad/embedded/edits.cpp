// The designer's edits of what the drawing holds: erase, move and turn,
// copy, attribute values, text content, layer. Each is one step to undo and
// is saved as every change is.
#include "cad/embedded/drawing_data.h"
#include "dxf/checkpoint.h"

#include <cmath>
#include <initializer_list>
#include <optional>

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

double fullTurn(double degrees)
{
    return std::fmod(std::fmod(degrees, 360.0) + 360.0, 360.0);
}

// Where the entity stands (see EntityPlace); nullopt when it cannot be
// placed anew.
std::optional<EmbeddedApplication::EntityPlace> placeOfEntity(const dxf::Entity& e)
{
    const std::string type = e.typeName();
    const PlaceRule* rule = ruleFor(type);
    if (!rule)
        return std::nullopt;
    const auto children = e.children();
    for (const auto& child : children)
        if (!ruleFor(child.typeName()))
            return std::nullopt;
    // A polyline stands where its first vertex does.
    dxf::Entity point = e;
    int code = rule->points.size() ? *rule->points.begin() : 0;
    if (type == "POLYLINE") {
        for (const auto& child : children)
            if (child.typeName() == "VERTEX") {
                point = child;
                code = 10;
                break;
            }
    }
    if (code == 0)
        return std::nullopt;
    // Seen from below, an entity's own x runs against the world's.
    const bool mirrored = rule->ocs && e.number(230, 1.0) < 0.0;
    EmbeddedApplication::EntityPlace place;
    place.x = point.number(code) * (mirrored ? -1.0 : 1.0);
    place.y = point.number(code + 10);
    if (e.isBlockReference()) {
        place.block = true;
        const double stored = e.number(50, 0.0);
        place.degrees = fullTurn(mirrored ? 180.0 - stored : stored);
        place.scaleX = e.number(41, 1.0);
        place.scaleY = e.number(42, 1.0);
    }
    return place;
}

// Gives a block reference another scale; its attributes keep their place
// in the block, their height and width following the scale.
bool scaleReference(dxf::Entity e, double scaleX, double scaleY)
{
    const double oldX = e.number(41, 1.0), oldY = e.number(42, 1.0);
    if (scaleX == 0.0 || scaleY == 0.0 || oldX == 0.0 || oldY == 0.0)
        return false;
    if (scaleX == oldX && scaleY == oldY)
        return false;
    const double rx = scaleX / oldX, ry = scaleY / oldY;
    // In the reference's own coordinates: about its insertion point, along
    // its turned axes.
    const double px = e.number(10), py = e.number(20);
    const double c = std::cos(e.number(50) * kDegree), s = std::sin(e.number(50) * kDegree);
    for (auto attribute : e.children()) {
        if (attribute.typeName() != "ATTRIB")
            continue;
        const std::vector<dxf::Group> groups = attribute.groups();
        struct Change {
            std::size_t index;
            double value;
        };
        std::vector<Change> changes;
        for (std::size_t i = 0; i < groups.size(); ++i) {
            if (groups[i].code != 10 && groups[i].code != 11)
                continue;
            for (std::size_t j = i + 1; j < groups.size(); ++j) {
                if (groups[j].code != groups[i].code + 10)
                    continue;
                const double vx = groups[i].number() - px, vy = groups[j].number() - py;
                const double along = (c * vx + s * vy) * rx, across = (c * vy - s * vx) * ry;
                changes.push_back({i, px + c * along - s * across});
                changes.push_back({j, py + s * along + c * across});
                break;
            }
        }
        for (const Change& change : changes)
            attribute.setGroupNumber(change.index, change.value);
        if (attribute.find(40))
            attribute.setNumber(40, attribute.number(40) * std::abs(ry));
        if (std::abs(rx) != std::abs(ry))
            attribute.setNumber(41, attribute.number(41, 1.0) * std::abs(rx / ry));
    }
    e.asBlockReference().setScale({scaleX, scaleY, e.number(43, 1.0)});
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
        if (base_ && dxf::ChangedSince(data_->doc, *base_))
            dxf::RollBack(data_->doc, *base_);
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

std::optional<EmbeddedApplication::EntityPlace> EmbeddedApplication::placeOf(std::size_t index) const
{
    if (!data_)
        return std::nullopt;
    const auto entities = entitiesAt(data_->doc, {index});
    if (entities.empty())
        return std::nullopt;
    return placeOfEntity(entities[0]);
}

bool EmbeddedApplication::setPlace(std::size_t index, const EntityPlace& place)
{
    return editStep(
        [&] {
            const auto entities = entitiesAt(data_->doc, {index});
            const auto from = entities.empty() ? std::nullopt : placeOfEntity(entities[0]);
            if (!from)
                return false;
            bool changed = false;
            if (from->block && (place.scaleX != from->scaleX || place.scaleY != from->scaleY)) {
                if (!scaleReference(entities[0], place.scaleX, place.scaleY))
                    return false;
                changed = true;
            }
            Placement how;
            how.baseX = from->x;
            how.baseY = from->y;
            how.dx = place.x - from->x;
            how.dy = place.y - from->y;
            how.degrees = from->block ? place.degrees - from->degrees : 0.0;
            if (how.dx != 0.0 || how.dy != 0.0 || std::fmod(how.degrees, 360.0) != 0.0) {
                placeEntity(entities[0], Rigid(how));
                changed = true;
            }
            return changed;
        },
        HostChange::Updated);
}

} // namespace lumo::cad::embedded
