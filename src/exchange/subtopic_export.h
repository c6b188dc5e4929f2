#pragma once
// Writing one Sub-Topic of the open edition into a Sub-Topic file: its headers, section
// links, colours, category tree and the links filed in it, under an export name that also
// stands in place of the Sub-Topic's name as the root of every category path. Reads the
// edition through the shared connection and changes nothing in it; no window is needed.

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
    // or a control character, which the file's lines cannot carry).
    static bool nameAllowed(const QString &name);

    // True when a Sub-Topic file whose base name equals the file base name of name, letter
    // case ignored, lies anywhere in folder or its sub-folders.
    static bool FindExportFile(const QString &folder, const QString &name);

    // Writes the file for the Sub-Topic subTopicId (named subTopicName under the Topic
    // topicId) into folder under exportName, replacing a file of the same name in folder
    // in any letter case. The file appears whole or not at all; false (lastError()) when
    // the edition could not be read or the file not written.
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
    bool ExportSiteList(qint32 lksId, const QString &categoryPath);

    QString m_error;
};
