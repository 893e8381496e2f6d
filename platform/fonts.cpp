#include "fonts.h"

#include <QStringList>

namespace platform {

QFont japaneseFont(int pointSize, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                      QStringLiteral("IPAPGothic"), QStringLiteral("IPA Pゴシック"),
                      QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Noto Sans JP")});
    font.setPointSize(pointSize);
    font.setBold(bold);
    return font;
}

} // namespace platform
