#include "report.h"
#include "texts.h"

namespace cli {

bool showsProgress(bool stderrIsTerminal, bool quiet, std::size_t pictures)
{
    return stderrIsTerminal && !quiet && pictures >= kProgressFromPictures;
}

QString progressLine(std::size_t done, std::size_t total)
{
    return Texts::tr("converting: %1 of %2").arg(done).arg(total);
}

QString summaryLine(std::size_t total, std::size_t failed)
{
    if (failed == 0)
        return Texts::tr("%1 pictures converted").arg(total);
    return Texts::tr("%1 pictures: %2 converted, %3 failed")
        .arg(total)
        .arg(total - failed)
        .arg(failed);
}

ExitStatus exitStatus(std::size_t failed)
{
    return failed == 0 ? kAllConverted : kSomeFailed;
}

} // namespace cli
