// The names the editing commands accept and refuse, each name against every command's
// rules: Topic and Sub-Topic names (add checks the characters before the length, rename the
// length first), category names (also a link's new name), a link's name in the Add Link
// dialog, a section header and a link's new address. Every character they may not hold,
// the characters next to them and the ones that look like them, names without a letter,
// numbers, and names at the length limit.

#include "editing/category_editing.h"
#include "editing/link_editing.h"
#include "editing/section_headers.h"
#include "editing/topic_editing.h"

#include <QtTest>

namespace {

// The verdicts in words: "ok", "letter" (no letter A-Z or blank), "character" (one no name
// may hold), "length" (over 30), "number", "empty".
QString verdict(TopicEditing::NameCheck check)
{
    using C = TopicEditing::NameCheck;
    switch (check) {
    case C::Ok: return QStringLiteral("ok");
    case C::NoTextChar: return QStringLiteral("letter");
    case C::ProhibitedChar: return QStringLiteral("character");
    case C::TooLong: return QStringLiteral("length");
    }
    return QString();
}

QString verdict(CategoryEditing::NameCheck check)
{
    using C = CategoryEditing::NameCheck;
    switch (check) {
    case C::Ok: return QStringLiteral("ok");
    case C::Empty: return QStringLiteral("empty");
    case C::NoTextCharacter: return QStringLiteral("letter");
    case C::Prohibited: return QStringLiteral("character");
    case C::Numeric: return QStringLiteral("number");
    }
    return QString();
}

QString verdict(LinkEditing::AddCheck check)
{
    using C = LinkEditing::AddCheck;
    switch (check) {
    case C::Ok: return QStringLiteral("ok");
    case C::EmptyName:
    case C::EmptyAddress: return QStringLiteral("empty");
    case C::NoTextCharacter: return QStringLiteral("letter");
    case C::Prohibited: return QStringLiteral("character");
    case C::Numeric: return QStringLiteral("number");
    }
    return QString();
}

QString verdict(SectionHeaders::Check check)
{
    using C = SectionHeaders::Check;
    switch (check) {
    case C::Ok: return QStringLiteral("ok");
    case C::ProhibitedCharacters: return QStringLiteral("character");
    case C::Blank: return QStringLiteral("empty");
    }
    return QString();
}

QString verdict(LinkEditing::AddressCheck check)
{
    using C = LinkEditing::AddressCheck;
    switch (check) {
    case C::Ok: return QStringLiteral("ok");
    case C::Prohibited: return QStringLiteral("character");
    case C::Empty: return QStringLiteral("empty");
    }
    return QString();
}

} // namespace

class TestEditNames : public QObject
{
    Q_OBJECT

private slots:
    void everyCommandsRules_data();
    void everyCommandsRules();
};

void TestEditNames::everyCommandsRules_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("topicAdd");      // Topic and Sub-Topic add
    QTest::addColumn<QString>("topicRename");   // Topic and Sub-Topic rename
    QTest::addColumn<QString>("category");      // category add and rename, link rename
    QTest::addColumn<QString>("linkAdd");
    QTest::addColumn<QString>("header");        // one of a page's section headers
    QTest::addColumn<QString>("address");       // a link's new address

    const auto same = [](const char *row, const QString &name, const char *all) {
        QTest::newRow(row) << name << all << all << all << all << all << all;
    };
    // The six characters no name may hold, anywhere in the name; a header and an address
    // may hold a slash and a backslash.
    same("apostrophe", QStringLiteral("Kid's Corner"), "character");
    same("less-than", QStringLiteral("<Kids"), "character");
    same("greater-than", QStringLiteral("Kids>"), "character");
    same("double quote", QStringLiteral("The \"Kids\""), "character");
    QTest::newRow("slash") << "Kids/Teens" << "character" << "character" << "character" << "character" << "ok" << "ok";
    QTest::newRow("backslash") << "Kids\\Teens" << "character" << "character" << "character" << "character" << "ok"
                               << "ok";
    same("all six", QStringLiteral("'<>\"/\\ Kids"), "character");
    // A category's name comes first in its stored reversed path, where the edition would
    // drop a U+FEFF or U+FFFE as a byte order mark.
    for (const char16_t *name : {u"\uFEFFKids", u" \uFFFEKids"})
        QTest::addRow("U+%04X first", unsigned(QStringView(name).trimmed().front().unicode()))
            << QStringView(name).toString() << "ok" << "ok" << "character" << "ok" << "ok" << "ok";
    same("U+FEFF inside", QStringLiteral("Ki\uFEFFds"), "ok");

    // Their neighbours in the character table, and characters that only look like them.
    same("ampersand", QStringLiteral("Kids & Teens"), "ok");
    same("parentheses", QStringLiteral("Kids (Teens)"), "ok");
    same("semicolon, equals, question mark", QStringLiteral("a;b=c?"), "ok");
    same("exclamation, hash", QStringLiteral("Kids! #1"), "ok");
    same("dot, zero", QStringLiteral("Web 2.0"), "ok");
    same("brackets, bar, grave accent", QStringLiteral("[Kids]|`x`"), "ok");
    same("typographic quotes", QStringLiteral("Kid\u2019s \u201CCorner\u201D"), "ok");
    same("full-width less-than and greater-than", QStringLiteral("\uFF1CKids\uFF1E"), "ok");
    same("division slash, fraction slash, full-width backslash", QStringLiteral("a\u2215b\u2044c\uFF3Cd"), "ok");

    // Names without a letter A-Z or a blank; letters beyond A-Z do not count.
    // A header and an address need no letter.
    QTest::newRow("digits") << "2024" << "letter" << "letter" << "letter" << "letter" << "ok" << "ok";
    QTest::newRow("punctuation") << "-_-" << "letter" << "letter" << "letter" << "letter" << "ok" << "ok";
    QTest::newRow("letters beyond A-Z only") << "\u00C4\u00D6\u00DC" << "letter" << "letter" << "letter" << "letter"
                                             << "ok" << "ok";
    same("one letter beyond them", QStringLiteral("\u00C4pfel"), "ok");
    // A blank counts as a letter for a Topic; the others trim it away first.
    QTest::newRow("blanks only") << "   " << "ok" << "ok" << "empty" << "empty" << "empty" << "empty";

    // Numbers: a Topic only needs a letter or blank, a category or link may not be a number.
    QTest::newRow("exponent") << "1e5" << "ok" << "ok" << "number" << "number" << "ok" << "ok";
    QTest::newRow("blank and digits") << " 42" << "ok" << "ok" << "number" << "number" << "ok" << "ok";
    QTest::newRow("hexadecimal") << "&H1F" << "ok" << "ok" << "number" << "number" << "ok" << "ok";
    same("not quite hexadecimal", QStringLiteral("&H1G"), "ok");
    same("number and word", QStringLiteral("42 Street"), "ok");

    // The length of a Topic or Sub-Topic name: 30 characters, counted as typed (a header's
    // box takes no more than it may hold).
    const QString thirty = QStringLiteral("Abcdefghij Abcdefghij Abcdefgh");
    same("30 characters", thirty, "ok");
    QTest::newRow("31 characters") << thirty + "i" << "length" << "length" << "ok" << "ok" << "ok" << "ok";
    QTest::newRow("29 characters and two blanks")
        << " " + thirty.left(29) + " " << "length" << "length" << "ok" << "ok" << "ok" << "ok";
    same("30 with letters beyond A-Z", QString(29, QChar(0x00E9)) + "x", "ok");
}

void TestEditNames::everyCommandsRules()
{
    QFETCH(QString, name);
    QFETCH(QString, topicAdd);
    QFETCH(QString, topicRename);
    QFETCH(QString, category);
    QFETCH(QString, linkAdd);
    QFETCH(QString, header);
    QFETCH(QString, address);
    QCOMPARE(verdict(TopicEditing::checkNameForAdd(name)), topicAdd);
    QCOMPARE(verdict(TopicEditing::checkNameForRename(name)), topicRename);
    QCOMPARE(verdict(CategoryEditing::checkName(name)), category);
    QCOMPARE(verdict(LinkEditing::checkAdd(name, QStringLiteral("https://kids.example/"))), linkAdd);
    const QString other = QStringLiteral("Other Websites");
    QCOMPARE(verdict(SectionHeaders::check({other, other, name, other, other, other})), header);
    QCOMPARE(verdict(LinkEditing::checkAddress(name)), address);
}

QTEST_MAIN(TestEditNames)
#include "tst_edit_names.moc"
