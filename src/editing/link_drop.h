#pragma once
// Links dragged out of the category tree and dropped onto it.
//
// A link dragged out of the tree carries its name and address in a format of this
// program's own (so a name holding a comma stays whole) and, for other programs, the text
// "<name>,<address>". A drop from another program brings an address (a list of addresses,
// the first of which counts, or plain text), or a text "<name>,<address>" split at its
// first comma. A browser's link drag also brings the link's text, kept as linkText.

// The drop handler names an address after the open browser pages.
#include "editing/open_browser_pages.h"

#include <QString>

class QMimeData;

class LinkDrop
{
public:
    static QString mimeType();   // "application/x-quorvane-link"

    // The data of a link dragged out of the tree (owned by the caller, normally a QDrag).
    static QMimeData *dragData(const QString &name, const QString &address);

    struct Dropped {
        bool hasText = false;       // the drop brought something to work with
        bool fromProgram = false;   // a link of this program: name and address as they were
        QString text;               // the dropped text ("<name>,<address>" for a link of this program)
        QString name;               // "" when only an address came
        QString address;
        // The text of the dragged link when a browser handed it over with the address
        // (its title line, its plain text or the text of its HTML); "" when there is none
        // or it is the address itself.
        QString linkText;
    };
    static Dropped read(const QMimeData *data);

    // True when text is one address as a whole ("<scheme>://" and no blank), so a comma in
    // it does not split it into a name and an address.
    static bool isWholeAddress(const QString &text);
    // "<name>,<address>" split at the first comma; a text without comma is an address alone.
    static void splitLinkText(const QString &text, QString &name, QString &address);

    // Checks what a dropped link is stored as, after the name went through the name rules
    // of a typed one (characters no name may hold are replaced by blanks).
    enum class Check {
        Ok,
        EmptyAddress,      // nothing to store
        NoTextCharacter,   // no letter or blank left in the name
        Numeric,           // the name reads as a number
    };
    static Check prepare(QString &name, QString &address);
};
