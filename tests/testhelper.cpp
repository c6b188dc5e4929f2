#include "testhelper.h"

#include "editions/edition_loader.h"
#include "platform/dialogs.h"
#include "shared/database.h"
#include "shared/globals.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QtTest>

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

void RemoveProgramFolder(std::unique_ptr<TestProgramFolder> &folder, bool allAnswered)
{
    // What the script saw is read before the folder's end closes the script.
    const QStringList unexpected = DialogScript::unexpected();
    const int pending = DialogScript::pending();
    folder.reset();
    QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join(QLatin1Char('\n'))));
    if (allAnswered)
        QCOMPARE(pending, 0);
}

bool OpenEdition(const QString &fileName)
{
    CurrentDatabaseFile = fileName;
    return EditionLoader().openActiveEdition();
}

QStringList QueryRows(const QString &sql, const QVariantList &values)
{
    QStringList result;
    Recordset rs;
    if (!rs.open(sql, values))
        return {QStringLiteral("error: ") + rs.lastError()};
    const QStringList columns = rs.columns();
    for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
        QStringList row;
        for (const QString &c : columns)
            row.append(rs.text(c));
        result.append(row.join(QLatin1Char('|')));
    }
    return result;
}

qint64 QueryCount(const QString &sql, const QVariantList &values)
{
    return QueryValue(sql, values).toLongLong();
}

bool LabelShowsText(const QLabel *label, const QString &text)
{
    QLabel plain;
    plain.setTextFormat(Qt::PlainText);
    plain.setText(text);
    plain.setFont(label->font());
    plain.setPalette(label->palette());
    plain.setAlignment(label->alignment());
    plain.setWordWrap(label->wordWrap());
    plain.setIndent(label->indent());
    plain.setMargin(label->margin());
    plain.setContentsMargins(label->contentsMargins());
    plain.setFrameStyle(label->frameStyle());
    plain.resize(label->size());
    const QImage shown = const_cast<QLabel *>(label)->grab().toImage().convertToFormat(QImage::Format_RGB32);
    return plain.grab().toImage().convertToFormat(QImage::Format_RGB32) == shown;
}

QLabel *LabelWith(const QWidget *widget, const QString &part)
{
    const QList<QLabel *> labels = widget->findChildren<QLabel *>();
    for (QLabel *label : labels)
        if (label->text().contains(part))
            return label;
    return nullptr;
}
