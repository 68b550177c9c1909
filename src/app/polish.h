// The program speaks Polish on every desktop, whatever language the system
// is set to (a fresh installation often has none but C.UTF-8): dates and
// numbers in the Polish way, Qt's own buttons, dialogs and calendar in
// Polish, and the embedded host's prompts in Polish.
#pragma once

#include <QTranslator>

namespace lumo {

// Key names in shortcuts as they are printed on the keys ("Home", "End",
// "PgUp"), not Qt's Polish words for them ("Katalog domowy").
class KeyNamesTranslator : public QTranslator {
public:
    using QTranslator::QTranslator;
    QString translate(const char* context, const char* sourceText, const char* disambiguation = nullptr,
                      int n = -1) const override;
    bool isEmpty() const override { return false; }
};

// Makes Polish the program's locale and installs Qt's Polish texts (when
// the system has them) with the key names above. Call once, after the
// application object exists.
void SpeakPolish();

} // namespace lumo
