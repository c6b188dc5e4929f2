#include "editing/list_reselection.h"

#include "editing/topic_editing.h"

#include <QComboBox>
#include <QSignalBlocker>
#include <QStringList>

int SelectListEntry(QComboBox *list, const QString &text)
{
    QStringList entries;
    for (int i = 0; i < list->count(); ++i)
        entries.append(list->itemText(i));
    const int found = TopicEditing::findListEntry(entries, text);
    const QSignalBlocker block(list);
    list->setCurrentIndex(found >= 0 ? found : (list->count() > 0 ? 0 : -1));
    return found;
}
