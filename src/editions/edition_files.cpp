#include "editions/edition_files.h"

#include "platform/programfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

QString EditionFileName(const QString &name, bool lowerCase)
{
    QString file = lowerCase ? name.toLower() : name;
    file.replace(QLatin1Char(' '), QLatin1Char('_'));
    return file + QStringLiteral(".mdb");
}

bool IsSafeEditionName(const QString &name)
{
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (const QChar c : name) {
        if (c.category() == QChar::Other_Control || c == QLatin1Char('/') || c == QLatin1Char('\\')
            || c == QLatin1Char('*') || c == QLatin1Char('?') || c == QLatin1Char(','))
            return false;
    }
    return true;
}

QString UnsafeEditionNameMessage()
{
    return QStringLiteral("An Edition Name cannot hold \"/\", \"\\\", \"*\", \"?\" or \",\".\n\n"
                          "Please select an alternate name.");
}

QString ExistingFileNoCase(const QString &folder, const QString &name)
{
    const QString path = FindFileNoCase(folder, name);
    return QFileInfo(path).isFile() ? path : QString();
}

bool CopyEditionFile(const QString &from, const QString &to)
{
    const QFileInfo target(to);
    const QString twin = ExistingFileNoCase(target.absolutePath(), target.fileName());
    if (!twin.isEmpty() && QFileInfo(twin).canonicalFilePath() == QFileInfo(from).canonicalFilePath())
        return false;
    const QString partial = to + QStringLiteral(".part");
    QFile::remove(partial);
    if (!QFile::copy(from, partial) || QFileInfo(partial).size() != QFileInfo(from).size()) {
        QFile::remove(partial);
        return false;
    }
    QFile(partial).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    if (std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(to).constData()) != 0) {
        QFile::remove(partial);
        return false;
    }
    if (!twin.isEmpty() && QFileInfo(twin).fileName() != target.fileName())
        QFile::remove(twin);
    return true;
}
