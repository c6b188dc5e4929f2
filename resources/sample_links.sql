-- The sample edition "Sample Links": three Topics with a few Sub-Topics each.
-- Rows look as the program writes them: each Sub-Topic has its SubTopics row with the
-- default section captions, its ColorLinks row (white text on violet, which stands out
-- from it) and its root row in Lks (the Sub-Topic's first Lks row). Categories were made with the tree's Add command
-- and are marked IsLeaf once they hold links; every link has one Sit and one LksSit row.
-- Ids are the largest id plus 1 at the time of writing, so they ascend in tree order.

-- Topic Computing
INSERT INTO Topics (MainTopicId, TopicName) VALUES (1, 'Computing');

-- Sub-Topic Computing / Programming
INSERT INTO SubTopics (SubTopicId, GlobalTopicId, SubTopicName, Header1, Header2, Header3, Header4, Header5, Header6)
    VALUES (1, 1, 'Programming', 'Information Websites', 'Search Websites', 'Organization Websites', 'Related Websites', 'Popular Websites', 'Local Websites');
INSERT INTO ColorLinks (TopicId, color1, color2, color3, TopicName) VALUES (1, 'ffffff', 'aa33ee', '6a1fb8', 'Programming');
INSERT INTO Lks (LksId, LksName, LksUrl, TopicId, IsTop, IsLeaf, LksDesc, Keyword) VALUES (1, 'Programming', 'Programming', 1, 1, 0, 'N', '|programming|languages');
INSERT INTO Lks (LksId, LksName, LksUrl, TopicId, IsTop, IsLeaf, LksDesc, Keyword) VALUES (2, 'Languages/Programming', 'Programming/Languages', 1, 1, 0, 'N', NULL);
INSERT INTO Lks (LksId, LksName, LksUrl, TopicId, IsTop, IsLeaf, LksDesc, Keyword) VALUES (3, 'Python/Languages/Programming', 'Programming/Languages/Python', 1, 1, 1, 'N', NULL);
INSERT INTO Lks (LksId, LksName, LksUrl, TopicId, IsTop, IsLeaf, LksDesc, Keyword) VALUES (4, 'Rust/Languages/Programming', 'Programming/Languages/Rust', 1, 1, 1, 'N', NULL);
INSERT INTO Lks (LksId, LksName, LksUrl, TopicId, IsTop, IsLeaf, LksDesc, Keyword) VALUES (5, 'JavaScript/Languages/Programming', 'Programming/Languages/JavaScript', 1, 1, 1, 'N', NULL);
INSERT INTO Lks (LksId, LksName, LksUrl, TopicId, IsTop, IsLeaf, LksDesc, Keyword) VALUES (6, 'Tools/Programming', 'Programming/Tools', 1, 1, 1, 'N', NULL);
INSERT INTO Sit (SitId, SitName, SitUrl, Summary) VALUES (1, 'Python Home', 'https://www.python.org/', 'The official home of the Python language');
INSERT INTO Sit (SitId, SitName, SitUrl, Summary) VALUES (2, 'Python Documentation', 'https://docs.python.org/3/', '');
INSERT INTO Sit (SitId, SitName, SitUrl, Summary) VALUES (3, 'Python Package Index', 'https://pypi.org/', 'Third-party packages for Python');
INSERT INTO Sit (SitId, SitName, SitUrl, Summary) VALUES (4, 'Rust Language', 'https://www.rust-lang.org/', '');
INSERT INTO Sit (SitId, SitName, SitUrl, Summary) VALUES (5, 'The Rust Book', 'https://doc.rust-lang.org/book/', 'The Rust Programming Language, free online');
INSERT INTO Sit (SitId, SitName, SitUrl, Summary) VALUES (6, 'MDN Web Docs', 'https://developer.mozilla.org/', 'Reference for HTML, CSS and JavaScript');
INSERT INTO Sit (SitId, SitName, SitUrl, Summary) VALUES (7, 'Git', 'https://git-scm.com/', 'Distributed version control');
INSERT INTO Sit (SitId, SitName, SitUrl, Summary) VALUES (8, 'CMake', 'https://cmake.org/', '');
INSERT INTO Sit (SitId, SitName, SitUrl, Summary) VALUES (9, 'Qt Documentation', 'https://doc.qt.io/', '');
INSERT INTO LksSit (LksId, SitId, Seq) VALUES (3, 1, 1);
INSERT INTO LksSit (LksId, SitId, Seq) VALUES (3, 2, 2);
INSERT INTO LksSit (LksId, SitId, Seq) VALUES (3, 3, 3);
INSERT INTO LksSit (LksId, SitId, Seq) VALUES (4, 4, 4);
INSERT INTO LksSit (LksId, SitId, Seq) VALUES (4, 5, 5);
INSERT INTO LksSit (LksId, SitId, Seq) VALUES (5, 6, 6);
INSERT INTO LksSit (LksId, SitId, Seq) VALUES (6, 7, 7);
INSERT INTO LksSit (LksId, SitId, Seq) VALUES (6, 8, 8);
INSERT INTO LksSit (LksId, SitId, Seq) VALUES (6, 9, 9);
INSERT INTO NewsLinks (topicid, LinkName, LinkUrl, FieldName1, FieldName2) VALUES (1, 'Computer Programming', 'https://en.wikipedia.org/wiki/Computer_programming', 'name1', 'url1');
INSERT INTO NewsLinks (topicid, LinkName, LinkUrl, FieldName1, FieldName2) VALUES (1, 'Python Documentation', 'https://docs.python.org/3/', 'name2', 'url2');
INSERT INTO NewsLinks (topicid, LinkName, LinkUrl, FieldName1, FieldName2) VALUES (1, 'Rust Documentation', 'https://doc.rust-lang.org/', 'name3', 'url3');
INSERT INTO NewsLinks (topicid, LinkName, LinkUrl, FieldName1, FieldName2) VALUES (1, 'MDN Web Docs', 'https://developer.mozilla.org/', 'name4', 'url4');
INSERT INTO NewsLinks (topicid, LinkName, LinkUrl, FieldName1, FieldName2) VALUES (1, 'C++ Reference', 'https://en.cppreference.com/', 'name5', 'url5');
INSERT INTO SearchLinks (topicid, LinkName, LinkUrl, FieldName1, FieldName2) VALUES (1, 'Python Package Index', 'https://pypi.org/', 'name1', 'url1');
INSERT INTO SearchLinks (topicid, LinkName, LinkUrl, FieldName1, FieldName2) VALUES (1, 'Rust Crates', 'https://crates.io/', 'name2', 'url2');
INSERT INTO SearchLinks (topicid, LinkName, LinkUrl, FieldName1, FieldName2) VALUES (1, 'GitHub', 'https://github.com/', 'name3', 'url3');
INSERT INTO SearchLinks (topicid, LinkName, LinkUrl, FieldName1, FieldName2) VALUES (1, 'Stack Overflow', 'https://stackoverflow.com/', 'name4', 'url4');
INSERT INTO SearchLinks (topicid, LinkName, LinkUrl, FieldName1, FieldName2) VALUES (1, 'DuckDuckGo', 'https://duckduckgo.com/', 'name5', 'url5');
INSERT INTO FavoriteLinks (topicid, LinkName, LinkUrl, FieldName1, FieldName2) VALUES (1, 'Python', 'https://www.python.org/', 'name1', 'url1');
INSERT INTO FavoriteLinks (topicid, LinkName, LinkUrl, FieldName1, FieldName2) VALUES (1, 'Rust', 'https://www.rust-lang.org/', 'name2', 'url2');
INSERT INTO FavoriteLinks (topicid, LinkName, LinkUrl, FieldName1, FieldName2) VALUES (1, 'Git', 'https://git-scm.com/', 'name3', 'url3');
INSERT INTO FavoriteLinks (topicid, LinkName, LinkUrl, FieldName1, FieldName2) VALUES (1, 'Qt', 'https://www.qt.io/', 'name4', 'url4');
INSERT INTO FavoriteLinks (topicid, LinkName, LinkUrl, FieldName1, FieldName2) VALUES (1, 'Wikipedia', 'https://www.wikipedia.org/', 'name5', 'url5');

-- Sub-Topic Computing / Open Source
INSERT INTO SubTopics (SubTopicId, GlobalTopicId, SubTopicName, Header1, Header2, Header3, Header4, Header5, Header6)
    VALUES (2, 1, 'Open Source', 'Information Websites', 'Search Websites', 'Organization Websites', 'Related Websites', 'Popular Websites', 'Local Websites');
INSERT INTO ColorLinks (TopicId, color1, color2, color3, TopicName) VALUES (2, 'ffffff', 'aa33ee', '6a1fb8', 'Open Source');
INSERT INTO Lks (LksId, LksName, LksUrl, TopicId, IsTop, IsLeaf, LksDesc, Keyword) VALUES (7, 'Open Source', 'Open Source', 2, 1, 0, 'N', '|open source|free software');
INSERT INTO Lks (LksId, LksName, LksUrl, TopicId, IsTop, IsLeaf, LksDesc, Keyword) VALUES (8, 'Projects/Open Source', 'Open Source/Projects', 2, 1, 1, 'N', NULL);
INSERT INTO Lks (LksId, LksName, LksUrl, TopicId, IsTop, IsLeaf, LksDesc, Keyword) VALUES (9, 'Licences/Open Source', 'Open Source/Licences', 2, 1, 1, 'N', NULL);
INSERT INTO Sit (SitId, SitName, SitUrl, Summary) VALUES (10, 'The Linux Kernel Archives', 'https://www.kernel.org/', '');
INSERT INTO Sit (SitId, SitName, SitUrl, Summary) VALUES (11, 'Debian', 'https://www.debian.org/', 'The universal operating system');
INSERT INTO Sit (SitId, SitName, SitUrl, Summary) VALUES (12, 'Mozilla', 'https://www.mozilla.org/', '');
INSERT INTO Sit (SitId, SitName, SitUrl, Summary) VALUES (13, 'Open Source Initiative', 'https://opensource.org/', 'Keeper of the Open Source Definition');
INSERT INTO Sit (SitId, SitName, SitUrl, Summary) VALUES (14, 'GNU Project', 'https://www.gnu.org/', '');
INSERT INTO LksSit (LksId, SitId, Seq) VALUES (8, 10, 10);
INSERT INTO LksSit (LksId, SitId, Seq) VALUES (8, 11, 11);
INSERT INTO LksSit (LksId, SitId, Seq) VALUES (8, 12, 12);
INSERT INTO LksSit (LksId, SitId, Seq) VALUES (9, 13, 13);
INSERT INTO LksSit (LksId, SitId, Seq) VALUES (9, 14, 14);

-- Sub-Topic Computing / Web Standards
INSERT INTO SubTopics (SubTopicId, GlobalTopicId, SubTopicName, Header1, Header2, Header3, Header4, Header5, Header6)
    VALUES (3, 1, 'Web Standards', 'Information Websites', 'Search Websites', 'Organization Websites', 'Related Websites', 'Popular Websites', 'Local Websites');
INSERT INTO ColorLinks (TopicId, color1, color2, color3, TopicName) VALUES (3, 'ffffff', 'aa33ee', '6a1fb8', 'Web Standards');
INSERT INTO Lks (LksId, LksName, LksUrl, TopicId, IsTop, IsLeaf, LksDesc, Keyword) VALUES (10, 'Web Standards', 'Web Standards', 3, 1, 0, 'N', '|html|standards');
INSERT INTO Lks (LksId, LksName, LksUrl, TopicId, IsTop, IsLeaf, LksDesc, Keyword) VALUES (11, 'Specifications/Web Standards', 'Web Standards/Specifications', 3, 1, 1, 'N', NULL);
INSERT INTO Sit (SitId, SitName, SitUrl, Summary) VALUES (15, 'World Wide Web Consortium', 'https://www.w3.org/', '');
INSERT INTO Sit (SitId, SitName, SitUrl, Summary) VALUES (16, 'HTML Living Standard', 'https://html.spec.whatwg.org/', 'The HTML standard, maintained by the WHATWG');
INSERT INTO Sit (SitId, SitName, SitUrl, Summary) VALUES (17, 'Internet Engineering Task Force', 'https://www.ietf.org/', '');
INSERT INTO LksSit (LksId, SitId, Seq) VALUES (11, 15, 15);
INSERT INTO LksSit (LksId, SitId, Seq) VALUES (11, 16, 16);
INSERT INTO LksSit (LksId, SitId, Seq) VALUES (11, 17, 17);

-- Topic Science
INSERT INTO Topics (MainTopicId, TopicName) VALUES (2, 'Science');

-- Sub-Topic Science / Astronomy
INSERT INTO SubTopics (SubTopicId, GlobalTopicId, SubTopicName, Header1, Header2, Header3, Header4, Header5, Header6)
    VALUES (4, 2, 'Astronomy', 'Information Websites', 'Search Websites', 'Organization Websites', 'Related Websites', 'Popular Websites', 'Local Websites');
INSERT INTO ColorLinks (TopicId, color1, color2, color3, TopicName) VALUES (4, 'ffffff', 'aa33ee', '6a1fb8', 'Astronomy');
INSERT INTO Lks (LksId, LksName, LksUrl, TopicId, IsTop, IsLeaf, LksDesc, Keyword) VALUES (12, 'Astronomy', 'Astronomy', 4, 1, 0, 'N', '|astronomy|space');
INSERT INTO Lks (LksId, LksName, LksUrl, TopicId, IsTop, IsLeaf, LksDesc, Keyword) VALUES (13, 'Space Agencies/Astronomy', 'Astronomy/Space Agencies', 4, 1, 1, 'N', NULL);
INSERT INTO Lks (LksId, LksName, LksUrl, TopicId, IsTop, IsLeaf, LksDesc, Keyword) VALUES (14, 'Observatories/Astronomy', 'Astronomy/Observatories', 4, 1, 0, 'N', NULL);
INSERT INTO Lks (LksId, LksName, LksUrl, TopicId, IsTop, IsLeaf, LksDesc, Keyword) VALUES (15, 'Telescopes/Observatories/Astronomy', 'Astronomy/Observatories/Telescopes', 4, 1, 1, 'N', NULL);
INSERT INTO Sit (SitId, SitName, SitUrl, Summary) VALUES (18, 'NASA', 'https://www.nasa.gov/', 'National Aeronautics and Space Administration');
INSERT INTO Sit (SitId, SitName, SitUrl, Summary) VALUES (19, 'European Space Agency', 'https://www.esa.int/', '');
INSERT INTO Sit (SitId, SitName, SitUrl, Summary) VALUES (20, 'Space Telescope Science Institute', 'https://www.stsci.edu/', 'Science operations of the Hubble and Webb telescopes');
INSERT INTO Sit (SitId, SitName, SitUrl, Summary) VALUES (21, 'European Southern Observatory', 'https://www.eso.org/', '');
INSERT INTO LksSit (LksId, SitId, Seq) VALUES (13, 18, 18);
INSERT INTO LksSit (LksId, SitId, Seq) VALUES (13, 19, 19);
INSERT INTO LksSit (LksId, SitId, Seq) VALUES (15, 20, 20);
INSERT INTO LksSit (LksId, SitId, Seq) VALUES (15, 21, 21);
INSERT INTO NewsLinks (topicid, LinkName, LinkUrl, FieldName1, FieldName2) VALUES (4, 'NASA', 'https://www.nasa.gov/', 'name1', 'url1');
INSERT INTO NewsLinks (topicid, LinkName, LinkUrl, FieldName1, FieldName2) VALUES (4, 'European Space Agency', 'https://www.esa.int/', 'name2', 'url2');
INSERT INTO NewsLinks (topicid, LinkName, LinkUrl, FieldName1, FieldName2) VALUES (4, 'Sky &amp; Telescope', 'https://skyandtelescope.org/', 'name3', 'url3');
INSERT INTO NewsLinks (topicid, LinkName, LinkUrl, FieldName1, FieldName2) VALUES (4, 'Astronomy on Wikipedia', 'https://en.wikipedia.org/wiki/Astronomy', 'name4', 'url4');
INSERT INTO NewsLinks (topicid, LinkName, LinkUrl, FieldName1, FieldName2) VALUES (4, 'European Southern Observatory', 'https://www.eso.org/', 'name5', 'url5');
INSERT INTO OrganizationLinks (topicid, LinkName, LinkUrl, FieldName1, FieldName2) VALUES (4, 'International Astronomical Union', 'https://www.iau.org/', 'name1', 'url1');
INSERT INTO OrganizationLinks (topicid, LinkName, LinkUrl, FieldName1, FieldName2) VALUES (4, 'NASA', 'https://www.nasa.gov/', 'name2', 'url2');
INSERT INTO OrganizationLinks (topicid, LinkName, LinkUrl, FieldName1, FieldName2) VALUES (4, 'European Space Agency', 'https://www.esa.int/', 'name3', 'url3');
INSERT INTO OrganizationLinks (topicid, LinkName, LinkUrl, FieldName1, FieldName2) VALUES (4, 'JAXA', 'https://global.jaxa.jp/', 'name4', 'url4');
INSERT INTO OrganizationLinks (topicid, LinkName, LinkUrl, FieldName1, FieldName2) VALUES (4, 'Royal Astronomical Society', 'https://ras.ac.uk/', 'name5', 'url5');

-- Sub-Topic Science / Physics
INSERT INTO SubTopics (SubTopicId, GlobalTopicId, SubTopicName, Header1, Header2, Header3, Header4, Header5, Header6)
    VALUES (5, 2, 'Physics', 'Information Websites', 'Search Websites', 'Organization Websites', 'Related Websites', 'Popular Websites', 'Local Websites');
INSERT INTO ColorLinks (TopicId, color1, color2, color3, TopicName) VALUES (5, 'ffffff', 'aa33ee', '6a1fb8', 'Physics');
INSERT INTO Lks (LksId, LksName, LksUrl, TopicId, IsTop, IsLeaf, LksDesc, Keyword) VALUES (16, 'Physics', 'Physics', 5, 1, 0, 'N', '|physics|particles');
INSERT INTO Lks (LksId, LksName, LksUrl, TopicId, IsTop, IsLeaf, LksDesc, Keyword) VALUES (17, 'Research/Physics', 'Physics/Research', 5, 1, 1, 'N', NULL);
INSERT INTO Sit (SitId, SitName, SitUrl, Summary) VALUES (22, 'CERN', 'https://home.cern/', 'European Organization for Nuclear Research');
INSERT INTO Sit (SitId, SitName, SitUrl, Summary) VALUES (23, 'arXiv', 'https://arxiv.org/', 'Open-access preprints in physics and more');
INSERT INTO LksSit (LksId, SitId, Seq) VALUES (17, 22, 22);
INSERT INTO LksSit (LksId, SitId, Seq) VALUES (17, 23, 23);

-- Topic Travel
INSERT INTO Topics (MainTopicId, TopicName) VALUES (3, 'Travel');

-- Sub-Topic Travel / Planning
INSERT INTO SubTopics (SubTopicId, GlobalTopicId, SubTopicName, Header1, Header2, Header3, Header4, Header5, Header6)
    VALUES (6, 3, 'Planning', 'Information Websites', 'Search Websites', 'Organization Websites', 'Related Websites', 'Popular Websites', 'Local Websites');
INSERT INTO ColorLinks (TopicId, color1, color2, color3, TopicName) VALUES (6, 'ffffff', 'aa33ee', '6a1fb8', 'Planning');
INSERT INTO Lks (LksId, LksName, LksUrl, TopicId, IsTop, IsLeaf, LksDesc, Keyword) VALUES (18, 'Planning', 'Planning', 6, 1, 0, 'N', '|travel|maps');
INSERT INTO Lks (LksId, LksName, LksUrl, TopicId, IsTop, IsLeaf, LksDesc, Keyword) VALUES (19, 'Guides/Planning', 'Planning/Guides', 6, 1, 1, 'N', NULL);
INSERT INTO Lks (LksId, LksName, LksUrl, TopicId, IsTop, IsLeaf, LksDesc, Keyword) VALUES (20, 'Maps/Planning', 'Planning/Maps', 6, 1, 1, 'N', NULL);
INSERT INTO Sit (SitId, SitName, SitUrl, Summary) VALUES (24, 'Wikivoyage', 'https://www.wikivoyage.org/', 'The free worldwide travel guide');
INSERT INTO Sit (SitId, SitName, SitUrl, Summary) VALUES (25, 'Lonely Planet', 'https://www.lonelyplanet.com/', '');
INSERT INTO Sit (SitId, SitName, SitUrl, Summary) VALUES (26, 'OpenStreetMap', 'https://www.openstreetmap.org/', '');
INSERT INTO LksSit (LksId, SitId, Seq) VALUES (19, 24, 24);
INSERT INTO LksSit (LksId, SitId, Seq) VALUES (19, 25, 25);
INSERT INTO LksSit (LksId, SitId, Seq) VALUES (20, 26, 26);
INSERT INTO NewsLinks (topicid, LinkName, LinkUrl, FieldName1, FieldName2) VALUES (6, 'Wikivoyage', 'https://www.wikivoyage.org/', 'name1', 'url1');
INSERT INTO NewsLinks (topicid, LinkName, LinkUrl, FieldName1, FieldName2) VALUES (6, 'Tourism on Wikipedia', 'https://en.wikipedia.org/wiki/Tourism', 'name2', 'url2');
INSERT INTO NewsLinks (topicid, LinkName, LinkUrl, FieldName1, FieldName2) VALUES (6, 'Lonely Planet', 'https://www.lonelyplanet.com/', 'name3', 'url3');
INSERT INTO NewsLinks (topicid, LinkName, LinkUrl, FieldName1, FieldName2) VALUES (6, 'OpenStreetMap', 'https://www.openstreetmap.org/', 'name4', 'url4');
INSERT INTO NewsLinks (topicid, LinkName, LinkUrl, FieldName1, FieldName2) VALUES (6, 'Time and Date', 'https://www.timeanddate.com/', 'name5', 'url5');

-- Sub-Topic Travel / Europe
INSERT INTO SubTopics (SubTopicId, GlobalTopicId, SubTopicName, Header1, Header2, Header3, Header4, Header5, Header6)
    VALUES (7, 3, 'Europe', 'Information Websites', 'Search Websites', 'Organization Websites', 'Related Websites', 'Popular Websites', 'Local Websites');
INSERT INTO ColorLinks (TopicId, color1, color2, color3, TopicName) VALUES (7, 'ffffff', 'aa33ee', '6a1fb8', 'Europe');
INSERT INTO Lks (LksId, LksName, LksUrl, TopicId, IsTop, IsLeaf, LksDesc, Keyword) VALUES (21, 'Europe', 'Europe', 7, 1, 0, 'N', '|europe|rail');
INSERT INTO Lks (LksId, LksName, LksUrl, TopicId, IsTop, IsLeaf, LksDesc, Keyword) VALUES (22, 'Rail/Europe', 'Europe/Rail', 7, 1, 1, 'N', NULL);
INSERT INTO Lks (LksId, LksName, LksUrl, TopicId, IsTop, IsLeaf, LksDesc, Keyword) VALUES (23, 'Official/Europe', 'Europe/Official', 7, 1, 1, 'N', NULL);
INSERT INTO Sit (SitId, SitName, SitUrl, Summary) VALUES (27, 'The Man in Seat Sixty-One', 'https://www.seat61.com/', 'Train travel guide');
INSERT INTO Sit (SitId, SitName, SitUrl, Summary) VALUES (28, 'Interrail', 'https://www.interrail.eu/', '');
INSERT INTO Sit (SitId, SitName, SitUrl, Summary) VALUES (29, 'European Union', 'https://europa.eu/', '');
INSERT INTO LksSit (LksId, SitId, Seq) VALUES (22, 27, 27);
INSERT INTO LksSit (LksId, SitId, Seq) VALUES (22, 28, 28);
INSERT INTO LksSit (LksId, SitId, Seq) VALUES (23, 29, 29);
