#include "core/texts.h"

#include <QLibraryInfo>
#include <QTranslator>

namespace core {

bool installTranslations(const QLocale &locale)
{
    // Installed for the rest of the program's life.
    static QTranslator ours;
    static QTranslator qts;
    if (!ours.load(locale, QStringLiteral("varnello"), QStringLiteral("_"),
                   QStringLiteral(":/i18n")))
        return false;
    QCoreApplication::installTranslator(&ours);
    // Without Qt's translations (a separate package) its words stay English.
    if (qts.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qts);
    return true;
}

} // namespace core
