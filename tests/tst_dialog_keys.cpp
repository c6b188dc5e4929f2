// What the keyboard does in the program's dialogs: Tab visits the controls in the order
// they stand on screen, Enter presses the button a user expects. And that a message, an
// input box and a window's status show their whole text.
#include "testhelper.h"
#include "webtools_support.h"

#include "editing/category_tree_host.h"
#include "shared/database.h"
#include "exchange/subtopic_file.h"
#include "platform/dialogs.h"
#include "platform/programfolder.h"
#include "shared/globals.h"
#include "editing/form22_rename_web_address.h"
#include "editing/form23_section_headers.h"
#include "editing/form2_add_subcategory.h"
#include "editing/form31_notation.h"
#include "editing/form33_move_subtopic.h"
#include "editing/form3_add_link.h"
#include "editing/form4_rename_link.h"
#include "editing/form5_section_links.h"
#include "editing/form7_color_scheme.h"
#include "editing/page_section_commands.h"
#include "editions/edition_host.h"
#include "editions/form12_restore_edition.h"
#include "editions/form15_delete_edition.h"
#include "editions/form24_rename_edition.h"
#include "editions/form29_export_edition.h"
#include "editions/form30_download_progress.h"
#include "editions/form34_copy_edition.h"
#include "editions/form8_go_to_edition.h"
#include "editions/form9_plugin_editions.h"
#include "exchange/form35_import_subtopic.h"
#include "mainwindow/form11_about.h"
#include "shared/form19_connection.h"
#include "shared/proxy_logon_dialog.h"
#include "webtools/form10_accounts.h"
#include "webtools/form16_edition_search.h"
#include "webtools/form17_favorites.h"
#include "webtools/form18_link_checker.h"
#include "webtools/form26_history.h"
#include "webtools/form27_font_size.h"
#include "webtools/form28_web_mail.h"
#include "webtools/form6_home_page.h"
#include "webtools/frmcache_cache_display.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPaintEngine>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QStyle>
#include <QTemporaryDir>
#include <QTextLayout>
#include <QDialog>
#include <QtTest>

#include <algorithm>
#include <climits>
#include <functional>
#include <memory>

namespace {

class Hosts : public EditionHost, public CategoryTreeHost, public PageSectionHost, public MoveSubTopicHost
{
public:
    void refreshEditions() override {}
    QString shownEdition() const override { return QStringLiteral("Sample Links"); }
    QTreeWidget *tree() override { return &m_tree; }
    void updateTree() override {}
    QWidget *window() override { return nullptr; }
    QString topicText() const override { return QStringLiteral("Computers"); }
    qint32 topicId() const override { return 1; }
    QString subTopicText() const override { return subTopic; }
    bool WriteLinksXml(const QString &, const QString &) override { return true; }
    bool TransformXml(const QString &, const QString &, const QString &) override { return true; }
    void navigate(const QString &) override {}
    void refresh() override {}
    void Combo2_Click() override {}
    const QComboBox *topicList() const override { return &m_topics; }
    void showTopic(const QString &) override {}

    QString subTopic = QStringLiteral("Programming");
    QComboBox m_topics;

private:
    QTreeWidget m_tree;
};

using Factory = std::function<QDialog *(Hosts &, FakeWebToolsHost &)>;

// A dialog made and loaded as its command opens it.
template <typename Dialog, typename... Args>
QDialog *loaded(Args &&...args)
{
    auto *dialog = new Dialog(std::forward<Args>(args)...);
    dialog->Form_Load();
    return dialog;
}

// A name of 200 characters.
const QString LongName = QStringLiteral("Computing and Programming Languages, Tools and Libraries ").repeated(3)
                         + QStringLiteral("of the Twentieth Century");

// The controls Tab stops at, in the order they stand on screen: rows from the top, a
// control joining the row whose first control its middle lies beside; in a row, from the
// left (and from the top where controls stand one above the other at the same left).
QWidgetList screenOrder(QDialog *dialog)
{
    QWidgetList stops;
    for (QWidget *w : dialog->findChildren<QWidget *>()) {
        if (!w->isVisible() || !w->isEnabled() || !(w->focusPolicy() & Qt::TabFocus) || w->focusProxy())
            continue;
        stops.append(w);
    }
    // A control inside another stop (a list's viewport, a box's editor) is part of it.
    stops.erase(std::remove_if(stops.begin(), stops.end(),
                               [&](QWidget *w) {
                                   for (QWidget *p = w->parentWidget(); p && p != dialog; p = p->parentWidget())
                                       if (stops.contains(p))
                                           return true;
                                   return false;
                               }),
                stops.end());
    auto rect = [dialog](QWidget *w) { return QRect(w->mapTo(dialog, QPoint(0, 0)), w->size()); };
    std::sort(stops.begin(), stops.end(), [&](QWidget *a, QWidget *b) { return rect(a).top() < rect(b).top(); });
    QList<QWidgetList> rows;
    for (QWidget *w : stops) {
        if (!rows.isEmpty()) {
            const QRect first = rect(rows.last().first());
            if (rect(w).center().y() <= first.bottom()) {
                rows.last().append(w);
                continue;
            }
        }
        rows.append({w});
    }
    QWidgetList order;
    for (QWidgetList &row : rows) {
        std::stable_sort(row.begin(), row.end(), [&](QWidget *a, QWidget *b) {
            return rect(a).left() != rect(b).left() ? rect(a).left() < rect(b).left() : rect(a).top() < rect(b).top();
        });
        order += row;
    }
    return order;
}

QString describe(const QWidgetList &widgets)
{
    QStringList names;
    for (QWidget *w : widgets) {
        QString name = w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
        if (auto *button = qobject_cast<QAbstractButton *>(w))
            name += QLatin1Char('"') + button->text() + QLatin1Char('"');
        names.append(name);
    }
    return names.join(QStringLiteral(" -> "));
}

bool showActive(QDialog *dialog)
{
    dialog->show();
    QApplication::setActiveWindow(dialog);
    return QTest::qWaitForWindowExposed(dialog);
}

// The problems of a label showing text: a label lower than the text wrapped at blanks (a
// word wider than the label broken anywhere), or a line wider than the label. lines
// receives the number of lines the text takes.
QStringList textCut(const QLabel *label, const QString &text, int *lines = nullptr)
{
    // Breaks only at blanks and newlines: a word joiner after every other character.
    QString joined;
    for (const QChar c : text)
        joined += c == QLatin1Char('\n') ? QString(QChar::LineSeparator)
                  : c == QLatin1Char(' ') ? QString(c) : QString(c) + QChar(0x2060);
    const int width = label->contentsRect().width();
    const QFontMetrics metrics(label->font());
    QTextLayout layout(joined, label->font());
    QTextOption option;
    option.setWrapMode(label->wordWrap() ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::ManualWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine())
        line.setLineWidth(width);
    layout.endLayout();
    QStringList cut;
    const QString name = label->window()->objectName();
    if (label->contentsRect().height() < layout.lineCount() * metrics.height()
        || label->height() < label->heightForWidth(label->width()))
        cut << name + ": lower than its text";
    for (int i = 0; i < layout.lineCount(); ++i)
        if (layout.lineAt(i).naturalTextWidth() > width)
            cut << name + ": line cut at " + QString::number(i);
    if (lines)
        *lines = layout.lineCount();
    return cut;
}

// A title bar shows the caption, " — " and the program's name in a bold face, beside the
// window's icon and its three buttons (120 pixels in all).
bool captionFits(const QWidget *window)
{
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    const QString shown = window->windowTitle() + QString::fromUtf8(" \u2014 ") + QGuiApplication::applicationDisplayName();
    return window->width() >= QFontMetrics(font).horizontalAdvance(shown) + 120;
}

QWidget *stopOf(QWidget *focused, const QWidgetList &stops)
{
    for (QWidget *w = focused; w; w = w->parentWidget())
        if (stops.contains(w))
            return w;
    return focused;
}

} // namespace

class TestDialogKeys : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void tabFollowsScreen_data();
    void tabFollowsScreen();
    void enterPressesDefault_data();
    void enterPressesDefault();
    void boxShowsWholeText_data();
    void boxShowsWholeText();
    void boxIconAndPathBreaks_data();
    void boxIconAndPathBreaks();
    void windowFitsScreen_data();
    void windowFitsScreen();
    void boxTextCopies_data();
    void boxTextCopies();
    void boxGivesFocusBack_data();
    void boxGivesFocusBack();

private:
    std::unique_ptr<TestProgramFolder> m_app;
};

void TestDialogKeys::init()
{
    m_app = std::make_unique<TestProgramFolder>();
    QVERIFY(OpenEdition(QStringLiteral("Sample_Links.mdb")));
    DialogScript::begin();
}

void TestDialogKeys::cleanup()
{
    DialogScript::end();
    RemoveProgramFolder(m_app, true);
}

void TestDialogKeys::tabFollowsScreen_data()
{
    QTest::addColumn<Factory>("make");
    QTest::newRow("Form2") << Factory([](Hosts &h, FakeWebToolsHost &) { return new Form2(h); });
    QTest::newRow("Form3") << Factory([](Hosts &h, FakeWebToolsHost &) { return new Form3(h); });
    QTest::newRow("Form4") << Factory([](Hosts &h, FakeWebToolsHost &) { return new Form4(h); });
    QTest::newRow("Form5") << Factory([](Hosts &, FakeWebToolsHost &) { return new Form5; });
    QTest::newRow("Form6") << Factory([](Hosts &, FakeWebToolsHost &) { return new Form6(nullptr); });
    QTest::newRow("Form7") << Factory([](Hosts &, FakeWebToolsHost &) {
        return new Form7(QStringLiteral("Computers"), QStringLiteral("Programming"));
    });
    QTest::newRow("Form8") << Factory([](Hosts &h, FakeWebToolsHost &) { return new Form8(h); });
    QTest::newRow("Form9") << Factory([](Hosts &, FakeWebToolsHost &) { return new Form9([] {}); });
    QTest::newRow("Form10") << Factory([](Hosts &, FakeWebToolsHost &) { return new Form10; });
    QTest::newRow("Form11") << Factory([](Hosts &, FakeWebToolsHost &) { return new Form11; });
    QTest::newRow("Form12") << Factory([](Hosts &h, FakeWebToolsHost &) { return new Form12(h); });
    QTest::newRow("Form15") << Factory([](Hosts &h, FakeWebToolsHost &) { return new Form15(h); });
    QTest::newRow("Form16") << Factory([](Hosts &, FakeWebToolsHost &w) { return new Form16(&w); });
    QTest::newRow("Form17") << Factory([](Hosts &, FakeWebToolsHost &) { return Form17::open(nullptr); });
    QTest::newRow("Form18") << Factory([](Hosts &, FakeWebToolsHost &w) { return new Form18(&w); });
    QTest::newRow("Form19") << Factory([](Hosts &, FakeWebToolsHost &) { return new Form19; });
    QTest::newRow("Form22") << Factory([](Hosts &h, FakeWebToolsHost &) { return new Form22(h); });
    QTest::newRow("Form23") << Factory([](Hosts &h, FakeWebToolsHost &) { return new Form23(h); });
    QTest::newRow("Form24") << Factory([](Hosts &h, FakeWebToolsHost &) { return new Form24(h); });
    QTest::newRow("Form26") << Factory([](Hosts &, FakeWebToolsHost &) { return Form26::open(nullptr); });
    QTest::newRow("Form27") << Factory([](Hosts &, FakeWebToolsHost &) { return Form27::open(nullptr); });
    QTest::newRow("Form28") << Factory([](Hosts &, FakeWebToolsHost &) { return new Form28; });
    QTest::newRow("Form29") << Factory([](Hosts &h, FakeWebToolsHost &) { return new Form29(h); });
    QTest::newRow("Form30") << Factory([](Hosts &, FakeWebToolsHost &) { return new Form30; });
    QTest::newRow("Form31") << Factory([](Hosts &, FakeWebToolsHost &) { return new Form31; });
    QTest::newRow("Form33") << Factory([](Hosts &h, FakeWebToolsHost &) { return new Form33(h); });
    QTest::newRow("Form34") << Factory([](Hosts &h, FakeWebToolsHost &) { return new Form34(h); });
    QTest::newRow("Form35") << Factory([](Hosts &, FakeWebToolsHost &) {
        return new Form35({1, QStringLiteral("Computers")}, [] {});
    });
    QTest::newRow("frmCache") << Factory([](Hosts &, FakeWebToolsHost &) { return frmCache::open(nullptr); });
    QTest::newRow("proxy logon") << Factory([](Hosts &, FakeWebToolsHost &) {
        return new ProxyLogonDialog(QStringLiteral("proxy.example"), QString(), QString());
    });
}

void TestDialogKeys::tabFollowsScreen()
{
    QFETCH(Factory, make);
    Hosts hosts;
    FakeWebToolsHost webHost;
    std::unique_ptr<QDialog> dialog(make(hosts, webHost));
    QVERIFY(showActive(dialog.get()));
    const QWidgetList expected = screenOrder(dialog.get());
    if (expected.isEmpty())
        return;   // nothing takes the focus while it shows (a progress window)
    expected.first()->setFocus(Qt::TabFocusReason);
    QWidgetList visited{stopOf(QApplication::focusWidget(), expected)};
    for (int i = 1; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.append(stopOf(QApplication::focusWidget(), expected));
    }
    QCOMPARE(describe(visited), describe(expected));
}

using EnterTarget = std::function<QWidget *(QDialog *)>;

void TestDialogKeys::enterPressesDefault_data()
{
    auto connection = [](Hosts &, FakeWebToolsHost &) -> QDialog * { return new Form19; };
    auto accounts = [](Hosts &, FakeWebToolsHost &) -> QDialog * {
        ExecSql(QStringLiteral("INSERT INTO PersonalInformation (Title, URL, FieldName, FieldValue, FormNumber) "
                               "VALUES ('Bank', 'http://127.0.0.1/bank', 'user', 'me', 0)"));
        auto *form = new Form10;
        form->Form_Load();
        return form;
    };
    // The proxy option chosen, then the box Enter is pressed in.
    auto proxyBox = [](const char *name, const QString &text) {
        return EnterTarget([name, text](QDialog *dialog) {
            QTest::mouseClick(dialog->findChild<QWidget *>(QStringLiteral("Option2")), Qt::LeftButton);
            auto *box = dialog->findChild<QLineEdit *>(QLatin1String(name));
            box->setFocus();
            QTest::keyClicks(box, text);
            return static_cast<QWidget *>(box);
        });
    };
    // Two files to import: the one the list shows as chosen is the one Enter imports.
    auto importList = [](Hosts &, FakeWebToolsHost &) -> QDialog * {
        for (const char *name : {"Alpha", "Beta"}) {
            QFile file(ProgramFolder() + QLatin1String(name) + SubTopicFile::Extension);
            file.open(QIODevice::WriteOnly);
        }
        DialogScript::answer(vbOK);
        auto *form = new Form35({1, QStringLiteral("Computers")}, [] {});
        form->Form_Load();
        return form;
    };
    QTest::addColumn<Factory>("make");
    QTest::addColumn<EnterTarget>("target");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<bool>("open");   // still shown afterwards
    QTest::newRow("connection: on the direct option") << Factory(connection) << EnterTarget([](QDialog *dialog) {
        return dialog->findChild<QWidget *>(QStringLiteral("Option1"));
    }) << true << false;
    QTest::newRow("connection: in the server box") << Factory(connection) << proxyBox("Text1", "proxy.example") << true << false;
    QTest::newRow("connection: a password typed") << Factory(connection) << proxyBox("Text4", "pw") << true << false;
    QTest::newRow("connection: blank password") << Factory(connection) << proxyBox("Text4", " ") << false << true;
    QTest::newRow("accounts: on the list") << Factory(accounts) << EnterTarget([](QDialog *dialog) {
        return dialog->findChild<QWidget *>(QStringLiteral("ListView1"));
    }) << true << false;
    QTest::newRow("accounts: on Cancel") << Factory(accounts) << EnterTarget([](QDialog *dialog) {
        return dialog->findChild<QWidget *>(QStringLiteral("Command3"));
    }) << false << false;
    QTest::newRow("import list: the file shown chosen") << Factory(importList) << EnterTarget([](QDialog *dialog) {
        auto *list = dialog->findChild<QListWidget *>(QStringLiteral("List1"));
        list->setFocus();
        return static_cast<QWidget *>(list);
    }) << true << false;
}

void TestDialogKeys::enterPressesDefault()
{
    QFETCH(Factory, make);
    QFETCH(EnterTarget, target);
    QFETCH(bool, accepted);
    QFETCH(bool, open);
    Hosts hosts;
    FakeWebToolsHost webHost;
    std::unique_ptr<QDialog> dialog(make(hosts, webHost));
    QVERIFY(showActive(dialog.get()));
    QWidget *in = target(dialog.get());
    in->setFocus();
    QTest::keyClick(in, Qt::Key_Return);
    if (auto *list = dialog->findChild<QListWidget *>(QStringLiteral("List1")))
        QVERIFY(list->currentItem() && list->currentItem()->isSelected());
    QCOMPARE(dialog->result() == QDialog::Accepted, accepted);
    QCOMPARE(dialog->isVisible(), open);
}

void TestDialogKeys::boxShowsWholeText_data()
{
    const QString home = QStringLiteral("/home/margarethe.vandenberghe-oosterhuis/Documents/Quorvane Desktop 2/");
    const QString name = QStringLiteral("Computing and Programming Languages of the Twentieth Century Collection");
    const QString file = QStringLiteral("Computing_and_Programming_Languages_of_the_Twentieth_Century_Collection.mdb");
    const QString kept = home + QStringLiteral("Backup/") + file + QStringLiteral(".damaged-20261208-043012");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("prompt");
    QTest::newRow("a short title, a long sentence") << "Note" << QString(
        "A sentence far longer than a line of any box ever is, which goes on and on about nothing at all: it names "
        "every edition, every topic and every sub-topic the user has ever made, and then it names them all again in "
        "reverse order, just to be sure that the box has to wrap it at its blanks more than once.");
    QTest::newRow("several lines") << "Note" << "One.\nA second, longer line of the message.\n\nThe last line.";
    QTest::newRow("a path that fits") << "Compact/Repair Database"
                                      << "The damaged file was kept as:\n/home/margarethe/Backup/Sample_Links.mdb.damaged-1";
    QTest::newRow("a path wider than the screen")
        << "Note" << "The damaged file was kept as:\n" + QString("/home/margarethe.vandenberghe/Backup").repeated(5) + file;
    QTest::newRow("a name without blanks wider than the screen") << "Note" << "The file " + file.repeated(3) + " is gone.";
    QTest::newRow("Get Favorites, no folder") << "IE Favorites" << "No favorites were found: the folder " + home
        + "Favorites does not exist.\n\nFavorites are read from the internet shortcut files (*.url) of the folder "
        + home + "Favorites and its subfolders.";
    QTest::newRow("Delete Edition") << "Delete Edition" << "Are you sure you want to delete the Edition \"" + name + "\"?";
    QTest::newRow("Restore, active") << "Restore Edition" << QString(
        "You have selected an edition which is currently active. An 'active' edition cannot be restored. \nPlease "
        "make another Edition 'active' first before restoring this Edition.");
    QTest::newRow("Restore, question") << "Restore Edition" << "Are you sure you want to restore this Edition? ";
    QTest::newRow("Restore, overwrite") << "Quorvane"
                                        << "The Edition '" + name + "' already exists. Do you want to overwrite it?";
    QTest::newRow("Restore, done") << "Restore Edition" << "Your Edition has been successfuly restored.";
    QTest::newRow("Copy") << "Copy Edition" << "Your edition has been successfully copied.";
    QTest::newRow("Rename") << "Rename Edition" << "Your edition has been successfully renamed.";
    QTest::newRow("Create") << "Create Edition" << "The Edition '" + name + "' has been successfully created.";
    QTest::newRow("Create, refused") << "Create Edition"
                                     << "The Edition '" + name + "' already exists. Please select an alternate name.";
    QTest::newRow("Export") << "Export Edition" << "The Edition '" + name
        + "' has been successfully exported to the directory " + home + "Exported Editions.";
    QTest::newRow("Import, exists") << "Quorvane" << "The Edition with this name already exists";
    QTest::newRow("Add Topic") << "Add Topic" << "The Topic '" + name + "' has been successfully added to your edition.";
    QTest::newRow("Add Sub-Topic") << "Add Sub-Topic" << "The Sub-Topic '" + name + "' has been successfully added.";
    QTest::newRow("Delete Topic") << "Delete Topic" << "Are you sure you want to delete the Topic '" + name + "'?";
    QTest::newRow("damaged edition") << "Edition" << "The edition database " + file
        + " is damaged: part of it cannot be read.\nIts backup " + home + "Backup/" + file
        + " was kept as it was; the damaged file does not replace it.\nCompact / Repair Topics Database in the Options "
          "menu recovers what can still be read, or make another edition active and bring the backup back with Restore "
          "Edition.";
    QTest::newRow("Add Plug-In") << "Quorvane" << QString(
        "Quorvane will now display an online list of all Plug-In Editions, available for download.\nPlease note you "
        "must be logged onto the Internet to access this list.\n\nSelect 'Yes' to display this list now.");
    QTest::newRow("login, program page") << "Storing Personal Account Information" << QString(
        "The page shown is a page of this program, not a web page: it holds no web account login. Open the web page "
        "of your account, complete its login details, then store them. Nothing was stored.");
    QTest::newRow("login, stored") << "Account Information Stored"
                                   << "Your Membership/Account Information has been successfully stored.";
    QTest::newRow("download status") << "Download Progress" << "The server does not support file download resume";
    QTest::newRow("a title wider than the text") << "Storing Personal Account Information" << "Nothing was stored.";
    QTest::newRow("second instance") << "Quorvane"
                                     << "You are currently running an instance of Quorvane. Please close this instance first.";
}

// The real message and input box, and the download progress window's status, for each
// text: the label is as tall as its text wrapped at blanks (a word wider than the label
// broken anywhere) and every line of it within the label's width. A box's label is no
// wider than three quarters of the screen and does not wrap a text narrower than half of it.
void TestDialogKeys::boxShowsWholeText()
{
    QFETCH(QString, title);
    QFETCH(QString, prompt);
    const int screenWidth = QGuiApplication::primaryScreen()->availableGeometry().width();
    QStringList cut;
    const auto check = [&](QWidget *window, bool box) {
        const QLabel *label = LabelWith(window, prompt.left(20));
        if (!label || label->text() != prompt || (box && label->width() > screenWidth * 3 / 4)) {
            cut << window->objectName() + ": text changed or box too wide";
            return;
        }
        int lines = 0;
        cut << textCut(label, prompt, &lines);
        int widest = 0;
        for (const QString &line : prompt.split(QLatin1Char('\n')))
            widest = qMax(widest, label->fontMetrics().horizontalAdvance(line));
        if (box && widest < screenWidth / 2 && lines != prompt.count(QLatin1Char('\n')) + 1)
            cut << window->objectName() + ": wrapped though narrow";
        if (!captionFits(window))
            cut << window->objectName() + ": narrower than its caption";
    };
    const auto checkBox = [&](QDialog *box) {
        check(box, true);
        const QLabel *icon = box->findChild<QLabel *>(QStringLiteral("Icon"));
        if (box->objectName() == QLatin1String("MsgBox") && !icon)
            cut << QStringLiteral("a message box without its icon");
        // The text stands beside the icon, however much wider the caption makes the box.
        const QLabel *text = LabelWith(box, prompt.left(20));
        if (icon && text && text->x() - icon->x() - icon->pixmap().deviceIndependentSize().width() > 40)
            cut << QStringLiteral("a blank band between the icon and the text");
        QTest::keyClick(box, Qt::Key_Escape);
    };
    DialogScript::interact(checkBox);
    MsgBox(prompt, vbYesNo | vbQuestion, title);
    DialogScript::interact(checkBox);
    MsgBox(prompt, vbOKOnly | vbCritical, title);
    DialogScript::interact(checkBox);
    InputBox(prompt, title);
    Form30 progress;
    QVERIFY(showActive(&progress));
    progress.Label3->setText(prompt);
    QTRY_VERIFY(progress.Label3->height() >= progress.Label3->heightForWidth(progress.Label3->width()));
    check(&progress, false);
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QLatin1Char('\n'))));
}

namespace {

// A paint device that keeps the text drawn on it, one entry a run of text (a line).
class DrawnText : public QPaintDevice
{
public:
    explicit DrawnText(QSize size) : m_size(size) {}
    QPaintEngine *paintEngine() const override { return &m_engine; }
    QStringList runs() const { return m_engine.runs; }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth: return m_size.width();
        case PdmHeight: return m_size.height();
        case PdmWidthMM: return m_size.width() * 254 / 960;
        case PdmHeightMM: return m_size.height() * 254 / 960;
        case PdmDepth: return 32;
        case PdmNumColors: return INT_MAX;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
        default: return 96;   // dots per inch
        }
    }

private:
    struct Engine : QPaintEngine {
        Engine() : QPaintEngine(AllFeatures) {}
        bool begin(QPaintDevice *) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState &) override {}
        void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
        void drawTextItem(const QPointF &, const QTextItem &item) override { runs << item.text(); }
        Type type() const override { return User; }
        QStringList runs;
    };
    QSize m_size;
    mutable Engine m_engine;
};

} // namespace

void TestDialogKeys::boxIconAndPathBreaks_data()
{
    QTest::addColumn<int>("flags");
    QTest::addColumn<int>("icon");   // a QStyle::StandardPixmap; -1: none
    QTest::newRow("critical") << int(vbCritical) << int(QStyle::SP_MessageBoxCritical);
    QTest::newRow("question") << (vbYesNo | vbQuestion) << int(QStyle::SP_MessageBoxQuestion);
    QTest::newRow("exclamation") << int(vbExclamation) << int(QStyle::SP_MessageBoxWarning);
    QTest::newRow("information") << int(vbInformation) << int(QStyle::SP_MessageBoxInformation);
    QTest::newRow("none") << int(vbOKOnly) << -1;
}

// A message box shows the icon of its flag, and a path too long for a line is broken
// after a "/", each of its lines but the last ending in one.
void TestDialogKeys::boxIconAndPathBreaks()
{
    QFETCH(int, flags);
    QFETCH(int, icon);
    QString path = QStringLiteral("/srv");
    for (int i = 1; i <= 40; ++i)
        path += QStringLiteral("/archive-%1").arg(i);
    const QString prompt = QStringLiteral("The edition file ") + path + QStringLiteral("/links.mdb could not be read.");
    QStringList faults;
    DialogScript::interact([&](QDialog *box) {
        const auto *picture = box->findChild<QLabel *>(QStringLiteral("Icon"));
        if (icon < 0 && picture)
            faults << QStringLiteral("an icon where none is asked for");
        if (icon >= 0) {
            const int size = box->style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, box);
            const QImage expected = box->style()->standardIcon(QStyle::StandardPixmap(icon), nullptr, box)
                                        .pixmap(size, size).toImage();
            if (!picture || picture->pixmap().toImage() != expected)
                faults << QStringLiteral("not the icon of its flag");
        }
        auto *label = box->findChild<QLabel *>(QStringLiteral("Prompt"));
        DrawnText drawn(label->size());
        label->render(&drawn);
        const QStringList lines = drawn.runs();
        if (lines.size() < 3)
            faults << QStringLiteral("the path is not broken: ") + lines.join(QLatin1Char('|'));
        qsizetype at = 0;
        for (const QString &line : lines) {
            if (prompt.mid(at, 1) == QLatin1String(" ") && !prompt.mid(at).startsWith(line))
                ++at;
            if (!prompt.mid(at).startsWith(line)) {
                faults << QStringLiteral("a line not of the text: ") + line;
                break;
            }
            at += line.size();
            if (at < prompt.size() && prompt.at(at) != QLatin1Char(' ') && !line.endsWith(QLatin1Char('/')))
                faults << QStringLiteral("a path broken after ") + line.right(12);
        }
        QTest::keyClick(box, Qt::Key_Escape);
    });
    MsgBox(prompt, flags, QStringLiteral("Edition"));
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
}

// A window that shows a long name or path stays within a screen of 1280 × 800: the name
// wraps in its label, whole. The Topic, the Sub-Topic and the tree path all hold a name
// of 200 characters, as a Sub-Topic import lets in.
void TestDialogKeys::windowFitsScreen_data()
{
    const QString folder = QStringLiteral("/home/margarethe.vandenberghe-oosterhuis/Programs/Quorvane Desktop 2 Program Folder")
                               .repeated(3) + QLatin1Char('/');
    QTest::addColumn<Factory>("make");
    QTest::addColumn<QString>("shown");
    QTest::newRow("Import Sub-Topic") << Factory([folder](Hosts &, FakeWebToolsHost &) {
        qputenv("QUORVANE_HOME", folder.toUtf8());
        return loaded<Form35>(Form35::Target{1, QStringLiteral("Computers")}, std::function<void()>());
    }) << folder;
    QTest::newRow("Add Link") << Factory([](Hosts &h, FakeWebToolsHost &) { return loaded<Form3>(h); }) << LongName + "\\Tools";
    QTest::newRow("Rename Link Name") << Factory([](Hosts &h, FakeWebToolsHost &) { return loaded<Form4>(h); })
                                      << LongName + "\\Tools";
    QTest::newRow("Rename Web Address") << Factory([](Hosts &h, FakeWebToolsHost &) { return loaded<Form22>(h); })
                                        << LongName + "\\Tools";
    QTest::newRow("Move Sub-Topic") << Factory([](Hosts &h, FakeWebToolsHost &) { return loaded<Form33>(h); }) << LongName;
    QTest::newRow("Check Sub-Topic Links") << Factory([](Hosts &, FakeWebToolsHost &w) { return loaded<Form18>(&w); })
                                           << LongName;
    QTest::newRow("Update Color Scheme") << Factory([](Hosts &, FakeWebToolsHost &) {
        return loaded<Form7>(QStringLiteral("Computers"), LongName);
    }) << LongName;
}

void TestDialogKeys::windowFitsScreen()
{
    QFETCH(Factory, make);
    QFETCH(QString, shown);
    const QByteArray home = qgetenv("QUORVANE_HOME");
    SelectedNodePath = LongName + QStringLiteral("\\Tools");
    Hosts hosts;
    hosts.subTopic = LongName;
    hosts.m_topics.addItems({QStringLiteral("Select Topic"), LongName});
    hosts.m_topics.setCurrentIndex(1);
    FakeWebToolsHost webHost;
    webHost.subTopic = LongName;
    std::unique_ptr<QDialog> dialog(make(hosts, webHost));
    qputenv("QUORVANE_HOME", home);
    QVERIFY(showActive(dialog.get()));
    QVERIFY2(dialog->frameGeometry().width() <= 1280 && dialog->frameGeometry().height() <= 800,
             qPrintable(QString::number(dialog->frameGeometry().width())));
    const QLabel *label = LabelWith(dialog.get(), shown);
    QVERIFY(label && label->text() == shown);
    QCOMPARE(textCut(label, shown), QStringList());
}

using TextAction = std::function<void(QDialog *box, QLabel *text)>;

void TestDialogKeys::boxTextCopies_data()
{
    const QString prompt = QStringLiteral("Are you sure you want to delete the Edition \"Garden\"?");
    // The middle of the word "delete" on the first line.
    const auto onDelete = [](QLabel *text) {
        const QFontMetrics metrics(text->font());
        return QPoint(text->contentsRect().left() + metrics.horizontalAdvance(QStringLiteral("Are you sure you want to de")),
                      text->contentsRect().top() + metrics.height() / 2);
    };
    QTest::addColumn<TextAction>("act");
    QTest::addColumn<QString>("copied");
    // Whether the text shows that it has the keyboard focus: a click gives it the focus
    // without showing it, as a click does a button.
    QTest::addColumn<bool>("focusShown");
    QTest::newRow("nothing selected: the whole text") << TextAction([](QDialog *, QLabel *) {}) << prompt << false;
    QTest::newRow("a word double-clicked") << TextAction([onDelete](QDialog *, QLabel *text) {
        QTest::mouseDClick(text, Qt::LeftButton, {}, onDelete(text));
    }) << "delete" << false;
    QTest::newRow("dragged to the end") << TextAction([onDelete](QDialog *, QLabel *text) {
        QTest::mousePress(text, Qt::LeftButton, {}, onDelete(text) - QPoint(text->fontMetrics().horizontalAdvance("de"), 0));
        QTest::mouseMove(text, QPoint(text->width() - 1, text->height() - 1));
        QTest::mouseRelease(text, Qt::LeftButton, {}, QPoint(text->width() - 1, text->height() - 1));
    }) << "delete the Edition \"Garden\"?" << false;
    QTest::newRow("keys: Tab to the text, End, Shift+Left twice") << TextAction([](QDialog *, QLabel *text) {
        for (int i = 0; i < 3 && QApplication::focusWidget() != text; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(text, Qt::Key_End);
        QTest::keyClick(text, Qt::Key_Left, Qt::ShiftModifier);
        QTest::keyClick(text, Qt::Key_Left, Qt::ShiftModifier);
    }) << "\"?" << true;
}

// The text of a message box can be selected with the mouse and the keys, and Ctrl+C
// copies it; Enter still answers the box afterwards.
void TestDialogKeys::boxTextCopies()
{
    QFETCH(TextAction, act);
    QFETCH(QString, copied);
    QFETCH(bool, focusShown);
    QApplication::clipboard()->clear();
    bool shown = false;
    DialogScript::interact([&](QDialog *box) {
        QTRY_VERIFY(QApplication::activeWindow() == box);
        auto *text = box->findChild<QLabel *>(QStringLiteral("Prompt"));
        act(box, text);
        // The text as it shows now, against the same without the focus.
        const QImage now = text->grab().toImage();
        QWidget *focused = QApplication::focusWidget();
        text->clearFocus();
        shown = text->grab().toImage() != now;
        if (focused)
            focused->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::ControlModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    QCOMPARE(MsgBox(QStringLiteral("Are you sure you want to delete the Edition \"Garden\"?"), vbYesNo | vbQuestion,
                    QStringLiteral("Delete Edition")),
             int(vbYes));
    QCOMPARE(QApplication::clipboard()->text(), copied);
    QCOMPARE(shown, focusShown);
}

void TestDialogKeys::boxGivesFocusBack_data()
{
    QTest::addColumn<bool>("activeChosen");
    QTest::addColumn<QString>("activeAfter");
    QTest::newRow("the dialog stays open") << false << "Form15";
    // The active edition is refused, and the dialog closes on the answer.
    QTest::newRow("the dialog closes") << true << "Main";
}

// A box takes the focus when it shows, Enter answers it, and the focus goes back to the
// window that opened it, or where that has closed, to the window under it.
void TestDialogKeys::boxGivesFocusBack()
{
    QFETCH(bool, activeChosen);
    QFETCH(QString, activeAfter);
    QWidget main;
    main.setObjectName(QStringLiteral("Main"));
    main.show();
    QApplication::setActiveWindow(&main);
    QVERIFY(QTest::qWaitForWindowActive(&main));
    Hosts hosts;
    Form15 dialog(hosts, &main);
    dialog.Form_Load();
    bool boxHadFocus = false;
    QString after;
    QTimer::singleShot(0, &dialog, [&] {
        const auto close = qScopeGuard([&dialog] { dialog.reject(); });
        if (!activeChosen)
            dialog.List1->clearSelection();
        DialogScript::interact([&](QDialog *box) {
            QTRY_VERIFY(QApplication::activeWindow() == box);
            boxHadFocus = QApplication::focusWidget() && QApplication::focusWidget()->window() == box;
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        });
        QTest::mouseClick(dialog.Command1, Qt::LeftButton);
        QTRY_VERIFY(QApplication::activeWindow());
        after = QApplication::activeWindow()->objectName();
    });
    dialog.exec();
    QVERIFY(boxHadFocus);
    QCOMPARE(DialogScript::pending(), 0);
    if (activeChosen) {
        QTRY_VERIFY(QApplication::activeWindow() == &main);
        after = QApplication::activeWindow()->objectName();
    }
    QCOMPARE(after, activeAfter);

    // In an input box the field has the focus, not the text above it: typing goes into it.
    DialogScript::interact([](QDialog *box) {
        QTRY_VERIFY(QApplication::activeWindow() == box);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Garden"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    QCOMPARE(InputBox(QStringLiteral("Name of the new Edition:"), QStringLiteral("Create Edition")),
             QStringLiteral("Garden"));
}

// The dialogs are tried on a screen of 1280 × 800, the smallest the program is made for.
int main(int argc, char **argv)
{
    QTemporaryDir folder;
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen") {
        QFile config(folder.filePath(QStringLiteral("screen.json")));
        if (!config.open(QIODevice::WriteOnly)
            || config.write(R"({"screens": [{"name": "Screen", "x": 0, "y": 0, "width": 1280, "height": 800,
                                "logicalDpiX": 96, "logicalDpiY": 96, "dpr": 1}]})")
                   < 0)
            return 1;
        config.close();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config.fileName()));
    }
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestDialogKeys test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_dialog_keys.moc"
