// The words the core gives its errors. They are written in English and shown in the user's
// language where a translation is loaded: the window always loads the Japanese one, the command
// line when the user's locale is Japanese. Translations live in resources/translations.
#pragma once

#include <QCoreApplication>
#include <QLocale>

namespace core {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(core)
};

// Loads the program's translation for `locale`, and Qt's own for its dialogs and errors, into
// the running application. False when the program has none for that language (English).
bool installTranslations(const QLocale &locale);

} // namespace core
