#include "pages/page_extras.h"

#include "platform/dialogs.h"
#include "platform/programfolder.h"
#include "shared/database.h"
#include "shared/fileroutines.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTextStream>

#include <libxml/entities.h>
#include <libxml/tree.h>

#include <cmath>

namespace {

const char *const kTextFile = "TempFile.tmp";

struct BitmapHeader {
    qint64 fileSizeField = 0;   // the size the bitmap file header records
    qint32 width = 0;
    qint32 height = 0;
};

quint32 le32(const QByteArray &bytes, int at)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData()) + at;
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

bool readHeader(QFile &file, BitmapHeader &header)
{
    if (!file.seek(0))
        return false;
    const QByteArray bytes = file.read(14 + 40);
    if (bytes.size() < 14 + 12 || bytes.at(0) != 'B' || bytes.at(1) != 'M')
        return false;
    header.fileSizeField = le32(bytes, 2);
    header.width = qint32(le32(bytes, 14 + 4));
    header.height = qint32(le32(bytes, 14 + 8));
    return true;
}

qint64 pictureSize(const BitmapHeader &header)
{
    return qint64(header.width) * header.height * 4;
}

QString text(const xmlChar *value)
{
    return value ? QString::fromUtf8(reinterpret_cast<const char *>(value)) : QString();
}

QString contentOf(xmlNodePtr node)
{
    xmlChar *content = xmlNodeGetContent(node);
    const QString result = text(content);
    xmlFree(content);
    return result;
}

QString externalIds(const xmlChar *publicId, const xmlChar *systemId)
{
    if (publicId)
        return QLatin1String(" PUBLIC '") + text(publicId) + QLatin1String("' '") + text(systemId) + QLatin1Char('\'');
    if (systemId)
        return QLatin1String(" SYSTEM '") + text(systemId) + QLatin1Char('\'');
    return QString();
}

} // namespace

QStringList PageExtras::TextEditorCommand(const QString &exec, const QString &path)
{
    const QString url = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
    QStringList command;
    bool fileGiven = false;
    for (const QString &word : QProcess::splitCommand(exec)) {
        QString out;
        for (qsizetype i = 0; i < word.size(); ++i) {
            if (word.at(i) != QLatin1Char('%') || i + 1 == word.size()) {
                out += word.at(i);
                continue;
            }
            const QChar code = word.at(++i);
            if (code == QLatin1Char('%')) {
                out += code;
            } else if (code == QLatin1Char('f') || code == QLatin1Char('F')) {
                out += path;
                fileGiven = true;
            } else if (code == QLatin1Char('u') || code == QLatin1Char('U')) {
                out += url;
                fileGiven = true;
            }
            // Any other field code (%i, %c, %k, ...) gives nothing here.
        }
        if (!out.isEmpty())
            command.append(out);
    }
    if (!command.isEmpty() && !fileGiven)
        command.append(path);
    return command;
}

namespace {

// The Exec line of a desktop entry, or "" when the entry runs in a terminal or has none.
QString desktopEntryExec(const QString &entryPath)
{
    QFile file(entryPath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    QTextStream in(&file);
    in.setEncoding(QStringConverter::Utf8);
    bool inEntry = false;
    QString exec;
    QString line;
    while (in.readLineInto(&line)) {
        line = line.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inEntry)
            continue;
        if (line.startsWith(QLatin1String("Exec=")))
            exec = line.mid(5).trimmed();
        else if (line == QLatin1String("Terminal=true"))
            return QString();
    }
    return exec;
}

// Opens a file in the desktop's default application for plain text, so that a text holding
// a page's source is shown as text whatever its content looks like; else in the default
// application for the file.
bool openInTextEditor(const QUrl &url)
{
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"),
                                             QStringLiteral("text/plain")});
    if (query.waitForFinished(3000) && query.exitStatus() == QProcess::NormalExit && query.exitCode() == 0) {
        const QString id = QString::fromUtf8(query.readAllStandardOutput()).section(QLatin1Char('\n'), 0, 0).trimmed();
        const QString entry =
            id.isEmpty() ? QString() : QStandardPaths::locate(QStandardPaths::ApplicationsLocation, id);
        const QStringList command = PageExtras::TextEditorCommand(desktopEntryExec(entry), url.toLocalFile());
        if (!command.isEmpty() && QProcess::startDetached(command.first(), command.mid(1)))
            return true;
    }
    return QDesktopServices::openUrl(url);
}

} // namespace

std::function<bool(const QUrl &)> &PageExtras::fileOpener()
{
    static std::function<bool(const QUrl &)> opener = openInTextEditor;
    return opener;
}

bool PageExtras::ShowTextInNotepad(const QString &text)
{
    const QString path = GetAppPath() + QLatin1String(kTextFile);
    if (!WriteCrLfFile(path, {text})) {
        MsgBox(QStringLiteral("The text could not be written to %1.").arg(QDir::toNativeSeparators(path)), vbExclamation);
        return false;
    }
    // The editor reads the file after it has started: the file stays until the program ends.
    static bool removedAtExit = false;
    if (!removedAtExit && QCoreApplication::instance()) {
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit,
                         &PageExtras::RemoveTextFile);
        removedAtExit = true;
    }
    if (fileOpener()(QUrl::fromLocalFile(path)))
        return true;
    MsgBox(QStringLiteral("No text editor could be started to show the text.\n\nThe text is in %1.")
               .arg(QDir::toNativeSeparators(path)),
           vbExclamation);
    return false;
}

void PageExtras::RemoveTextFile()
{
    QFile::remove(GetAppPath() + QLatin1String(kTextFile));
}

bool PageExtras::PutPic(const QImage &picture, const QString &file, int number)
{
    if (picture.isNull())
        return false;
    if (!QFile::exists(file))
        return picture.save(file, "BMP");

    const int count = GetNumPics(file);
    if (number >= count)
        number = 0;
    QFile out(file);
    BitmapHeader header;
    if (!out.open(QIODevice::ReadWrite) || !readHeader(out, header))
        return false;
    // Every picture of a file has the size of its first one.
    if (picture.width() != header.width || picture.height() != header.height)
        return false;
    const qint64 at = number < 1 ? out.size() : header.fileSizeField + (number - 1) * pictureSize(header);
    if (!out.seek(at))
        return false;

    QByteArray pixels;
    pixels.reserve(int(pictureSize(header)));
    for (int x = 0; x < header.width; ++x) {
        for (int y = 0; y < header.height; ++y) {
            const QRgb rgb = picture.pixel(x, y);
            pixels.append(char(qRed(rgb)));
            pixels.append(char(qGreen(rgb)));
            pixels.append(char(qBlue(rgb)));
            pixels.append(char(0));
        }
    }
    return out.write(pixels) == pixels.size();
}

int PageExtras::GetNumPics(const QString &file)
{
    QFile in(file);
    BitmapHeader header;
    if (!in.open(QIODevice::ReadOnly) || !readHeader(in, header))
        return 0;
    if (header.width <= 0 || header.height <= 0)
        return 0;
    const double extra = double(in.size() - header.fileSizeField) / double(pictureSize(header));
    // Rounded to the nearest whole number, a half to the even one.
    return int(std::nearbyint(extra)) + 1;
}

bool PageExtras::GetPic(QImage &picture, const QString &file, int number)
{
    if (number == 0)
        return picture.load(file, "BMP");
    QFile in(file);
    BitmapHeader header;
    if (number < 0 || !in.open(QIODevice::ReadOnly) || !readHeader(in, header) || header.width <= 0
        || header.height <= 0)
        return false;
    if (!in.seek(header.fileSizeField + (number - 1) * pictureSize(header)))
        return false;
    const QByteArray pixels = in.read(pictureSize(header));
    if (pixels.size() != pictureSize(header))
        return false;
    QImage image(header.width, header.height, QImage::Format_RGB32);
    int at = 0;
    for (int x = 0; x < header.width; ++x) {
        for (int y = 0; y < header.height; ++y, at += 4) {
            const auto *p = reinterpret_cast<const uchar *>(pixels.constData()) + at;
            image.setPixel(x, y, qRgb(p[0], p[1], p[2]));
        }
    }
    picture = image;
    return true;
}

int PageExtras::LoadSearchEngines()
{
    m_engines.clear();
    QFile in(FindFileNoCase(GetAppPath(), QStringLiteral("engines.dat")));
    if (!in.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    QTextStream stream(&in);
    stream.setEncoding(QStringConverter::Utf8);
    QString line;
    while (stream.readLineInto(&line)) {
        if (line.isEmpty())
            continue;
        const qsizetype bar = line.indexOf(QLatin1Char('|'));
        if (bar < 0) {
            qWarning("engines.dat: a line without \"|\" was skipped: %s", qPrintable(line));
            continue;
        }
        m_engines.append({line.left(bar), line.mid(bar + 1)});
    }
    return int(m_engines.size()) - 1;
}

QString PageExtras::GetString(const QString &path, const QString &unused, const QString &replacement, int mode)
{
    Q_UNUSED(unused);
    QStringList segments = path.split(QLatin1Char('/'));
    const qsizetype index = mode == 1 ? segments.size() - 2 : mode == 2 ? 1 : 0;
    if (index < 0 || index >= segments.size())
        return path;
    segments[index] = replacement;
    return segments.join(QLatin1Char('/'));
}

QString PageExtras::EscapeQuotes(const QString &text)
{
    QString result = text;
    result.replace(QLatin1String("' "), QLatin1String(" \\' "));
    const QLatin1String doubled("\\\\' ");
    while (result.contains(doubled))
        result.replace(doubled, QLatin1String(" \\' "));
    return result;
}

bool PageExtras::MakeXMLFile(const QString &text, const QString &name)
{
    return WriteCrLfFile(GetAppPath() + name + QLatin1String(".xml"), {text});
}

QString PageExtras::RenderDomNode(_xmlNode *node) const
{
    if (!node)
        return QString();
    switch (node->type) {
    case XML_COMMENT_NODE:
        return QLatin1String("<!--") + contentOf(node) + QLatin1String("-->");
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
        return contentOf(node);
    case XML_DTD_NODE:
    case XML_DOCUMENT_TYPE_NODE:
        return QLatin1String("DOCTYPE ") + text(node->name);
    case XML_PI_NODE:
        return QLatin1String("<?") + text(node->name) + QLatin1Char(' ') + contentOf(node) + QLatin1String("?>");
    case XML_ENTITY_DECL: {
        const auto *entity = reinterpret_cast<xmlEntityPtr>(node);
        QString out = QLatin1String("<!ENTITY ") + text(entity->name)
            + externalIds(entity->ExternalID, entity->SystemID);
        // An unparsed entity keeps its notation name as its content.
        if (entity->etype == XML_EXTERNAL_GENERAL_UNPARSED_ENTITY && entity->content)
            out += QLatin1String(" NDATA ") + text(entity->content);
        return out + QLatin1Char('>');
    }
    case XML_NOTATION_NODE:
        return QLatin1String("<!NOTATION ") + text(node->name) + QLatin1Char('>');
    case XML_ENTITY_REF_NODE:
        return QLatin1Char('&') + text(node->name) + QLatin1Char(';');
    case XML_DOCUMENT_NODE:
    case XML_HTML_DOCUMENT_NODE:
        return m_documentText;
    default:
        return text(node->name);
    }
}

QString PageExtras::RenderDomAttributes(_xmlNode *node)
{
    QString out;
    if (!node || node->type != XML_ELEMENT_NODE)
        return out;
    for (xmlAttrPtr attr = node->properties; attr; attr = attr->next) {
        xmlChar *value = xmlNodeListGetString(node->doc, attr->children, 1);
        out += QLatin1Char(' ') + text(attr->name) + QLatin1String("='") + text(value) + QLatin1Char('\'');
        xmlFree(value);
    }
    return out;
}

void PageExtras::walk(_xmlNode *node, QStringList &lines, bool inItem)
{
    QString line = RenderDomNode(node);
    if (node->type == XML_ELEMENT_NODE) {
        line += RenderDomAttributes(node);
        const QString name = text(node->name);
        if (name == QLatin1String("item"))
            inItem = true;
        else if (inItem && name == QLatin1String("title"))
            m_feedTitles += QLatin1Char('|') + contentOf(node);
        else if (inItem && name == QLatin1String("description"))
            m_feedDescriptions += QLatin1Char('|') + contentOf(node);
        else if (inItem && name == QLatin1String("link"))
            m_feedLinks += QLatin1Char('|') + contentOf(node);
    }
    lines.append(line);
    // An entity reference's children are its declaration, rendered where it is declared.
    if (node->type == XML_ENTITY_REF_NODE)
        return;
    for (xmlNodePtr child = node->children; child; child = child->next)
        walk(child, lines, inItem);
}

QString PageExtras::DisplayDomNode(const QString &unused, _xmlNode *node)
{
    Q_UNUSED(unused);
    QStringList lines;
    if (node)
        walk(node, lines, false);
    return lines.join(QLatin1Char('\n'));
}
