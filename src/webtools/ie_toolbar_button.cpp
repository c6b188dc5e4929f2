#include "webtools/ie_toolbar_button.h"

#include "platform/programfolder.h"
#include "platform/registry.h"
#include "shared/fileroutines.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPainter>

namespace {

QString valueNameOf(const QString &valueName)
{
    return valueName == QLatin1String("*") ? QString() : valueName;
}

QString iconFile(int number)
{
    return ProgramFolder() + QStringLiteral("icon%1.ico").arg(number);
}

void setInstalled(const IeToolbarButton::MenuItems &items, bool installed)
{
    if (items.add)
        items.add->setEnabled(!installed);
    if (items.remove)
        items.remove->setEnabled(installed);
}

} // namespace

QString TrimBackslashes(const QString &path)
{
    QString p = path;
    if (p.startsWith(QLatin1Char('\\')))
        p.remove(0, 1);
    if (p.endsWith(QLatin1Char('\\')))
        p.chop(1);
    return p;
}

QString RegGetValue(quint32 hive, const QString &key, const QString &valueName, const QString &fallback)
{
    RegKey open;
    if (Registry::openKey(RegKey(hive), TrimBackslashes(key), &open) != ERROR_SUCCESS)
        return fallback;
    quint32 type = REG_NONE;
    QByteArray data;
    if (Registry::queryValue(open, valueNameOf(valueName), &type, &data) != ERROR_SUCCESS || data.isEmpty())
        return fallback;
    data.chop(1);   // the terminating NUL of a text value
    return QString::fromUtf8(data);
}

bool RegSetValue(quint32 hive, const QString &key, const QString &valueName, const QString &data)
{
    RegKey open;
    if (Registry::createKey(RegKey(hive), TrimBackslashes(key), &open) != ERROR_SUCCESS)
        return false;
    return Registry::setValue(open, valueNameOf(valueName), REG_SZ, Registry::textData(data)) == ERROR_SUCCESS;
}

bool RegDeleteEntry(quint32 hive, const QString &key, const QString &valueName)
{
    if (valueName.isEmpty())
        return Registry::deleteKey(RegKey(hive), key) == ERROR_SUCCESS;
    RegKey open;
    if (Registry::openKey(RegKey(hive), TrimBackslashes(key), &open) != ERROR_SUCCESS)
        return false;
    return Registry::deleteValue(open, valueNameOf(valueName)) == ERROR_SUCCESS;
}

namespace IeToolbarButton {

QImage ButtonPicture(int number)
{
    QImage picture(24, 24, QImage::Format_RGB888);
    picture.fill(QColor(number == 1 ? 0xfff4d6 : 0xffffff));
    const QImage logo = QImage(QStringLiteral(":/images/quorvane.png"));
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!logo.isNull())
        painter.drawImage(QRect(2, 2, 20, 20), logo);
    if (number == 1) {
        painter.setPen(QColor(0xd08000));
        painter.drawRect(0, 0, 23, 23);
    }
    return picture;
}

void CheckIEButtonState(const MenuItems &items)
{
    const QString iePath = RegGetValue(HKEY_LOCAL_MACHINE, BrowserAppPathKey, QString(), QString());
    DllVersionInfo version;
    const quint32 major = DllVersionMajor(version);
    if (iePath.isEmpty() || !QFileInfo(iePath).isFile() || major < 5) {
        if (items.add)
            items.add->setVisible(false);
        if (items.remove)
            items.remove->setVisible(false);
        return;
    }
    setInstalled(items, RegGetValue(HKEY_LOCAL_MACHINE, ButtonKey, QStringLiteral("CLSID"), QString()) == ButtonClsid);
}

bool AddIEButton(const MenuItems &items)
{
    const QString folder = ProgramFolder();
    const QString exec = folder + QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    bool ok = ButtonPicture(1).save(iconFile(1), "ico");
    ok = ButtonPicture(2).save(iconFile(2), "ico") && ok;
    const std::pair<QString, QString> values[] = {
        {QStringLiteral("ButtonText"), QStringLiteral("Quorvane")},
        {QStringLiteral("CLSID"), ButtonClsid},
        {QStringLiteral("Default Visible"), QStringLiteral("Yes")},
        {QStringLiteral("Exec"), exec},
        {QStringLiteral("HotIcon"), iconFile(1)},
        {QStringLiteral("Icon"), iconFile(2)},
        {QStringLiteral("MenuStatusBar"), QStringLiteral("Quorvane")},
        {QStringLiteral("MenuText"), QStringLiteral("&Quorvane")},
    };
    for (const auto &[name, data] : values) {
        if (!ok)
            break;
        ok = RegSetValue(HKEY_LOCAL_MACHINE, ButtonKey, name, data);
    }
    if (!ok) {
        // A half-made button would look installed to the browser and to the menu.
        Registry::deleteTree(RegKey(HKEY_LOCAL_MACHINE), ButtonKey);
        QFile::remove(iconFile(2));
        QFile::remove(iconFile(1));
        return false;
    }
    setInstalled(items, true);
    return true;
}

bool RemoveIEButton(const MenuItems &items)
{
    if (!RegDeleteEntry(HKEY_LOCAL_MACHINE, ButtonKey, QString())
        && Registry::openKey(RegKey(HKEY_LOCAL_MACHINE), ButtonKey, nullptr) == ERROR_SUCCESS)
        return false;   // the key is still there
    setInstalled(items, false);
    QFile::remove(iconFile(2));
    QFile::remove(iconFile(1));
    return true;
}

} // namespace IeToolbarButton
