#include "fuzz_support.h"

#include "platform/dialogs.h"
#include "shared/database.h"
#include "shared/globals.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace Fuzz {

QString setUp()
{
    static QString folder;
    if (!folder.isEmpty())
        return folder;
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    // Never destroyed: the fuzzer may end the process from anywhere, and Qt's clean-up
    // must not run after the objects it cleans up have gone.
    new QCoreApplication(argc, argv);
    static QTemporaryDir home;
    static QTemporaryDir config;
    folder = home.path() + QLatin1Char('/');
    QDirIterator it(QStringLiteral(QUORVANE_APP_TEMPLATE_DIR), QDir::Files);
    while (it.hasNext()) {
        const QString from = it.next();
        QFile::copy(from, folder + it.fileName());
        QFile(folder + it.fileName()).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }
    qputenv("QUORVANE_HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    DialogScript::begin();
    return folder;
}

void freshEdition()
{
    const QString folder = setUp();
    ReleaseDatabase();
    QFile::remove(folder + QStringLiteral("scratch.mdb"));
    QFile::copy(folder + QStringLiteral("untitled.mdb"), folder + QStringLiteral("scratch.mdb"));
    QFile(folder + QStringLiteral("scratch.mdb")).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    CurrentDatabaseFile = QStringLiteral("scratch.mdb");
    check(OpenDatabase(CurrentDatabaseFile), "the scratch edition opens");
    CurrentSubTopicId = 7;
    CurrentPageFile = QStringLiteral("page_7.html");
    DialogScript::clearShown();
}

QString text(const uint8_t *data, size_t size)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
}

void check(bool holds, const char *what, const QString &detail)
{
    if (holds)
        return;
    std::fprintf(stderr, "Broken invariant: %s\n%s\n", what, qPrintable(detail));
    std::abort();
}

} // namespace Fuzz
