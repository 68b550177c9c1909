#include "cad/embedded/view/properties_panel.h"

#include "cad/embedded/view/editor.h"
#include "cad/embedded/view/selection.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace lumo::view {

namespace ce = cad::embedded;

namespace {

const QString kPanelTitle = QStringLiteral("Właściwości");

QString kindName(const std::string& type)
{
    static const std::pair<const char*, const char*> names[] = {
        {"INSERT", "Blok"},
        {"LINE", "Linia"},
        {"TEXT", "Tekst"},
        {"MTEXT", "Tekst wielowierszowy"},
        {"CIRCLE", "Okrąg"},
        {"ARC", "Łuk"},
        {"LWPOLYLINE", "Polilinia"},
        {"POLYLINE", "Polilinia"},
        {"POINT", "Punkt"},
        {"ELLIPSE", "Elipsa"},
        {"SPLINE", "Krzywa"},
        {"SOLID", "Wypełnienie"},
        {"HATCH", "Kreskowanie"},
        {"DIMENSION", "Wymiar"},
    };
    for (const auto& [kind, name] : names)
        if (type == kind)
            return QString::fromUtf8(name);
    return QString::fromStdString(type);
}

// A number as the designer reads it: at most six decimals, no trailing
// zeros, the desktop's decimal separator (as the program's forms show them).
QString numberText(double value)
{
    if (std::abs(value) < 5e-7)
        value = 0.0; // no "-0"
    QString text = QString::number(value, 'f', 6);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text.replace(QLatin1Char('.'), QLocale().decimalPoint());
}

} // namespace

std::optional<double> ReadTypedNumber(const QString& text)
{
    QString t = text.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

PropertiesPanel::PropertiesPanel(Editor* editor, std::shared_ptr<ce::EmbeddedApplication> host, QWidget* parent)
    : QDockWidget(kPanelTitle, parent), editor_(editor), host_(std::move(host))
{
    setObjectName(QStringLiteral("properties"));
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 4, 4, 4);
    nothing_ = new QLabel(QStringLiteral("Nic nie zaznaczono"), body);
    nothing_->setObjectName(QStringLiteral("nothingSelected"));
    nothing_->setAlignment(Qt::AlignCenter);
    nothing_->setStyleSheet(QStringLiteral("color: gray;"));
    layout->addWidget(nothing_);

    details_ = new QWidget(body);
    form_ = new QFormLayout(details_);
    form_->setContentsMargins(0, 0, 0, 0);
    kind_ = new QLabel(details_);
    kind_->setObjectName(QStringLiteral("kind"));
    form_->addRow(QStringLiteral("Rodzaj:"), kind_);
    layer_ = new QComboBox(details_);
    layer_->setObjectName(QStringLiteral("layer"));
    form_->addRow(QStringLiteral("Warstwa:"), layer_);
    const char* labels[] = {"X:", "Y:", "Obrót [°]:", "Skala X:", "Skala Y:"};
    const char* names[] = {"x", "y", "rotation", "scaleX", "scaleY"};
    for (int f = X; f <= ScaleY; ++f) {
        auto* edit = new QLineEdit(details_);
        edit->setObjectName(QString::fromLatin1(names[f]));
        form_->addRow(QString::fromUtf8(labels[f]), edit);
        fields_[f] = edit;
        connect(edit, &QLineEdit::editingFinished, this, [this, f] { placeEdited(Field(f)); });
    }
    layout->addWidget(details_);
    attributesBox_ = new QGroupBox(QStringLiteral("Atrybuty"), body);
    attributesForm_ = new QFormLayout(attributesBox_);
    layout->addWidget(attributesBox_);
    layout->addStretch(1);
    // A head of many attributes scrolls rather than crowding out the layers.
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(body);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    // As wide as its fields want, not as narrow as a scroll area may be.
    scroll->setMinimumWidth(body->sizeHint().width() + scroll->verticalScrollBar()->sizeHint().width());
    setWidget(scroll);

    connect(layer_, &QComboBox::activated, this, &PropertiesPanel::layerChosen);
    connect(editor_, &Editor::selectionChanged, this, &PropertiesPanel::refresh);
    connect(editor_, &Editor::editableChanged, this, &PropertiesPanel::refresh);
    complain_ = [this](const QString& why) { QMessageBox::warning(this, kPanelTitle, why); };
    refresh();
}

bool PropertiesPanel::editable() const
{
    return editor_->editable() && !editor_->busy();
}

QLineEdit* PropertiesPanel::attributeField(const QString& tag) const
{
    for (const AttributeRow& row : attributes_)
        if (row.tag == tag)
            return row.edit;
    return nullptr;
}

void PropertiesPanel::refresh()
{
    const auto chosen = editor_->selection();
    const auto drawing = host_->drawing();
    const bool any = !chosen.empty() && drawing;
    nothing_->setVisible(!any);
    details_->setVisible(any);
    details_->setEnabled(editable());
    attributesBox_->setEnabled(editable());
    if (!any) {
        attributesBox_->setVisible(false);
        shownSelection_.clear();
        return;
    }
    const bool sameSelection = chosen == shownSelection_;
    if (!sameSelection)
        shown_ = {}; // what was typed for another selection goes
    shownSelection_ = chosen;

    // One pass over the selected entities (indices ascending).
    std::vector<std::string> layers;
    std::string type, blockName;
    std::vector<std::pair<QString, QString>> attributes;
    drawing.forEachModelSpace(chosen.front(), [&](std::size_t index, const ce::DrawingEntity& e) {
        if (index > chosen.back())
            return false;
        if (!std::binary_search(chosen.begin(), chosen.end(), index))
            return true;
        layers.push_back(e.layer());
        if (chosen.size() == 1) {
            type = e.type();
            if (type == "INSERT") {
                blockName = e.text(2);
                for (const auto& child : e.children())
                    if (child.type() == "ATTRIB")
                        attributes.push_back(
                            {QString::fromStdString(child.text(2)), QString::fromStdString(child.text(1))});
            }
        }
        return true;
    });
    if (layers.size() != chosen.size()) {
        // (a selection the drawing no longer has: shown as none)
        nothing_->setVisible(true);
        details_->setVisible(false);
        attributesBox_->setVisible(false);
        return;
    }
    showLayers(layers);
    const bool one = chosen.size() == 1;
    if (one)
        kind_->setText(blockName.empty() ? kindName(type)
                                         : QStringLiteral("%1 %2").arg(kindName(type),
                                                                       QString::fromStdString(blockName)));
    else
        kind_->setText(ObjectCount(chosen.size()));
    if (one)
        showPlace(chosen.front());
    else
        for (int f = X; f <= ScaleY; ++f)
            form_->setRowVisible(fields_[f], false);
    showAttributes(attributes, sameSelection);
}

void PropertiesPanel::showLayers(const std::vector<std::string>& selected)
{
    auto same = [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; };
    QStringList names;
    for (const auto& layer : host_->drawing().layers())
        names << QString::fromStdString(layer.name);
    const QString first = selected.empty() ? QString() : QString::fromStdString(selected.front());
    mixedLayers_ = std::any_of(selected.begin(), selected.end(),
                               [&](const std::string& l) { return !same(QString::fromStdString(l), first); });
    // An entity may lie on a layer the drawing's table lacks: it shows too.
    if (!mixedLayers_ && std::none_of(names.begin(), names.end(), [&](const QString& n) { return same(n, first); }))
        names << first;
    if (mixedLayers_)
        names.prepend(QString::fromUtf8(kMixedLayers));
    const QSignalBlocker blocker(layer_);
    layer_->clear();
    layer_->addItems(names);
    int current = 0;
    if (!mixedLayers_)
        for (int i = 0; i < names.size(); ++i)
            if (same(names[i], first))
                current = i;
    layer_->setCurrentIndex(current);
}

void PropertiesPanel::showPlace(std::size_t entity)
{
    const auto place = host_->placeOf(entity);
    form_->setRowVisible(fields_[X], bool(place));
    form_->setRowVisible(fields_[Y], bool(place));
    const bool block = place && place->block;
    for (const Field f : {Rotation, ScaleX, ScaleY})
        form_->setRowVisible(fields_[f], block);
    if (!place)
        return;
    show(X, numberText(place->x));
    show(Y, numberText(place->y));
    if (block) {
        show(Rotation, numberText(place->degrees));
        show(ScaleX, numberText(place->scaleX));
        show(ScaleY, numberText(place->scaleY));
    }
}

void PropertiesPanel::show(Field f, const QString& text)
{
    // A field is left alone while it holds what it was given: what the
    // designer is typing there stays.
    if (text == shown_[f])
        return;
    shown_[f] = text;
    fields_[f]->setText(text);
    fields_[f]->setCursorPosition(0);
}

void PropertiesPanel::showAttributes(const std::vector<std::pair<QString, QString>>& attributes, bool sameEntity)
{
    bool sameTags = sameEntity && attributes.size() == attributes_.size();
    for (std::size_t i = 0; sameTags && i < attributes.size(); ++i)
        sameTags = attributes[i].first == attributes_[i].tag;
    if (!sameTags) {
        // New rows show with the box (a row's own signal may be what
        // brought the panel here: the old ones go later).
        attributesBox_->setVisible(false);
        while (attributesForm_->rowCount() > 0) {
            const auto row = attributesForm_->takeRow(0);
            for (QLayoutItem* item : {row.labelItem, row.fieldItem}) {
                if (item && item->widget()) {
                    item->widget()->hide();
                    item->widget()->deleteLater();
                }
                delete item;
            }
        }
        attributes_.clear();
        for (const auto& [tag, value] : attributes) {
            auto* edit = new QLineEdit(attributesBox_);
            edit->setObjectName(tag);
            attributesForm_->addRow(tag + QLatin1Char(':'), edit);
            attributes_.push_back({tag, edit, QString()});
            connect(edit, &QLineEdit::editingFinished, this, [this, edit] { attributeEdited(edit); });
        }
    }
    for (std::size_t i = 0; i < attributes.size(); ++i) {
        AttributeRow& row = attributes_[i];
        if (sameTags && row.shown == attributes[i].second)
            continue;
        row.shown = attributes[i].second;
        row.edit->setText(row.shown);
        row.edit->setCursorPosition(0);
    }
    attributesBox_->setVisible(!attributes.empty());
}

void PropertiesPanel::layerChosen(int index)
{
    const auto chosen = editor_->selection();
    if (chosen.empty() || !editable() || (mixedLayers_ && index == 0)) {
        refresh();
        return;
    }
    host_->setLayer(chosen, layer_->itemText(index).toStdString());
    refresh();
}

void PropertiesPanel::placeEdited(Field f)
{
    QLineEdit* edit = fields_[f];
    if (complaining_ || edit->text() == shown_[f])
        return;
    const auto chosen = editor_->selection();
    const auto place = chosen.size() == 1 && editable() ? host_->placeOf(chosen.front()) : std::nullopt;
    if (!place) {
        edit->setText(shown_[f]);
        return;
    }
    const auto value = ReadTypedNumber(edit->text());
    if (!value) {
        complain(edit, shown_[f],
                 QStringLiteral("„%1” nie jest liczbą (np. 12,5 lub 12.5). Nic nie zmieniono.").arg(edit->text()));
        return;
    }
    auto to = *place;
    switch (f) {
    case X: to.x = *value; break;
    case Y: to.y = *value; break;
    case Rotation: to.degrees = *value; break;
    case ScaleX: to.scaleX = *value; break;
    case ScaleY: to.scaleY = *value; break;
    }
    if ((f == ScaleX || f == ScaleY) && *value == 0.0) {
        complain(edit, shown_[f], QStringLiteral("Skala nie może być zerem. Nic nie zmieniono."));
        return;
    }
    host_->setPlace(chosen.front(), to);
    refresh();
}

void PropertiesPanel::attributeEdited(QLineEdit* edit)
{
    const auto row = std::find_if(attributes_.begin(), attributes_.end(),
                                  [edit](const AttributeRow& r) { return r.edit == edit; });
    if (complaining_ || row == attributes_.end() || edit->text() == row->shown)
        return;
    const auto chosen = editor_->selection();
    if (chosen.size() != 1 || !editable()) {
        edit->setText(row->shown);
        return;
    }
    if (const auto& check = editor_->attributeCheck()) {
        if (const QString why = check(row->tag, edit->text()); !why.isEmpty()) {
            complain(edit, row->shown, why);
            return;
        }
    }
    host_->setAttributes(chosen.front(), {{row->tag.toStdString(), edit->text().toStdString()}});
    refresh();
}

void PropertiesPanel::complain(QLineEdit* edit, const QString& shown, const QString& why)
{
    // The field shows the drawing's value again before the message takes
    // the focus away (which would finish the editing once more).
    complaining_ = true;
    edit->setText(shown);
    complain_(why);
    complaining_ = false;
    edit->setFocus();
    edit->selectAll();
}

} // namespace lumo::view
