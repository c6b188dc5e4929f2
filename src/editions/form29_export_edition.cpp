#include "editions/form29_export_edition.h"

#include "editions/edition_export.h"

#include <QPushButton>

Form29::Form29(EditionHost &host, QWidget *parent)
    : EditionListDialog(host, "Form29", QStringLiteral("Export Edition"), QStringLiteral("Export"), false, {}, parent)
{
    connect(Command1, &QPushButton::clicked, this, &Form29::Command1_Click);
}

void Form29::Form_Load()
{
    fillList(true, false);
}

void Form29::Command1_Click()
{
    const int index = selectedIndex();
    if (index >= 0 && index < m_entries.size())
        EditionExport().exportEdition(m_entries.at(index), selectedText());
    accept();
}
