#include "editions/form9_plugin_editions.h"

#include "editions/c_download.h"
#include "editions/c_unzip.h"
#include "editions/edition_intake.h"
#include "editions/edition_list.h"
#include "editions/form30_download_progress.h"
#include "editions/plugin_editions.h"
#include "platform/dialogs.h"
#include "platform/programfolder.h"
#include "platform/regular_file.h"
#include "shared/dialog_layout.h"
#include "shared/fileroutines.h"
#include "shared/form19_connection.h"
#include "shared/globals.h"
#include "shared/http_request.h"
#include "shared/wait_cursor.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTemporaryDir>
#include <QVBoxLayout>

namespace {

const QString ConnectionErrorText =
    QStringLiteral("An error has occured during the connection to the Quorvane server. Please try again later.");
const QString ConnectionErrorTitle = QStringLiteral("Connection error");
const QString Quote = QStringLiteral("'");
constexpr double MinRateInterval = 0.5;    // seconds
// The largest archive the dialog takes.
constexpr qint64 MaxArchiveBytes = qint64(1) << 30;

QString editionText(const QString &name, const QString &rest)
{
    return QStringLiteral("The Edition ") + Quote + name + Quote + rest;
}

const QString DiskFullReason = QStringLiteral("the disk is full.");
const QString FolderReason = QStringLiteral("the program folder could not be written.");
const QString HeaderReason = QStringLiteral("the server's answer header is larger than %1 KiB.")
                                 .arg(WebTransfer::MaxHeaderBytes / 1024);

// "The Edition '<name>' could not be added: <reason>"
void tellNotAdded(const QString &name, const QString &reason)
{
    MsgBox(editionText(name, QStringLiteral(" could not be added: ") + reason), vbOKOnly,
           QStringLiteral("Plug-In Edition"));
}

} // namespace

Form9::Form9(std::function<void()> refreshEditions, QWidget *parent)
    : QDialog(parent)
    , m_refreshEditions(std::move(refreshEditions))
{
    setObjectName(QStringLiteral("Form9"));
    setWindowTitle(QStringLiteral("Add Plug-In Edition"));
    setAttribute(Qt::WA_DeleteOnClose);

    Label1 = new QLabel(QStringLiteral("Available Plug-In Editions:"), this);
    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    Label1->setBuddy(List1);
    Command1 = NamedButton(QStringLiteral("Add"), "Command1", this, true);
    Command2 = NamedButton(QStringLiteral("Cancel"), "Command2", this);
    Label2 = new QLabel(
        QStringLiteral("For product information about any of the above Plug-In Editions please visit :"), this);
    Label2->setWordWrap(true);
    lblLink = new QLabel(this);
    lblLink->setObjectName(QStringLiteral("lblLink"));

    const int charWidth = fontMetrics().averageCharWidth();
    List1->setMinimumSize(charWidth * 48, fontMetrics().height() * 10);
    auto *body = new QVBoxLayout;
    body->addWidget(Label1);
    body->addWidget(List1, 1);
    body->addSpacing(charWidth);
    body->addWidget(Label2);
    body->addWidget(lblLink);
    LayOutDialog(this, body, {Command1, Command2});

    m_form30 = new Form30(this);
    connect(Command1, &QPushButton::clicked, this, &Form9::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form9::Command2_Click);
    connect(List1, &QListWidget::itemDoubleClicked, this, &Form9::Command1_Click);
}

cDownload *Form9::newDownload()
{
    if (down)
        down->deleteLater();
    down = new cDownload(this);
    connect(down, &cDownload::Progress, this, &Form9::down_Progress);
    connect(down, &cDownload::Stat, this, &Form9::down_Stat);
    return down;
}

int Form9::connectionType() const
{
    return ProxyServer.isEmpty() ? cDownload::Direct : cDownload::NamedProxy;
}

bool Form9::Form_Load()
{
    // The home page link: blue, underlined, with the hand pointer of a link.
    QFont font = lblLink->font();
    font.setUnderline(true);
    lblLink->setFont(font);
    QPalette palette = lblLink->palette();
    palette.setColor(QPalette::WindowText, QColor(0, 0, 255));
    lblLink->setPalette(palette);
    lblLink->setText(PluginEditions::HomePage());
    lblLink->setCursor(Qt::PointingHandCursor);
    Command1->setCursor(Qt::PointingHandCursor);
    lblLink->installEventFilter(this);

    m_cUnzip = new cUnzip(this);
    newDownload();
    m_base = PluginEditions::BaseAddress();
    down->setUrl(m_base + QLatin1String("editions.txt"));

    QString state;
    ConnectionStateText(state);
    if (!state.contains(QLatin1String("Proxy")) && !state.contains(QLatin1String("Configured")))
        ProxyConfirmed = 1;
    if ((state.contains(QLatin1String("Proxy")) || state.contains(QLatin1String("Configured"))) && ProxyConfirmed == 0) {
        // Asked once; leaving the connection dialog without OK abandons the download.
        Form19 connection(parentWidget());
        connection.exec();
        if (ProxyConfirmed == 0) {
            deleteLater();
            return false;
        }
    }

    // The dialog shows while the catalogue comes, so that its Cancel can end the wait.
    Command1->setEnabled(false);
    adjustSize();
    CenterForm(this);
    show();
    QString reply;
    if (ProxyConfirmed == 1) {
        const WaitCursor wait;
        reply = runTransfer(0);
    }
    if (m_closeRequested) {
        close();
        return false;
    }
    if (down->LastFailure() == cDownload::Failure::TooLarge) {
        MsgBox(QStringLiteral("The list of Plug-In Editions is larger than %1 MB and was not read.")
                   .arg(cDownload::MaxTextBytes >> 20),
               vbOKOnly, ConnectionErrorTitle);
        close();
        return false;
    }
    if (down->LastFailure() == cDownload::Failure::HeaderTooLarge) {
        MsgBox(QStringLiteral("The list of Plug-In Editions was not read: ") + HeaderReason, vbOKOnly,
               ConnectionErrorTitle);
        close();
        return false;
    }
    if (down->LastFailure() == cDownload::Failure::TooSlow) {
        MsgBox(QStringLiteral("The list of Plug-In Editions came too slowly and was not read."), vbOKOnly,
               ConnectionErrorTitle);
        close();
        return false;
    }
    // A list that did not arrive whole with a success status (no connection, a redirection
    // that was not followed, an error status whatever its text, a body cut short) is a
    // connection error, never an empty list; so is an error page.
    if (!down->Completed() || PluginEditions::IsErrorReply(reply)) {
        MsgBox(ConnectionErrorText, vbOKOnly, ConnectionErrorTitle);
        close();
        return false;
    }
    m_names = PluginEditions::ParseCatalogue(reply);
    List1->addItems(m_names);
    Command1->setEnabled(!m_names.isEmpty());
    if (!m_names.isEmpty())
        List1->setCurrentRow(0);
    return true;
}

QString Form9::runTransfer(int dflag)
{
    const QScopedValueRollback<bool> transferring(m_transferring, true);
    return down->Download(ProxyServer + QLatin1Char(':') + ProxyPort, ProxyUserId, ProxyPassword, connectionType(),
                          dflag);
}

void Form9::Command1_Click()
{
    if (m_transferring || !List1->currentItem())
        return;
    const QString name = List1->currentItem()->text();
    newDownload();
    DownloadDone = 0;
    const QString file = PluginEditions::EditionFileName(name);
    const QString folder = ProgramFolder();
    if (PluginEditions::EditionListed(EditionList::listPath(folder), file)) {
        MsgBox(editionText(name, QStringLiteral(" already exists.")), vbOKOnly, QStringLiteral("Edition Error"));
        return;
    }
    // The archive comes into a scratch folder of its own, which goes when the dialog is
    // done with it: a transfer that stops half-way leaves nothing the program lists.
    QTemporaryDir scratch(PluginEditions::ScratchTemplate(folder));
    if (!scratch.isValid()) {
        tellNotAdded(name, FolderReason);
        return;
    }
    down->setUrl(PluginEditions::ArchiveAddress(name).toString(QUrl::FullyEncoded));
    down->setDestFile(scratch.filePath(PluginEditions::ArchiveName(name)));
    down->setMaxFileBytes(MaxArchiveBytes);

    m_form30->Label5->clear();
    DownloadDone = 0;
    // From here until the transfer has unwound, Cancel and closing only ask it to stop.
    m_transferring = true;
    Command1->setEnabled(false);
    List1->setEnabled(false);
    // A failure of the connection is tried again, a few times; one here (the file cannot
    // be written, the archive is larger than it may be) is told at once.
    const auto retried = [this] {
        const cDownload::Failure failure = down->LastFailure();
        return failure == cDownload::Failure::Network || failure == cDownload::Failure::TooSlow;
    };
    for (int attempt = 0; DownloadDone == 0 && attempt < MaxTransferAttempts; ++attempt) {
        if (!m_form30->isVisible()) {
            m_form30->Form_Load();
            m_form30->move(frameGeometry().topRight() + QPoint(8, 0));
            m_form30->show();
        }
        QCoreApplication::processEvents();
        if (DownloadDone != 0)
            break;
        m_lastBytes = 0;
        m_lastProgress.start();
        runTransfer(1);
        if (down->Completed())
            DownloadDone = 1;
        else if (!retried())
            break;
    }
    const bool completed = down->Completed() && !m_closeRequested;
    m_form30->hide();
    m_transferring = false;
    Command1->setEnabled(true);
    List1->setEnabled(true);

    if (!completed) {
        scratch.remove();
        if (m_closeRequested)
            close();
        else if (down->LastFailure() == cDownload::Failure::DiskFull)
            tellNotAdded(name, DiskFullReason);
        else if (down->LastFailure() == cDownload::Failure::WriteFailed)
            tellNotAdded(name, FolderReason);
        else if (down->LastFailure() == cDownload::Failure::HeaderTooLarge)
            tellNotAdded(name, HeaderReason);
        else if (down->LastFailure() == cDownload::Failure::TooLarge)
            tellNotAdded(name, QStringLiteral("the server sent more than it announced, or more than %1 MB.")
                                   .arg(MaxArchiveBytes >> 20));
        else
            MsgBox(ConnectionErrorText, vbOKOnly, ConnectionErrorTitle);
        return;
    }

    const PluginEditions::InstallResult result =
        PluginEditions::Install(*m_cUnzip, down->DestFile(), folder, name);
    scratch.remove();
    switch (result) {
    case PluginEditions::InstallResult::Installed:
        MsgBox(editionText(name, QStringLiteral(" has been successfully added.")), vbOKOnly,
               QStringLiteral("Plug-In Edition"));
        if (m_refreshEditions)
            m_refreshEditions();
        close();
        return;
    case PluginEditions::InstallResult::Refused:
        MsgBox(editionText(name, QStringLiteral(" already exists.")), vbOKOnly, QStringLiteral("Edition Error"));
        return;
    case PluginEditions::InstallResult::OwnCommands:
        tellNotAdded(name, QStringLiteral("its database ") + OwnCommandsReason() + QLatin1Char('.'));
        return;
    case PluginEditions::InstallResult::NotAnEdition:
        tellNotAdded(name, QStringLiteral("the downloaded file holds no edition."));
        return;
    case PluginEditions::InstallResult::DiskFull:
        tellNotAdded(name, DiskFullReason);
        return;
    case PluginEditions::InstallResult::TooLarge:
        tellNotAdded(name, QStringLiteral("its database is larger than %1.").arg(SizeInWords(PluginEditions::MaxEditionBytes)));
        return;
    case PluginEditions::InstallResult::WriteFailed:
        tellNotAdded(name, FolderReason);
        return;
    }
}

void Form9::Command2_Click()
{
    DownloadDone = 1;
    m_form30->hide();
    if (m_transferring) {
        // The transfer ends first; the dialog closes once it has unwound.
        m_closeRequested = true;
        setProperty(ClosePendingProperty, true);
        down->StopDownload();
        return;
    }
    close();
}

void Form9::closeEvent(QCloseEvent *event)
{
    if (m_transferring) {
        event->ignore();
        Command2_Click();
        return;
    }
    m_form30->hide();
    QDialog::closeEvent(event);
}

void Form9::reject()
{
    if (m_transferring) {
        Command2_Click();
        return;
    }
    DownloadDone = 1;
    m_form30->hide();
    QDialog::reject();
}

bool Form9::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lblLink && event->type() == QEvent::MouseButtonRelease)
        lblLink_Click();
    return QDialog::eventFilter(watched, event);
}

void Form9::lblLink_Click()
{
    ShellOpen(PluginEditions::HomePage());
}

void Form9::down_Progress(qint64 BytesRead, qint64 Filelen)
{
    // The rate is measured over half a second at least: chunks come in bursts.
    const double elapsed = m_lastProgress.isValid() ? double(m_lastProgress.nsecsElapsed()) / 1e9 : 0.0;
    if (elapsed >= MinRateInterval) {
        const qint64 rate = qRound64(double(BytesRead - m_lastBytes) / 1024.0 / elapsed);
        if (rate > 0)
            m_form30->Label4->setText(QString::number(rate) + QLatin1String(" Kb/s"));
    }
    if (elapsed >= MinRateInterval || !m_lastProgress.isValid()) {
        m_lastBytes = BytesRead;
        m_lastProgress.start();
    }
    m_form30->showBytes(BytesRead, Filelen);
    const QString percent = PluginEditions::PercentText(BytesRead, Filelen);
    if (!percent.isEmpty())
        m_form30->Label5->setText(percent);
    if (m_form30->Label5->text() == QLatin1String("100% "))
        DownloadDone = 1;
}

void Form9::down_Stat(const QString &sStat)
{
    m_form30->Label3->setText(sStat);
}
