#pragma once
// Adding the Sub-Topic of a Sub-Topic file to a Topic of the open edition: its SubTopics
// row with the file's six headers, its colours, its root category, the six section link
// lists, the category tree and the links filed in it. Works through the shared connection;
// no window is needed.
//
// The file is read and checked whole before anything is written, and everything is then
// written in one transaction: a file that cannot be read adds nothing. A value the edition
// would not store as the file holds it, or that an export could not write back as it
// stands (a line break, a reversed path that is not the path reversed, a byte order mark
// first), refuses the file by name. The file's bytes are kept until the import; the rows'
// texts are made from them one at a time. The categories and
// links land under the new Sub-Topic's own root, named as the Sub-Topic is, whatever name
// the file's paths carry.

#include "exchange/subtopic_file.h"

#include <QList>
#include <QString>
#include <QVector>

class SubTopicImport
{
public:
    enum class Status {
        Done,
        Exists,           // the Topic has a Sub-Topic of that name (any letter case)
        NameNotAllowed,   // the name is not one an export could give (SubTopicExport::nameAllowed(),
                          // no blank at either end)
        Unreadable,       // the file could not be opened or read (lastError(), errorLine())
        Failed,           // the edition could not be written (lastError())
    };

    // The id given to the Sub-Topic being imported (set before any row is added).
    qint32 ImportedSubTopicId = 0;

    // Reads and checks the file; false (lastError(), errorLine()) when it cannot be used.
    bool load(const QString &path);
    // The Sub-Topic's name for the file's base name: the name the file was exported under
    // when the base name was made from it, else the base name with "_" as blanks, trimmed.
    QString nameInFile(const QString &baseName) const;

    // Adds the loaded file's Sub-Topic under the Topic topicId as importName.
    Status ImportSubTopicFile(qint32 topicId, const QString &importName);

    QString lastError() const { return m_error; }
    int errorLine() const { return m_errorLine; }
    // Links and categories the last successful import added.
    int importedLinks() const { return int(m_sites.size()); }
    int importedCategories() const { return int(m_categoryCount); }

private:
    struct SectionRow {
        QString name;
        QString url;
    };
    // A links line: its category and where its path ends.
    struct SiteLine {
        qint32 category = -1;   // number of the tree line after the root; -1 for the root
        qint32 bar = -1;        // the "|" after the path
    };

    bool unreadable(int line, const QString &reason);
    // False (the file refused, naming what and the value) when value cannot be stored as
    // the file holds it.
    bool storable(const QString &value, const QString &what, const QString &tag, qsizetype i);
    // False, refusing the file at line i of the section tag.
    bool refuse(const QString &tag, qsizetype i, const QString &reason);
    // The reversed path and path of tree line i.
    void treeLine(qsizetype i, QString *reversed, QString *path) const;
    // The path of tree line i (read by readTree()).
    QString categoryPath(qsizetype i) const;
    static void splitSite(QStringView rest, QStringView *name, QStringView *url);
    // False (with the reason) when count ids from first would pass the 32-bit range.
    bool idsLeft(qint64 first, qsizetype count, const QString &table);
    bool readTree();
    bool readLinks();

    bool ImportLinkTables();
    bool ImportStructure();
    bool ImportSites();
    struct SiteWriter;
    bool ImportSiteLine(qsizetype i, const SiteLine &line, SiteWriter &writer);

    SubTopicFile m_file;

    QStringList m_headers;
    QString m_colors[3];
    QString m_colorName;                     // the name on the colour line
    QVector<QList<SectionRow>> m_sections;   // the six link sections in file order
    QString m_fileRoot;                      // the root path the file's categories hang under
    qsizetype m_categoryCount = 0;           // tree lines below the root
    QList<std::pair<qint32, qint32>> m_pathSpans;   // start and length of each tree line's path
    QList<SiteLine> m_sites;                 // by links line
    bool m_loaded = false;

    QString m_importName;
    qint32 m_rootId = 0;
    qint64 m_nextLksId = 0;   // 64 bits: after the last id it may lie past the range
    qint64 m_firstCategoryId = 0;   // the ids of the categories follow in file order
    QString m_error;
    int m_errorLine = 0;
};
