#include "editing/page_section_commands.h"

#include "editing/form23_section_headers.h"
#include "editing/form5_section_links.h"
#include "editing/form7_color_scheme.h"
#include "editing/section_links.h"
#include "pages/topic_page_builder.h"
#include "shared/database.h"
#include "shared/fileroutines.h"
#include "shared/globals.h"

QString PageSectionCommands::pageFileName(const PageSectionHost &host)
{
    return PageFileName(host.subTopicText(), CurrentSubTopicId);
}

void PageSectionCommands::rebuildPage(PageSectionHost &host, bool reload)
{
    const QString page = pageFileName(host);
    host.WriteLinksXml(QStringLiteral("tbhome.xml"), QStringLiteral("tp"));
    host.TransformXml(QStringLiteral("tbhome.xml"), QStringLiteral("tp.xsl"), page);
    // Without a page file (it could not be written) the view keeps the page it shows.
    if (!FileExistsNonEmpty(GetAppPath() + CurrentPageFile))
        return;
    host.navigate(GetAppPath() + CurrentPageFile);
    if (reload)
        host.refresh();
}

void PageSectionCommands::mnuEditLinks_Click(PageSectionHost &host, int index)
{
    const PageSection *section = SectionLinks::sectionForIndex(index);
    if (!section)
        return;
    CurrentSectionTable = section->table;
    SectionEditorCaption = section->editorCaption;
    SectionLastRow = 4;

    const QString page = pageFileName(host);
    if (!FileExistsNonEmpty(GetAppPath() + page))
        return;
    {
        Form5 dialog(host.window());
        dialog.Form_Load();
        dialog.exec();
    }
    if (SectionDialogChanged == 1)
        rebuildPage(host, false);
}

void PageSectionCommands::mnuSectionHeaderUpdate_Click(PageSectionHost &host)
{
    {
        Form23 dialog(host, host.window());
        dialog.Form_Load();
        dialog.exec();
    }
    host.refresh();
}

void PageSectionCommands::mnuColorSchema_Click(PageSectionHost &host)
{
    if (host.subTopicText().contains(QLatin1String("Select Sub-Topic"), Qt::CaseSensitive)
        || host.topicText().contains(QLatin1String("Select Topic"), Qt::CaseSensitive))
        return;
    {
        Form7 dialog(host.topicText(), host.subTopicText(), host.window());
        dialog.Form_Load();
        dialog.exec();
    }
    if (SectionDialogChanged == 1)
        rebuildPage(host, true);
}
