// Builds a database file from SQL scripts: makedb <output> <script>...
// Statements end with ";" at the end of a line; "--" starts a comment line.
#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>

#include "shared/text_folding.h"

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        QTextStream(stderr) << "usage: makedb <output> <script>...\n";
        return 2;
    }
    const QString out = args.at(1);
    QFile::remove(out);
    int rc = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("makedb"));
        db.setDatabaseName(out);
        if (!db.open()) {
            QTextStream(stderr) << "makedb: cannot create " << out << ": " << db.lastError().text() << "\n";
            return 1;
        }
        InstallTextFolding(db);
        db.transaction();
        for (int i = 2; i < args.size() && rc == 0; ++i) {
            QFile f(args.at(i));
            if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
                QTextStream(stderr) << "makedb: cannot read " << args.at(i) << "\n";
                rc = 1;
                break;
            }
            QString statement;
            const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
            for (const QString &line : lines) {
                if (line.trimmed().startsWith(QLatin1String("--")))
                    continue;
                statement += line + QLatin1Char('\n');
                if (line.trimmed().endsWith(QLatin1Char(';'))) {
                    QSqlQuery q(db);
                    if (!q.exec(statement)) {
                        QTextStream(stderr) << "makedb: " << args.at(i) << ": " << q.lastError().text()
                                            << "\n" << statement;
                        rc = 1;
                        break;
                    }
                    statement.clear();
                }
            }
        }
        if (rc == 0) {
            db.commit();
            if (!OrderIndexesByFolding(db)) {
                QTextStream(stderr) << "makedb: cannot mark " << out << "\n";
                rc = 1;
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("makedb"));
    if (rc != 0)
        QFile::remove(out);
    return rc;
}
