#include "shared/globals.h"

QString CurrentDatabaseFile;
QString CurrentEditionTitle;
QString NewEditionName;
int UseCurrentDir = 0;

bool IsOnline = false;

qint32 CurrentSubTopicId = 0;
QString CurrentPageFile;

qint32 SelectedNodeIndex = 0;
qint32 ReselectNodeIndex = 0;
QString SelectedNodePath;
QString SelectedLinkUrl;
QString SelectedLinkName;
QString ClickedNodeText;
QString NotationText;
int NotationIsSite = 0;
QString DroppedLinkUrl;
int LinkDeleteRefused = 0;

QString CurrentSectionTable;
int SectionDialogChanged = 0;

QStringList TrackedWindows;
QString TrackedBrowserTitle;
QString TrackedBrowserHandle;

QString ProxyServer;
QString ProxyPort;
QString ProxyUserId;
QString ProxyPassword;
int ProxyConfirmed = 0;
int DownloadDone = 0;
QString HttpTarget;

QString AccountPageUrl;
int AccountPageReady = 0;
