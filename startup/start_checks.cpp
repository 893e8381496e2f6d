#include "start_checks.h"

#include <QRegularExpression>

namespace startup {

QString versionText(const platform::Version &version)
{
    return QStringLiteral("ﾊﾞｰｼﾞｮﾝ %1.%2.%3")
        .arg(version.major)
        .arg(version.minor)
        .arg(version.revision);
}

DisplayVerdict checkDisplay(int bitsPerPixel, int width)
{
    if (bitsPerPixel < 24)
        return DisplayVerdict::TooFewColours;
    if (width < 800)
        return DisplayVerdict::TooNarrow;
    return DisplayVerdict::Passes;
}

QString displayWarning(DisplayVerdict verdict)
{
    switch (verdict) {
    case DisplayVerdict::TooFewColours:
        return QStringLiteral("カラーパレットをフルカラー（２４ビット）に設定して下さい。");
    case DisplayVerdict::TooNarrow:
        return QStringLiteral("画面領域をＳＶＧＡ（８００×６００）以上に設定して下さい。");
    case DisplayVerdict::Passes:
        break;
    }
    return {};
}

QString breakAtBlankRuns(const QString &text)
{
    static const QRegularExpression blankRun(QStringLiteral(" {2,}"));
    QString out = text;
    return out.replace(blankRun, QStringLiteral("\n"));
}

} // namespace startup
