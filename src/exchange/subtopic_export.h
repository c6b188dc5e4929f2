#pragma once
// Writing one Sub-Topic of the open edition into a Sub-Topic file: its headers, section
// links, colours, category tree and the links filed in it, under an export name that also
// stands in place of the Sub-Topic's name as the root of every category path. Reads the
// edition through the shared connection and changes nothing in it; no window is needed.

#include "exchange/subtopic_file.h"

#include <QHash>
#include <QString>
#include <QStringList>

class SubTopicExport
{
public:
    // The name given at export (trimmed).
    QString ExportName;
    // Where the file is written: program folder, base name, ".qvs".
    QString ExportFilePath;
    // The lines of the links section, gathered while the tree is written.
    QStringList ExportLinkLines;

    // True when name may be given to an exported Sub-Topic: none of ' < > " / \ (nor "|"
    // or a control character, which the file's lines cannot carry), and not U+FEFF or
    // U+FFFE first, which the edition would not keep.
    static bool nameAllowed(const QString &name);

    // True when a Sub-Topic file whose base name equals the file base name of name, letter
    // case ignored, lies anywhere in folder or its sub-folders.
    static bool FindExportFile(const QString &folder, const QString &name);

    // Writes the file for the Sub-Topic subTopicId (named subTopicName under the Topic
    // topicId) into folder under exportName, replacing a file of the same name in folder
    // in any letter case. The file appears whole or not at all; false (lastError()) when
    // the edition could not be read, the file not written, or a value is one the file
    // cannot carry so that it would import as the same rows: a line break anywhere, U+FEFF
    // or U+FFFE at the start of a value (the edition drops it), "|" in
    // a colour, a category whose reversed path is not its path reversed or that lies outside
    // the Sub-Topic, a link whose name would be read as part of a longer category path.
    // lastError() then names the value.
    bool write(const QString &folder, qint32 topicId, qint32 subTopicId, const QString &subTopicName,
               const QString &exportName);

    // The file's lines for that Sub-Topic (what write() writes).
    bool lines(qint32 topicId, qint32 subTopicId, const QString &subTopicName, const QString &exportName,
               QStringList *out);

    QString lastError() const { return m_error; }

private:
    bool ExportLinkGroups(qint32 subTopicId, QStringList *out);
    bool ExportColors(qint32 subTopicId, QStringList *out);
    bool ExportCategoryTree(qint32 subTopicId, QStringList *out);
    // The link lines of the categories that hold links (LksId -> entry of m_paths).
    bool ExportSiteLists(qint32 subTopicId, const QHash<qint32, int> &leaves);
    // A value the file cannot carry as it stands: false, with what it is, the value and
    // why in lastError().
    bool refuse(const QString &what, const QString &value, const QString &reason);
    bool carried(const QString &value, const QString &what);

    QStringList m_paths;   // the category paths written, the root first
    SubTopicFile::PathIndex m_pathIndex;
    QString m_error;
};
