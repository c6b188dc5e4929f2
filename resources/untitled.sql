-- The empty edition: every edition is a copy of this database.
-- Text compares and sorts without regard to case; ids follow the "largest id plus 1" rule
-- of the program, so no column is an autonumber. Yes/No columns hold 0 or non-zero.

CREATE TABLE Topics (
    MainTopicId INTEGER PRIMARY KEY,
    TopicName   TEXT COLLATE NOCASE
);

CREATE TABLE SubTopics (
    SubTopicId    INTEGER PRIMARY KEY,
    GlobalTopicId INTEGER,
    SubTopicName  TEXT COLLATE NOCASE,
    Header1       TEXT COLLATE NOCASE,
    Header2       TEXT COLLATE NOCASE,
    Header3       TEXT COLLATE NOCASE,
    Header4       TEXT COLLATE NOCASE,
    Header5       TEXT COLLATE NOCASE,
    Header6       TEXT COLLATE NOCASE
);
CREATE INDEX SubTopicsGlobalTopicId ON SubTopics (GlobalTopicId);

CREATE TABLE ColorLinks (
    TopicId   INTEGER,
    color1    TEXT COLLATE NOCASE,
    color2    TEXT COLLATE NOCASE,
    color3    TEXT COLLATE NOCASE,
    TopicName TEXT COLLATE NOCASE
);
CREATE INDEX ColorLinksTopicId ON ColorLinks (TopicId);

CREATE TABLE Lks (
    LksId   INTEGER PRIMARY KEY,
    LksName TEXT COLLATE NOCASE,
    LksUrl  TEXT COLLATE NOCASE,
    TopicId INTEGER,
    IsTop   INTEGER NOT NULL DEFAULT 0,
    IsLeaf  INTEGER NOT NULL DEFAULT 0,
    LksDesc TEXT COLLATE NOCASE,
    Keyword TEXT COLLATE NOCASE
);
CREATE INDEX LksTopicId ON Lks (TopicId);
CREATE INDEX LksLksUrl ON Lks (LksUrl);

CREATE TABLE Sit (
    SitId   INTEGER PRIMARY KEY,
    SitName TEXT COLLATE NOCASE,
    SitUrl  TEXT COLLATE NOCASE,
    Summary TEXT COLLATE NOCASE
);

CREATE TABLE LksSit (
    LksId INTEGER,
    SitId INTEGER,
    Seq   INTEGER
);
CREATE INDEX LksSitLksId ON LksSit (LksId);
CREATE INDEX LksSitSitId ON LksSit (SitId);

CREATE TABLE NewsLinks (
    topicid    INTEGER,
    LinkName   TEXT COLLATE NOCASE,
    LinkUrl    TEXT COLLATE NOCASE,
    FieldName1 TEXT COLLATE NOCASE,
    FieldName2 TEXT COLLATE NOCASE
);
CREATE INDEX NewsLinksTopicId ON NewsLinks (topicid);

CREATE TABLE SearchLinks (
    topicid    INTEGER,
    LinkName   TEXT COLLATE NOCASE,
    LinkUrl    TEXT COLLATE NOCASE,
    FieldName1 TEXT COLLATE NOCASE,
    FieldName2 TEXT COLLATE NOCASE
);
CREATE INDEX SearchLinksTopicId ON SearchLinks (topicid);

CREATE TABLE OrganizationLinks (
    topicid    INTEGER,
    LinkName   TEXT COLLATE NOCASE,
    LinkUrl    TEXT COLLATE NOCASE,
    FieldName1 TEXT COLLATE NOCASE,
    FieldName2 TEXT COLLATE NOCASE
);
CREATE INDEX OrganizationLinksTopicId ON OrganizationLinks (topicid);

CREATE TABLE RelatedLinks (
    topicid    INTEGER,
    LinkName   TEXT COLLATE NOCASE,
    LinkUrl    TEXT COLLATE NOCASE,
    FieldName1 TEXT COLLATE NOCASE,
    FieldName2 TEXT COLLATE NOCASE
);
CREATE INDEX RelatedLinksTopicId ON RelatedLinks (topicid);

CREATE TABLE FavoriteLinks (
    topicid    INTEGER,
    LinkName   TEXT COLLATE NOCASE,
    LinkUrl    TEXT COLLATE NOCASE,
    FieldName1 TEXT COLLATE NOCASE,
    FieldName2 TEXT COLLATE NOCASE
);
CREATE INDEX FavoriteLinksTopicId ON FavoriteLinks (topicid);

CREATE TABLE LocalLinks (
    topicid    INTEGER,
    LinkName   TEXT COLLATE NOCASE,
    LinkUrl    TEXT COLLATE NOCASE,
    FieldName1 TEXT COLLATE NOCASE,
    FieldName2 TEXT COLLATE NOCASE
);
CREATE INDEX LocalLinksTopicId ON LocalLinks (topicid);

CREATE TABLE PersonalInformation (
    Title      TEXT COLLATE NOCASE,
    URL        TEXT COLLATE NOCASE,
    FormNumber INTEGER,
    FieldName  TEXT COLLATE NOCASE,
    FieldValue TEXT COLLATE NOCASE
);
