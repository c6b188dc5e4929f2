#pragma once
// The five links of one section of a Sub-Topic's page, as the section link editor shows
// and stores them.
//
// Each of the six sections is a table of its own (NewsLinks, SearchLinks, ...) holding five
// rows per Sub-Topic. Box i of the editor belongs to the (i+1)-th row of the Sub-Topic in
// the table's row order, the same order the page shows them in.
//
// Link names are stored with "&", "<" and ">" as "&amp;", "&lt;" and "&gt;" and shown as
// typed; addresses are stored with every "\" as "/" and shown as stored.

#include <QList>
#include <QString>
#include <QVector>

// The last row index the editor loads (rows 0 to SectionLastRow); always 4.
extern int SectionLastRow;
// The caption of the section link editor.
extern QString SectionEditorCaption;

struct SectionLink {
    QString name;   // as typed
    QString url;    // as typed ("\" allowed; stored as "/")
    bool operator==(const SectionLink &other) const = default;
};

// One section of the page.
struct PageSection {
    int menuIndex;             // 0..5, the index of the menu command that edits it
    QString table;             // NewsLinks, ...
    QString editorCaption;     // "Update Section 1 Links", ...
    QString defaultCaption;    // "Information Websites", ... (the header of a new Sub-Topic)
};

class SectionLinks
{
public:
    static constexpr int RowCount = 5;
    static constexpr int MaxNameLength = 35;
    static constexpr int MaxUrlLength = 200;

    // The six sections by menu index.
    static const QList<PageSection> &sections();
    // The section of a menu index, or nullptr for an index outside 0..5.
    static const PageSection *sectionForIndex(int menuIndex);

    // A name as stored: "&" as "&amp;", then "<" as "&lt;", then ">" as "&gt;".
    static QString EncodeLinkName(const QString &typed);
    // A stored name as typed: the three entities back to their characters, each entity
    // read once, so a stored "&amp;lt;" shows as "&lt;" and a stored "&lt;" as "<".
    static QString DecodeLinkName(const QString &stored);
    // An address as stored: every "\" as "/".
    static QString StoredLinkUrl(const QString &typed);

    // The first box (0..4) whose address is longer than MaxUrlLength, or -1.
    static int firstOverlongAddress(const QVector<SectionLink> &links);
    // The message for an address that is too long.
    static QString addressTooLongMessage(const QString &address);
    static QString addressTooLongTitle();

    // True when the open edition has a table whose name in lower case equals name
    // exactly (so only a name given in lower case can match).
    static bool TableExists(const QString &name);

    SectionLinks(const QString &table, qint32 subTopicId);

    // Reads the Sub-Topic's first five rows of the table, names shown as typed; a row
    // whose values are empty or missing gives empty texts. Fewer rows give fewer links.
    // Answers false when the table is not a section table or could not be read.
    bool load(QVector<SectionLink> &links);

    // Stores the five links, in one transaction: the Sub-Topic's first rows (up to five)
    // are overwritten in order, keeping their row keys, and a section with fewer than
    // five rows is completed with new rows keyed by the row numbers not yet in use
    // ("name" and "url" followed by the number). Links beyond the fifth are ignored and
    // missing ones count as empty. Answers false, writing nothing, when an address is
    // too long or the edition could not be written; lastError() says why.
    bool save(const QVector<SectionLink> &links);

    QString lastError() const { return m_error; }

private:
    bool prepare();

    QString m_table;
    qint32 m_subTopicId;
    QString m_error;
};
