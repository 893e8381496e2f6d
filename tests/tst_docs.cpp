// The README and the pages in docs/ as a reader meets them: each within its size, each link
// leading to a file and a heading that exist, and no page or picture that nothing links to.
#include <QtTest>

namespace {

const QString root = QStringLiteral(SOURCE_DIR);

// The heading's anchor as the repository's web view makes it.
QString anchorOf(const QString &heading)
{
    QString anchor;
    for (const QChar c : heading.toLower())
        if (c.isLetterOrNumber() || c == u'-' || c == u'_')
            anchor += c;
        else if (c == u' ')
            anchor += u'-';
    return anchor;
}

struct Page
{
    QString text;        // outside code blocks
    QStringList anchors; // of its headings
    QStringList links;   // as written: a path, a path#anchor or #anchor
};

Page read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    Page page;
    bool inCode = false;
    static const QRegularExpression link(QStringLiteral(R"(\]\(([^)\s]+)\))"));
    for (const QString &line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        if (line.startsWith(u"```"))
            inCode = !inCode;
        if (inCode)
            continue;
        page.text += line + u'\n';
        if (line.startsWith(u'#'))
            page.anchors << anchorOf(line.section(u' ', 1));
        for (const auto &match : link.globalMatch(line))
            if (!match.captured(1).contains(u"://"))
                page.links << match.captured(1);
    }
    return page;
}

QStringList pages()
{
    QStringList all{root + "/README.md"};
    for (const QString &name : QDir(root + "/docs").entryList({"*.md"}, QDir::Files, QDir::Name))
        all << root + "/docs/" + name;
    return all;
}

} // namespace

class tst_Docs : public QObject
{
    Q_OBJECT

private slots:
    void everyLinkLeadsSomewhere_data()
    {
        QTest::addColumn<QString>("path");
        for (const QString &path : pages())
            QTest::newRow(qPrintable(QDir(root).relativeFilePath(path))) << path;
    }

    void everyLinkLeadsSomewhere()
    {
        QFETCH(QString, path);
        const Page page = read(path);
        QVERIFY(!page.text.isEmpty());
        // A newcomer reads the README in minutes; no page is a book.
        const qint64 limit = path.endsWith(u"/README.md") ? 15000 : 40000;
        QVERIFY2(QFileInfo(path).size() <= limit,
                 qPrintable(QString::number(QFileInfo(path).size())));
        for (const QString &link : page.links) {
            const QString file = link.section(u'#', 0, 0);
            const QString anchor = link.section(u'#', 1);
            const QString target =
                file.isEmpty() ? path : QFileInfo(path).dir().absoluteFilePath(file);
            QVERIFY2(QFileInfo::exists(target), qPrintable(link));
            if (!anchor.isEmpty())
                QVERIFY2(read(target).anchors.contains(anchor), qPrintable(link));
        }
    }

    // Every page and every picture of docs/ is linked from another page.
    void nothingIsUnlinked()
    {
        QSet<QString> linked;
        for (const QString &path : pages())
            for (const QString &link : read(path).links)
                if (const QString file = link.section(u'#', 0, 0); !file.isEmpty())
                    linked << QFileInfo(QFileInfo(path).dir().absoluteFilePath(file))
                                  .canonicalFilePath();
        for (const QFileInfo &file : QDir(root + "/docs").entryInfoList(QDir::Files))
            QVERIFY2(linked.contains(file.canonicalFilePath()), qPrintable(file.fileName()));
    }
};

QTEST_GUILESS_MAIN(tst_Docs)
#include "tst_docs.moc"
