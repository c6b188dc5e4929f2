#pragma once
// Adding the Sub-Topic of a Sub-Topic file to a Topic of the open edition: its SubTopics
// row with the file's six headers, its colours, its root category, the six section link
// lists, the category tree and the links filed in it. Works through the shared connection;
// no window is needed.
//
// The file is read and checked whole before anything is written, and everything is then
// written in one transaction: a file that cannot be read adds nothing. The categories and
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
        NameNotAllowed,   // the name is empty or holds one of the characters ' < > " / or a backslash
        Unreadable,       // the file could not be opened or read (lastError(), errorLine())
        Failed,           // the edition could not be written (lastError())
    };

    // The id given to the Sub-Topic being imported (set before any row is added).
    qint32 ImportedSubTopicId = 0;

    // Reads and checks the file; false (lastError(), errorLine()) when it cannot be used.
    bool load(const QString &path);
    // The Sub-Topic's name for the file's base name: the name the file was exported under
    // when the base name was made from it, else the base name with "_" as blanks.
    QString nameInFile(const QString &baseName) const;

    // Adds the loaded file's Sub-Topic under the Topic topicId as importName.
    Status ImportSubTopicFile(qint32 topicId, const QString &importName);

    QString lastError() const { return m_error; }
    int errorLine() const { return m_errorLine; }
    // Links and categories the last successful import added.
    int importedLinks() const { return int(m_sites.size()); }
    int importedCategories() const { return int(m_categories.size()); }

private:
    struct SectionRow {
        QString name;
        QString url;
    };
    struct Category {
        QString name;   // reversed path as in the file
        QString path;   // path as in the file
    };
    struct SiteLine {
        int category = -1;   // index into m_categories; -1 for the root
        QString name;
        QString url;
    };

    bool unreadable(int line, const QString &reason);
    // False (with the reason) when count ids from first would pass the 32-bit range.
    bool idsLeft(qint64 first, qsizetype count, const QString &table);
    bool readTree(const SubTopicFile &file);
    bool readLinks(const SubTopicFile &file);

    bool ImportLinkTables();
    bool ImportStructure();
    bool ImportSites();
    struct SiteWriter;
    bool ImportSiteLine(const SiteLine &line, SiteWriter &writer);

    QStringList m_headers;
    QString m_colors[3];
    QString m_colorName;                     // the name on the colour line
    QVector<QList<SectionRow>> m_sections;   // the six link sections in file order
    QString m_fileRoot;                      // the root path the file's categories hang under
    QList<Category> m_categories;            // below the root, in file order
    QList<SiteLine> m_sites;
    bool m_loaded = false;

    QString m_importName;
    qint32 m_rootId = 0;
    qint64 m_nextLksId = 0;   // 64 bits: after the last id it may lie past the range
    QVector<qint32> m_categoryIds;
    QString m_error;
    int m_errorLine = 0;
};
