#pragma once
// "Add Plug-In Edition": offers the editions the data server publishes, downloads the
// chosen one with "Download Progress" showing, unpacks it into the program folder, lists
// it and refreshes the main window's edition list. Shown without waiting for it; it
// closes itself after an edition was added, after a connection error while loading, and
// on Cancel.

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QStringList>

#include <functional>

class cDownload;
class cUnzip;
class Form30;
class QLabel;
class QListWidget;
class QPushButton;

class Form9 : public QDialog
{
    Q_OBJECT
public:
    // refreshEditions reloads the main window's edition list after an edition was added.
    explicit Form9(std::function<void()> refreshEditions, QWidget *parent = nullptr);

    QLabel *Label1 = nullptr;          // "Available Plug-In Editions:"
    QListWidget *List1 = nullptr;      // the offered editions
    QPushButton *Command1 = nullptr;   // "Add"
    QPushButton *Command2 = nullptr;   // "Cancel"
    QLabel *Label2 = nullptr;
    QLabel *lblLink = nullptr;         // the maker's home page
    Form30 *progressWindow() const { return m_form30; }

    // Set on a window asked to close while its work unwinds; it closes (and goes) once it
    // has: the main window's Exit waits for that.
    static constexpr const char *ClosePendingProperty = "closePending";

    // How many times a failed transfer of the archive is started before it is given up.
    static constexpr int MaxTransferAttempts = 3;

    // Asks for the connection settings when needed, shows the dialog and fetches the
    // catalogue, which Cancel can stop. Answers false when the dialog closed itself
    // (connection dialog left without OK, connection error, Cancel); it is then released.
    bool Form_Load();
    void Command1_Click();
    void Command2_Click();
    void lblLink_Click();
    void down_Progress(qint64 BytesRead, qint64 Filelen);
    void down_Stat(const QString &sStat);

    // Esc: as Cancel; during a transfer the dialog closes once the transfer has unwound.
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    cDownload *newDownload();
    int connectionType() const;
    // One Download of down with the connection settings; Cancel can stop it meanwhile.
    QString runTransfer(int dflag);
    // The main window refreshes and the dialog goes, once the transfer has unwound.
    void finish();

    std::function<void()> m_refreshEditions;
    cDownload *down = nullptr;
    cUnzip *m_cUnzip = nullptr;
    Form30 *m_form30 = nullptr;
    QString m_base;
    QStringList m_names;
    QElapsedTimer m_lastProgress;
    qint64 m_lastBytes = 0;
    bool m_transferring = false;
    bool m_closeRequested = false;
};
