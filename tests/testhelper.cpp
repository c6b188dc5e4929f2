#include "testhelper.h"

#include "platform/dialogs.h"
#include "shared/database.h"
#include "shared/globals.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

QString BuiltProgramFolder()
{
    return QStringLiteral(QUORVANE_APP_TEMPLATE_DIR "/");
}

QString FixturesFolder()
{
    return QStringLiteral(QUORVANE_FIXTURES_DIR "/");
}

TestProgramFolder::TestProgramFolder()
{
    ReleaseDatabase();
    const QString src = BuiltProgramFolder();
    QDirIterator it(src, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString from = it.next();
        const QString rel = QDir(src).relativeFilePath(from);
        const QString to = path() + rel;
        QDir().mkpath(QFileInfo(to).absolutePath());
        QFile::copy(from, to);
        QFile(to).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }
    qputenv("QUORVANE_HOME", QFile::encodeName(m_home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    QDir::setCurrent(m_home.path());
    CurrentDatabaseFile.clear();
    UseCurrentDir = 0;
    DialogScript::begin();
}

TestProgramFolder::~TestProgramFolder()
{
    ReleaseDatabase();
    DialogScript::end();
    QDir::setCurrent(QDir::tempPath());
}

QString TestProgramFolder::path() const
{
    return m_home.path() + QLatin1Char('/');
}

QString TestProgramFolder::file(const QString &name) const
{
    return path() + name;
}

QString TestProgramFolder::makeEdition(const QString &fileName) const
{
    const QString to = file(fileName);
    QFile::remove(to);
    QFile::copy(file(QStringLiteral("untitled.mdb")), to);
    QFile(to).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    return to;
}

void TestProgramFolder::writeFile(const QString &name, const QByteArray &content) const
{
    QFile f(file(name));
    QDir().mkpath(QFileInfo(f).absolutePath());
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(content);
}

QByteArray TestProgramFolder::readFile(const QString &name) const
{
    QFile f(file(name));
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}
