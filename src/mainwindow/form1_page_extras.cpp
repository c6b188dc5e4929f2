// The main window's page data helpers and page extras: the page builder, the page post and
// PageExtras do the work.

#include "editing/section_links.h"
#include "mainwindow/form1.h"
#include "pages/page_extras.h"
#include "pages/page_post.h"
#include "pages/topic_page_builder.h"

QString Form1::FieldTypeName(int typeCode)
{
    return TopicPageBuilder::FieldTypeName(typeCode);
}

bool Form1::CheckXmlParseError(const XmlLoad &load)
{
    return m_pageBuilder->CheckXmlParseError(load);
}

bool Form1::WriteTextFile(const QString &text, const QString &fileName)
{
    return m_pageBuilder->WriteTextFile(text, fileName);
}

QList<QPair<QString, QString>> Form1::ParseQueryString(const QString &address)
{
    return PagePost::ParseQueryString(address);
}

bool Form1::TableExists(const QString &name)
{
    return SectionLinks::TableExists(name);
}

PageExtras &Form1::pageExtras()
{
    if (!m_pageExtras)
        m_pageExtras = std::make_shared<PageExtras>();
    return *m_pageExtras;
}

bool Form1::ShowTextInNotepad(const QString &text)
{
    return pageExtras().ShowTextInNotepad(text);
}

bool Form1::PutPic(const QImage &picture, const QString &file, int number)
{
    return PageExtras::PutPic(picture, file, number);
}

int Form1::GetNumPics(const QString &file)
{
    return PageExtras::GetNumPics(file);
}

bool Form1::GetPic(QImage &picture, const QString &file, int number)
{
    return PageExtras::GetPic(picture, file, number);
}

int Form1::LoadSearchEngines()
{
    return pageExtras().LoadSearchEngines();
}

QString Form1::GetString(const QString &path, const QString &unused, const QString &replacement, int mode)
{
    return PageExtras::GetString(path, unused, replacement, mode);
}

QString Form1::EscapeQuotes(const QString &text)
{
    return PageExtras::EscapeQuotes(text);
}

bool Form1::MakeXMLFile(const QString &text, const QString &name)
{
    return PageExtras::MakeXMLFile(text, name);
}

QString Form1::DisplayDomNode(const QString &unused, _xmlNode *node)
{
    return pageExtras().DisplayDomNode(unused, node);
}
