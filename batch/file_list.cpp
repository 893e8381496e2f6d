#include "file_list.h"

namespace batch {

namespace {

// Positions count from 1, and 0 means none, as the fields hold them.
std::int32_t firstNul(const QString &list)
{
    return std::int32_t(list.indexOf(QChar(u'\0')) + 1);
}

} // namespace

void startFileList(AutoFields &f, const QString &fileName, QChar separator)
{
    f.FileList = fileName;
    f.NulPos = firstNul(f.FileList);
    if (f.NulPos == 0) {
        f.CurFile = f.FileList;
        f.LastFlag = 1;
        return;
    }
    f.DirPart = f.FileList.left(f.NulPos - 1);
    if (f.DirPart.endsWith(separator))
        f.DirPart = f.FileList.left(f.NulPos - 2);
    takeNextName(f, separator);
}

void takeNextName(AutoFields &f, QChar separator)
{
    f.PrevPos = f.NulPos;
    f.FileList[f.PrevPos - 1] = QLatin1Char(',');
    f.NulPos = firstNul(f.FileList);
    if (f.NulPos == 0) {
        f.NamePart = f.FileList.mid(f.PrevPos);
        f.LastFlag = 1;
    } else {
        f.NamePart = f.FileList.mid(f.PrevPos, f.NulPos - f.PrevPos - 1);
    }
    f.CurFile = f.DirPart + separator + f.NamePart;
}

} // namespace batch
