// The plain text of a drawing's texts as the window shows them.
#pragma once

#include <QString>

namespace lumo::view {

// MTEXT's inline formatting removed: paragraphs become '\n', stacked
// fractions "a/b", everything else (fonts, heights, colours) is dropped.
QString plainMText(const QString& text);
// The %%-codes of single-line text: degree, diameter, plus-minus, percent.
QString plainText(const QString& text);

} // namespace lumo::view
