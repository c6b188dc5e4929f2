#include "platform/programfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

QString withSlash(QString folder)
{
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

} // namespace

QString ProgramFolder()
{
    const QString home = qEnvironmentVariable("QUORVANE_HOME");
    if (!home.isEmpty())
        return withSlash(QDir::cleanPath(QDir(home).absolutePath()));
    return withSlash(QCoreApplication::applicationDirPath());
}

QString FindFileNoCase(const QString &folder, const QString &name)
{
    const QString dir = withSlash(folder);
    if (QFileInfo::exists(dir + name))
        return dir + name;
    const QStringList entries = QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                                    QDir::Name | QDir::IgnoreCase);
    for (const QString &entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return dir + entry;
    return dir + name;
}

QString FindProgramFile(const QString &name)
{
    return FindFileNoCase(ProgramFolder(), name);
}
