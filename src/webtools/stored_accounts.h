#pragma once
// Stored web-account logins: the filled-in text and password inputs of a page, kept in the
// table PersonalInformation of the active edition under a title the user chose, one row
// per input (Title, FieldName, FieldValue, FormNumber, URL). Works on the open edition; no
// window is needed. Values are never written to the program's log.
//
// The inputs of a page are read by the browser (see PageInputs) as a walk of its top-level
// document: the elements whose tag name contains "FORM", the FRAME elements with the
// inputs of each frame's document, and the INPUT elements. rowsOf turns that walk into the
// rows to store.

#include <QList>
#include <QString>
#include <QVector>

// One element of the walk of a page's top-level document.
struct PageElement {
    QString tag;     // upper case: "INPUT", "FRAME" or a tag containing "FORM"
    QString type;    // an INPUT's "type" attribute as written
    QString name;    // an INPUT's "name" attribute
    QString value;   // an INPUT's current value (what the user typed)
    QVector<PageElement> frameInputs;   // a FRAME's document's INPUT elements
    bool shown = true;   // an INPUT the user can see (not hidden by its page's style)
};

struct AccountRow {
    QString title;
    QString fieldName;
    QString fieldValue;
    int formNumber = 0;
    QString url;
};

// One stored account as listed: its title and an address its rows carry.
struct AccountEntry {
    QString title;
    QString url;
};

class StoredAccounts
{
public:
    // The rows a store of title from the page at address writes: inputs the user can see
    // of type text, password (or any type that is no other kind of input) with a value;
    // inputs of the
    // top-level document up to its first FRAME, then the inputs of every frame's document.
    // FormNumber counts the top-level elements whose tag contains "FORM" met so far. Frame
    // rows of an address longer than 250 characters carry it cut before its first "?"
    // (kept whole when it has none).
    static QVector<AccountRow> rowsOf(const QString &title, const QString &address,
                                      const QVector<PageElement> &elements);
    // The upper-case type an input counts as: its own for the classic kinds of input
    // (text, password, check box, radio, submit, reset, file, hidden, image, button),
    // "TEXT" for a missing type and for every newer kind (e-mail, search, telephone, ...).
    static QString inputKind(const QString &typeAttribute);

    // True when an account of that title exists (letter case ignored). False also when
    // the edition cannot be read (error set).
    bool titleExists(const QString &title);
    // Writes the rows, all or none.
    bool store(const QVector<AccountRow> &rows);
    // The distinct title and address pairs, in the order they were stored.
    bool list(QVector<AccountEntry> &entries);
    // Deletes every row of the title, whatever its address.
    bool remove(const QString &title);
    // The rows of the account title stored for address, in the order they were stored.
    bool rowsFor(const QString &title, const QString &address, QVector<AccountRow> &rows);

    QString lastError() const { return m_error; }

private:
    QString m_error;
};
