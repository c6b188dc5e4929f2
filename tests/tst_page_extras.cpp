// Page extras: the text shown in the editor, the multi-picture file, the search engine
// list, the path and quote helpers and the rendering of an XML tree.

#include "pages/page_extras.h"
#include "platform/dialogs.h"
#include "testhelper.h"

#include <QtTest>

#include <libxml/parser.h>
#include <libxml/tree.h>

namespace {

QImage picture(int width, int height, int seed)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int x = 0; x < width; ++x)
        for (int y = 0; y < height; ++y)
            image.setPixel(x, y, qRgb((x * 40 + seed) % 256, (y * 70 + seed * 3) % 256, (seed * 50) % 256));
    return image;
}

bool samePixels(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return false;
    for (int x = 0; x < a.width(); ++x)
        for (int y = 0; y < a.height(); ++y)
            if ((a.pixel(x, y) & 0xFFFFFF) != (b.pixel(x, y) & 0xFFFFFF))
                return false;
    return true;
}

} // namespace

class TestPageExtras : public QObject
{
    Q_OBJECT

private slots:
    void getString_data();
    void getString();
    void escapeQuotes_data();
    void escapeQuotes();

    void pictureFile();
    void pictureFileLayout();
    void pictureCountRounding();

    void searchEngines();
    void textInEditor();
    void textEditorCommand_data();
    void textEditorCommand();
    void domRendering();
};

void TestPageExtras::getString_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("result");
    QTest::newRow("mode 1") << "a/b/c" << 1 << "a/X/c";
    QTest::newRow("mode 2") << "a/b/c" << 2 << "a/X/c";
    QTest::newRow("mode 0") << "a/b/c" << 0 << "X/b/c";
    QTest::newRow("mode 1 long") << "a/b/c/d" << 1 << "a/b/X/d";
    QTest::newRow("one segment mode 1") << "a" << 1 << "a";
    QTest::newRow("one segment mode 2") << "a" << 2 << "a";
    QTest::newRow("one segment mode 7") << "a" << 7 << "X";
}

void TestPageExtras::getString()
{
    QFETCH(QString, path);
    QFETCH(int, mode);
    QFETCH(QString, result);
    QCOMPARE(PageExtras::GetString(path, "unused", "X", mode), result);
}

void TestPageExtras::escapeQuotes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("result");
    QTest::newRow("quote blank") << "it' s" << "it \\' s";
    QTest::newRow("no blank after") << "it's" << "it's";
    QTest::newRow("backslash before") << "a\\' b" << "a\\ \\' b";
    QTest::newRow("two") << "a' b' c" << "a \\' b \\' c";
}

void TestPageExtras::escapeQuotes()
{
    QFETCH(QString, text);
    QFETCH(QString, result);
    QCOMPARE(PageExtras::EscapeQuotes(text), result);
}

void TestPageExtras::pictureFile()
{
    TestProgramFolder folder;
    const QString file = folder.file("pics.bmp");
    const QImage p0 = picture(5, 3, 1), p1 = picture(5, 3, 2), p2 = picture(5, 3, 3), p3 = picture(5, 3, 4);

    QVERIFY(PageExtras::PutPic(p0, file, 0));
    QCOMPARE(PageExtras::GetNumPics(file), 1);
    QImage plain;
    QVERIFY(plain.load(file, "BMP"));   // an ordinary bitmap file
    QVERIFY(samePixels(plain, p0));

    QVERIFY(PageExtras::PutPic(p1, file, 0));
    QVERIFY(PageExtras::PutPic(p2, file, 0));
    QCOMPARE(PageExtras::GetNumPics(file), 3);
    const qint64 size = QFileInfo(file).size();

    // Number 1 overwrites the first appended picture in place; 3 or more appends.
    QVERIFY(PageExtras::PutPic(p3, file, 1));
    QCOMPARE(QFileInfo(file).size(), size);
    QCOMPARE(PageExtras::GetNumPics(file), 3);
    QVERIFY(PageExtras::PutPic(p1, file, 3));
    QCOMPARE(PageExtras::GetNumPics(file), 4);

    QImage got;
    QVERIFY(PageExtras::GetPic(got, file, 0));
    QVERIFY(samePixels(got, p0));
    QVERIFY(PageExtras::GetPic(got, file, 1));
    QVERIFY(samePixels(got, p3));
    QVERIFY(PageExtras::GetPic(got, file, 2));
    QVERIFY(samePixels(got, p2));
    QVERIFY(PageExtras::GetPic(got, file, 3));
    QVERIFY(samePixels(got, p1));
    QVERIFY(!PageExtras::GetPic(got, file, 4));

    // A picture of another size does not fit the file.
    QVERIFY(!PageExtras::PutPic(picture(4, 3, 0), file, 0));
    QCOMPARE(PageExtras::GetNumPics(file), 4);
    QCOMPARE(PageExtras::GetNumPics(folder.file("missing.bmp")), 0);
}

void TestPageExtras::pictureFileLayout()
{
    TestProgramFolder folder;
    const QString file = folder.file("layout.bmp");
    QImage p0(2, 2, QImage::Format_RGB32);
    p0.fill(Qt::black);
    QVERIFY(PageExtras::PutPic(p0, file, 0));
    const qint64 start = QFileInfo(file).size();
    QImage p1(2, 2, QImage::Format_RGB32);
    p1.setPixel(0, 0, qRgb(1, 2, 3));
    p1.setPixel(0, 1, qRgb(4, 5, 6));
    p1.setPixel(1, 0, qRgb(7, 8, 9));
    p1.setPixel(1, 1, qRgb(10, 11, 12));
    QVERIFY(PageExtras::PutPic(p1, file, 0));
    // Column by column, each colour as red, green, blue, 0.
    QCOMPARE(folder.readFile("layout.bmp").mid(start), QByteArray("\1\2\3\0\4\5\6\0\7\10\11\0\12\13\14\0", 16));
}

void TestPageExtras::pictureCountRounding()
{
    TestProgramFolder folder;
    const QString file = folder.file("round.bmp");
    QVERIFY(PageExtras::PutPic(picture(2, 2, 0), file, 0));
    QFile f(file);
    QVERIFY(f.open(QIODevice::Append));
    // Half a picture more: 0.5 rounds to 0 (even); one and a half: 1.5 rounds to 2.
    f.write(QByteArray(8, 'x'));
    f.flush();
    QCOMPARE(PageExtras::GetNumPics(file), 1);
    f.write(QByteArray(16, 'x'));
    f.flush();
    QCOMPARE(PageExtras::GetNumPics(file), 3);
    f.close();

    // A bitmap whose size is not positive holds no pictures.
    QByteArray bytes = folder.readFile("round.bmp");
    bytes[14 + 8] = char(0xFE);
    bytes[14 + 9] = bytes[14 + 10] = bytes[14 + 11] = char(0xFF);
    folder.writeFile("topdown.bmp", bytes);
    QCOMPARE(PageExtras::GetNumPics(folder.file("topdown.bmp")), 0);
}

void TestPageExtras::searchEngines()
{
    TestProgramFolder folder;
    PageExtras extras;
    QCOMPARE(extras.LoadSearchEngines(), -1);
    folder.writeFile("engines.dat", "Web|http://search.example/?q=\r\n\r\nNo bar here\r\nPipes|a|b\n");
    QCOMPARE(extras.LoadSearchEngines(), 1);
    QCOMPARE(extras.searchEngines().at(0).name, QString("Web"));
    QCOMPARE(extras.searchEngines().at(0).address, QString("http://search.example/?q="));
    QCOMPARE(extras.searchEngines().at(1).name, QString("Pipes"));
    QCOMPARE(extras.searchEngines().at(1).address, QString("a|b"));
}

void TestPageExtras::textInEditor()
{
    TestProgramFolder folder;
    PageExtras extras;
    QList<QUrl> opened;
    auto saved = PageExtras::fileOpener();
    PageExtras::fileOpener() = [&](const QUrl &url) {
        opened << url;
        return true;
    };
    QVERIFY(extras.ShowTextInNotepad("<body>Café</body>"));
    QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(folder.file("TempFile.tmp"))});
    // The file stays for the editor to read.
    QCOMPARE(folder.readFile("TempFile.tmp"), QString("<body>Café</body>\r\n").toUtf8());
    QVERIFY(DialogScript::shown().isEmpty());

    PageExtras::fileOpener() = [](const QUrl &) { return false; };
    QVERIFY(!extras.ShowTextInNotepad("x"));
    QCOMPARE(DialogScript::shown().size(), 1);
    QVERIFY(DialogScript::last().prompt.contains("TempFile.tmp"));
    PageExtras::fileOpener() = saved;

    PageExtras::RemoveTextFile();
    QVERIFY(!QFile::exists(folder.file("TempFile.tmp")));
    QVERIFY(PageExtras::MakeXMLFile("<a/>", "made"));
    QCOMPARE(folder.readFile("made.xml"), QByteArray("<a/>\r\n"));
}

void TestPageExtras::textEditorCommand_data()
{
    QTest::addColumn<QString>("exec");
    QTest::addColumn<QStringList>("command");
    const QString file = "/home/u/My Links/TempFile.tmp";
    QTest::newRow("file code") << "gedit %U" << QStringList{"gedit", "file:///home/u/My%20Links/TempFile.tmp"};
    QTest::newRow("path code") << "kate -b %F" << QStringList{"kate", "-b", file};
    QTest::newRow("no code") << "/usr/bin/mousepad" << QStringList{"/usr/bin/mousepad", file};
    QTest::newRow("other codes dropped")
        << "\"/opt/My Editor/edit\" --name=%c %i %f" << QStringList{"/opt/My Editor/edit", "--name=", file};
    QTest::newRow("percent kept") << "ed --width=100%% %f" << QStringList{"ed", "--width=100%", file};
    QTest::newRow("empty") << "" << QStringList{};
}

void TestPageExtras::textEditorCommand()
{
    QFETCH(QString, exec);
    QFETCH(QStringList, command);
    QCOMPARE(PageExtras::TextEditorCommand(exec, "/home/u/My Links/TempFile.tmp"), command);
}

void TestPageExtras::domRendering()
{
    const QByteArray xml = "<?xml version=\"1.0\"?>\n"
                           "<!DOCTYPE rss [<!ENTITY co \"Company\"><!ENTITY logo SYSTEM \"logo.gif\" NDATA gif>"
                           "<!NOTATION gif SYSTEM \"image/gif\">]>\n"
                           "<rss version=\"2.0\"><?render fast?><!-- feed -->"
                           "<channel><title>Main</title>"
                           "<item><title>One &co;</title><description><![CDATA[<b>first</b>]]></description>"
                           "<link>http://one.example/</link></item>"
                           "<item><title>Two</title><link>http://two.example/</link></item>"
                           "</channel></rss>";
    xmlDocPtr doc = xmlReadMemory(xml.constData(), int(xml.size()), "feed.xml", nullptr, XML_PARSE_NONET);
    QVERIFY(doc);
    PageExtras extras;
    extras.setDocumentText("#document");
    const QStringList lines = extras.DisplayDomNode(QString(), reinterpret_cast<_xmlNode *>(doc)).split('\n');
    xmlFreeDoc(doc);

    QCOMPARE(lines.value(0), QString("#document"));
    QCOMPARE(lines.value(1), QString("DOCTYPE rss"));
    QVERIFY(lines.contains("<!ENTITY co>"));
    QVERIFY(lines.contains("<!ENTITY logo SYSTEM 'logo.gif' NDATA gif>"));
    QVERIFY(lines.contains("rss version='2.0'"));
    QVERIFY(lines.contains("<?render fast?>"));
    QVERIFY(lines.contains("<!-- feed -->"));
    QVERIFY(lines.contains("&co;"));
    QVERIFY(lines.contains("<b>first</b>"));
    // Only titles inside items are feed items.
    QCOMPARE(extras.feedTitles(), QString("|One Company|Two"));
    QCOMPARE(extras.feedDescriptions(), QString("|<b>first</b>"));
    QCOMPARE(extras.feedLinks(), QString("|http://one.example/|http://two.example/"));
}

QTEST_MAIN(TestPageExtras)
#include "tst_page_extras.moc"
