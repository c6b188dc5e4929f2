// Window placement from the settings, the foreground browser-window history, type-ahead in
// a combo box, and file icons and type names.

#include "platform/foreground_window.h"
#include "platform/settings.h"
#include "shared/globals.h"
#include "shared/window_services.h"
#include "testhelper.h"

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListView>
#include <QSignalSpy>
#include <QTest>
#include <memory>

namespace {

const QString App = QStringLiteral("QuorvaneDesktop");

std::unique_ptr<QComboBox> keywordBox()
{
    auto combo = std::make_unique<QComboBox>();
    combo->setEditable(true);
    combo->addItems({"Zebra", "Abacus", "abbey", "Banana"});
    ComboTypeAhead::attach(combo.get());
    combo->setCurrentIndex(-1);
    return combo;
}

} // namespace

class TestWindowServices : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void placementRestored();
    void placementKeepsWhatIsNotStored();
    void browserTitle_data();
    void browserTitle();
    void windowHistory();
    void typeAheadCompletes();
    void typeAheadControlKeys();
    void typeAheadThroughKeyboard();
    void fileIconAndTypeName();

private:
    std::unique_ptr<TestProgramFolder> m_folder;
};

void TestWindowServices::initTestCase()
{
    m_folder = std::make_unique<TestProgramFolder>();
}

void TestWindowServices::cleanup()
{
    DeleteSetting(App, "Form1_Settings");
    DeleteSetting(App, "Form5_Settings");
    SetForegroundWindowSource({});
}

void TestWindowServices::placementRestored()
{
    SaveSetting(App, "Form1_Settings", "FormLeft", "1500");
    SaveSetting(App, "Form1_Settings", "FormTop", "750");
    SaveSetting(App, "Form1_Settings", "FormWidth", "9000");
    SaveSetting(App, "Form1_Settings", "FormHeight", "6000");
    SaveSetting(App, "Form1_Settings", "WasMaximized", "true");
    QWidget window;
    window.setObjectName("Form1");
    window.setGeometry(10, 10, 200, 100);
    LoadFormSettings(&window);
    QCOMPARE(window.pos(), QPoint(100, 50));
    QCOMPARE(window.size(), QSize(600, 400));
    QVERIFY(!(window.windowState() & Qt::WindowMaximized));   // only "True" exactly maximises

    SaveSetting(App, "Form1_Settings", "WasMaximized", "True");
    LoadFormSettings(&window);
    QVERIFY(window.windowState() & Qt::WindowMaximized);

    // A window of fixed size is only moved.
    SaveSetting(App, "Form5_Settings", "FormLeft", "300");
    SaveSetting(App, "Form5_Settings", "FormTop", "300");
    SaveSetting(App, "Form5_Settings", "FormWidth", "9000");
    QDialog fixed;
    fixed.setObjectName("Form5");
    fixed.setFixedSize(200, 100);
    LoadFormSettings(&fixed);
    QCOMPARE(fixed.pos(), QPoint(20, 20));
    QCOMPARE(fixed.size(), QSize(200, 100));
    fixed.setMinimumSize(0, 0);   // no size limits, yet told to keep its size
    fixed.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    fixed.setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    LoadFormSettings(&fixed);
    QCOMPARE(fixed.size(), QSize(200, 100));
}

void TestWindowServices::placementKeepsWhatIsNotStored()
{
    QWidget window;
    window.setObjectName("Form1");
    window.setGeometry(10, 20, 200, 100);
    LoadFormSettings(&window);
    QCOMPARE(window.geometry(), QRect(10, 20, 200, 100));

    // A value that is not a number leaves that coordinate as it is (not 0).
    SaveSetting(App, "Form1_Settings", "FormLeft", "wide");
    SaveSetting(App, "Form1_Settings", "FormWidth", "");
    SaveSetting(App, "Form1_Settings", "FormHeight", " 3000 ");
    LoadFormSettings(&window);
    QCOMPARE(window.geometry(), QRect(10, 20, 200, 200));
}

void TestWindowServices::browserTitle_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("browser");
    QTest::newRow("browser word") << "My Browser Notes" << true;
    QTest::newRow("our browser windows") << "Example Domain - Browser" << true;
    QTest::newRow("explorer") << "News - Microsoft Internet Explorer" << true;
    QTest::newRow("small letters") << "news - internet explorer" << false;
    QTest::newRow("other program") << "Terminal" << false;
}

void TestWindowServices::browserTitle()
{
    QFETCH(QString, title);
    QFETCH(bool, browser);
    QCOMPARE(IsBrowserTitle(title), browser);
}

void TestWindowServices::windowHistory()
{
    TrackedWindows.clear();
    std::optional<ForegroundWindow> front;
    SetForegroundWindowSource([&front] { return front; });

    QVERIFY(!TrackForegroundWindow());   // none known
    QCOMPARE(TrackedWindows.size(), 6);
    front = ForegroundWindow{11, "Editor"};
    QVERIFY(!TrackForegroundWindow());
    QCOMPARE(TrackedWindows[0], QString());

    front = ForegroundWindow{101, "A - Browser"};
    QVERIFY(TrackForegroundWindow());
    QVERIFY(!TrackForegroundWindow());   // staying in front is recorded once
    front = ForegroundWindow{11, "Editor"};
    QVERIFY(!TrackForegroundWindow());
    front = ForegroundWindow{202, "B - Browser"};
    QVERIFY(TrackForegroundWindow());
    front = ForegroundWindow{101, "A - Browser"};
    QVERIFY(TrackForegroundWindow());
    QCOMPARE(TrackedWindows, (QStringList{"A - Browser", "B - Browser", "A - Browser", "101", "202", "101"}));

    front = ForegroundWindow{303, "C - Browser"};   // the oldest entry drops out
    QVERIFY(TrackForegroundWindow());
    QCOMPARE(TrackedWindows, (QStringList{"C - Browser", "A - Browser", "B - Browser", "303", "101", "202"}));
}

void TestWindowServices::typeAheadCompletes()
{
    auto combo = keywordBox();
    combo->show();
    QLineEdit *edit = combo->lineEdit();
    QSignalSpy changed(combo.get(), &QComboBox::currentIndexChanged);

    QCOMPARE(AutoCompleteComboBox(combo.get(), 'a'), 0);
    QCOMPARE(edit->text(), QString("Abacus"));
    QCOMPARE(edit->selectedText(), QString("bacus"));
    QCOMPARE(AutoCompleteComboBox(combo.get(), 'b'), 0);
    QCOMPARE(edit->text(), QString("Abacus"));
    QCOMPARE(edit->selectedText(), QString("acus"));
    QCOMPARE(combo->currentIndex(), 1);
    QCOMPARE(changed.count(), 0);   // typing is not a choice from the list
    QVERIFY(combo->findChild<ComboTypeAhead *>()->dropDown()->isVisible());

    // The typed character replaces the completion; "abb" goes on to the next entry.
    QCOMPARE(AutoCompleteComboBox(combo.get(), 'b'), 0);
    QCOMPARE(edit->text(), QString("abbey"));
    QCOMPARE(edit->selectedText(), QString("ey"));

    // Nothing in the list: the typed text stays, caret at its end.
    QCOMPARE(AutoCompleteComboBox(combo.get(), 'x'), 0);
    QCOMPARE(edit->text(), QString("abbx"));
    QCOMPARE(edit->selectedText(), QString());
    QCOMPARE(edit->cursorPosition(), 4);
    QCOMPARE(combo->currentIndex(), -1);
    // Without a selection the character goes to the end of the text.
    edit->setCursorPosition(1);
    AutoCompleteComboBox(combo.get(), 'y');
    QCOMPARE(edit->text(), QString("abbxy"));
}

void TestWindowServices::typeAheadControlKeys()
{
    auto combo = keywordBox();
    combo->show();
    QLineEdit *edit = combo->lineEdit();
    AutoCompleteComboBox(combo.get(), 'a');
    AutoCompleteComboBox(combo.get(), 'b');
    // Backspace removes the completion, then the last character.
    QCOMPARE(AutoCompleteComboBox(combo.get(), 8), 0);
    QCOMPARE(edit->text(), QString("Ab"));
    QCOMPARE(edit->cursorPosition(), 2);
    QCOMPARE(AutoCompleteComboBox(combo.get(), 8), 0);
    QCOMPARE(edit->text(), QString("A"));
    // Escape and the other control characters are swallowed; Enter passes on.
    QCOMPARE(AutoCompleteComboBox(combo.get(), 27), 0);
    QCOMPARE(AutoCompleteComboBox(combo.get(), 1), 0);
    QCOMPARE(AutoCompleteComboBox(combo.get(), 13), 13);
    QCOMPARE(edit->text(), QString("A"));
    QCOMPARE(AutoCompleteComboBox(nullptr, 'a'), int('a'));
}

void TestWindowServices::typeAheadThroughKeyboard()
{
    auto combo = keywordBox();
    combo->show();
    QVERIFY(QTest::qWaitForWindowExposed(combo.get()));
    QLineEdit *edit = combo->lineEdit();
    QCOMPARE(combo->completer(), nullptr);
    QCOMPARE(combo->insertPolicy(), QComboBox::NoInsert);

    QTest::keyClicks(edit, "ba");
    QCOMPARE(edit->text(), QString("Banana"));
    QCOMPARE(edit->selectedText(), QString("nana"));
    // Keys without a character keep their editing meaning.
    QTest::keyClick(edit, Qt::Key_End);
    QCOMPARE(edit->selectedText(), QString());
    QCOMPARE(edit->cursorPosition(), 6);
    QTest::keyClick(edit, Qt::Key_Left);
    QCOMPARE(edit->cursorPosition(), 5);
    QTest::keyClick(edit, Qt::Key_Escape);
    QCOMPARE(edit->text(), QString("Banana"));
    QVERIFY(!combo->findChild<ComboTypeAhead *>()->dropDown()->isVisible());

    // Enter reaches the box and adds nothing to its list.
    QSignalSpy entered(edit, &QLineEdit::returnPressed);
    QTest::keyClick(edit, Qt::Key_Return);
    QVERIFY(entered.count() >= 1);
    QCOMPARE(combo->count(), 4);

}

void TestWindowServices::fileIconAndTypeName()
{
    m_folder->writeFile("notes.txt", "some text\n");
    const QString path = m_folder->file("notes.txt");
    const QIcon small = GetFileIcon(path, 1);
    QVERIFY(!small.isNull());
    QCOMPARE(small.availableSizes().value(0), QSize(16, 16));
    QCOMPARE(GetFileIcon(path, 2).availableSizes().value(0), QSize(32, 32));
    QVERIFY(GetFileIcon(m_folder->file("missing.txt"), 1).isNull());

    const QString typeName = GetFileTypeName(path);
    QVERIFY(!typeName.isEmpty());
    QCOMPARE(GetFileTypeName(m_folder->file("missing.txt")), QString());
}

QTEST_MAIN(TestWindowServices)
#include "tst_window_services.moc"
