#include "editions/edition_create.h"

#include "editions/edition_commands.h"
#include "editions/edition_files.h"
#include "editions/edition_host.h"
#include "editions/edition_intake.h"
#include "editions/edition_list.h"
#include "platform/dialogs.h"
#include "platform/programfolder.h"
#include "shared/database.h"
#include "shared/fileroutines.h"
#include "shared/globals.h"
#include "shared/routines.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QString NewEditionPackage;

namespace {

const QString CreateTitle = QStringLiteral("Create Edition");
const QString ImportTitle = QStringLiteral("Import Edition");

// While it lives, the temp folder is the current directory and GetAppPath answers it.
class CurrentDirGuard
{
public:
    CurrentDirGuard(const QString &folder, const QString &back)
        : m_back(back)
    {
        QDir::setCurrent(folder);
        UseCurrentDir = 1;
    }
    ~CurrentDirGuard()
    {
        UseCurrentDir = 0;
        QDir::setCurrent(m_back);
    }

private:
    QString m_back;
};

} // namespace

EditionCreator::EditionCreator(EditionHost *host, const QString &folder)
    : m_host(host)
    , m_folder(folder.isEmpty() ? ProgramFolder() : folder)
{
    if (!m_folder.endsWith(QLatin1Char('/')))
        m_folder += QLatin1Char('/');
}

void EditionCreator::refresh() const
{
    if (m_host)
        m_host->refreshEditions();
    QDir::setCurrent(m_folder);
}

void EditionCreator::createEdition()
{
    // Blanks around the typed name would only end up in the file name and the list.
    NewEditionName = InputBox(QStringLiteral("Please enter your Edition Name:"), CreateTitle).trimmed();
    if (NewEditionName.isEmpty())
        return;
    if (!IsPlainName(NewEditionName)) {
        MsgBox(QStringLiteral("Only alphabetical or numeric characters are allowed in an Edition Name.\n\n"
                              "Please amend your Edition Name."),
               vbOKOnly, CreateTitle);
        return;
    }
    if (const QString problem = EditionNameProblem(NewEditionName, EditionFileName(NewEditionName, false));
        !problem.isEmpty()) {
        MsgBox(problem, vbOKOnly, CreateTitle);
        return;
    }
    if (EditionList::displayNameListed(EditionList::listPath(m_folder), NewEditionName)) {
        MsgBox(QStringLiteral("The Edition '") + NewEditionName
                   + QStringLiteral("' already exists. Please select an alternate name."),
               vbOKOnly, CreateTitle);
        return;
    }
    const bool made = createEditionDatabase(NewEditionName);
    if (made)
        addEdition(1);
    else
        MsgBox(WithReason(QStringLiteral("The new edition could not be made from the template untitled.mdb"),
                          WriteFailureReason(m_folder, tempFolder(),
                                             QFileInfo(m_folder + QStringLiteral("untitled.mdb")).size()))
                   + QLatin1Char('.'),
               vbExclamation, CreateTitle);
    const QStringList left = QDir(tempFolder()).entryList(QDir::Files | QDir::Hidden);
    for (const QString &name : left)
        QFile::remove(tempFolder() + name);
}

bool EditionCreator::createEditionDatabase(const QString &name)
{
    NewEditionPackage.clear();
    CreateFolderPath(tempFolder());
    QDir::setCurrent(m_folder);
    const QString template_ = ExistingFileNoCase(m_folder, QStringLiteral("untitled.mdb"));
    if (template_.isEmpty() || !CopyEditionFile(template_, tempFolder() + QStringLiteral("untitled.mdb")))
        return false;
    const QString file = EditionFileName(name, false);
    const QString old = ExistingFileNoCase(tempFolder(), file);
    if (!old.isEmpty())
        QFile::remove(old);
    if (!QFile::rename(tempFolder() + QStringLiteral("untitled.mdb"), tempFolder() + file))
        return false;
    const QString descriptor = QString(name).replace(QLatin1Char(' '), QLatin1Char('_'));
    {
        const CurrentDirGuard inTemp(tempFolder(), m_folder);
        if (!WriteEditionDescriptor(GetAppPath(), descriptor, file, name))
            return false;
    }
    NewEditionPackage = tempFolder() + descriptor + QStringLiteral(".ddb");
    return true;
}

void EditionCreator::addEdition(int mode)
{
    const QString title = mode == 1 ? CreateTitle : ImportTitle;
    const QString path = mode == 1 ? NewEditionPackage
                                   : GetOpenFileName(nullptr, ImportTitle, m_folder,
                                                     QStringLiteral("Text files (*.ddb)"));
    if (path.isEmpty()) {
        refresh();
        return;
    }

    // The descriptor's last non-empty line names the database file and the edition.
    const QStringList lines = EditionList::readLines(path);
    QString file;
    QString name;
    if (!lines.isEmpty()) {
        const QString line = lines.last();
        const qsizetype comma = line.indexOf(QLatin1Char(','));
        file = TrimBlanks(comma < 0 ? QString() : line.left(comma));
        name = comma < 0 ? line : line.mid(comma + 1);
    }
    const QString folder = QFileInfo(path).absolutePath() + QLatin1Char('/');
    // Only a plain file name beside the descriptor is taken, never a pattern or a path.
    if (!IsPlainFileName(file) || !EditionList::canCarryFileName(file) || !file.endsWith(QStringLiteral(".mdb"), Qt::CaseInsensitive)) {
        MsgBox(QStringLiteral("The edition descriptor ") + QDir::toNativeSeparators(path)
                   + QStringLiteral(" does not name an edition database file (a file name ending in .mdb)."),
               vbExclamation, title);
        refresh();
        return;
    }
    const QString source = ExistingFileNoCase(folder, file);
    if (source.isEmpty()) {
        MsgBox(QStringLiteral("The database file ") + file + QStringLiteral(" named by the edition descriptor was not found beside it."),
               vbExclamation, title);
        refresh();
        return;
    }
    const QString refusal = IntakeRefusal(source, ExistingFileNoCase(m_folder, QStringLiteral("untitled.mdb")));
    if (!refusal.isEmpty()) {
        MsgBox(QStringLiteral("The file ") + file + QLatin1Char(' ') + refusal + QStringLiteral(", so it cannot be added."),
               vbExclamation, title);
        refresh();
        return;
    }
    if (FileExistsNonEmpty(m_folder + file)) {
        MsgBox(QStringLiteral("The Edition with this name already exists"), vbOKOnly);
        return;
    }
    if (!CopyEditionFile(source, m_folder + file)) {
        MsgBox(WithReason(QStringLiteral("The database file ") + file
                              + QStringLiteral(" could not be copied into the program folder"),
                          WriteFailureReason(m_folder, m_folder, QFileInfo(source).size()))
                   + QLatin1Char('.'),
               vbExclamation, title);
        refresh();
        return;
    }
    const QString listPath = EditionList::listPath(m_folder);
    if (FileExistsNonEmpty(listPath)) {
        if (!EditionList::append(listPath, EditionEntry{file, name})) {
            QFile::remove(m_folder + file);
            MsgBox(WithReason(QStringLiteral("The edition list dbnames.txt could not be written"),
                              WriteFailureReason(m_folder, m_folder, QFileInfo(listPath).size() + 1024))
                       + QStringLiteral(", so the edition '") + name + QStringLiteral("' was not added."),
                   vbExclamation, title);
            refresh();
            return;
        }
        QFile::remove(path);
        if (mode == 1) {
            MsgBox(QStringLiteral("The Edition '") + name + QStringLiteral("' has been successfully created."), vbOKOnly,
                   CreateTitle);
            const EditionCommands commands(m_host, m_folder);
            commands.goTo(int(commands.loadEntries().size()) - 1);
        } else {
            MsgBox(QStringLiteral("The Edition '") + name + QStringLiteral("' has been successfully imported."), vbOKOnly,
                   ImportTitle);
        }
    } else {
        QFile::remove(path);
    }
    refresh();
}
