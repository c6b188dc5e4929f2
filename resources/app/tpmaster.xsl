<?xml version="1.0" encoding="UTF-8"?>
<!--
  Home page of a Sub-Topic: a banner with the Sub-Topic's name and six sections of five
  links each, drawn in the Sub-Topic's two colours: its text colour and its background
  colour. The program makes tp.xsl from this file,
  putting the Sub-Topic's own captions in place of the default ones, and applies it to the
  page data tbhome.xml.

  Each default caption stands exactly once in this file, alone on its line, where the
  caption shows; nothing else in the file may repeat those words.

  Each section can be edited in place: "Save" hands the section's names and addresses back
  to the program by going to post-<table>.htm?name1=...&url1=...++&file=<page file>, an
  address the program intercepts (nothing is sent anywhere).
-->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
<xsl:output method="html" encoding="UTF-8" indent="yes" doctype-system="about:legacy-compat"/>

<xsl:variable name="hexDigits" select="'0123456789abcdefABCDEF'"/>

<!-- A colour of the data as "#rrggbb", or the fallback when it is not six hex digits. -->
<xsl:template name="colour">
  <xsl:param name="value"/>
  <xsl:param name="fallback"/>
  <xsl:variable name="v" select="normalize-space($value)"/>
  <xsl:choose>
    <xsl:when test="string-length($v) = 6 and translate($v, $hexDigits, '') = ''">
      <xsl:value-of select="concat('#', translate($v, 'ABCDEF', 'abcdef'))"/>
    </xsl:when>
    <xsl:otherwise><xsl:value-of select="concat('#', $fallback)"/></xsl:otherwise>
  </xsl:choose>
</xsl:template>

<xsl:variable name="colours" select="/TP/COLORLINKS/RECORD[1]"/>
<xsl:variable name="textColour">
  <xsl:call-template name="colour">
    <xsl:with-param name="value" select="$colours/COLOR1"/>
    <xsl:with-param name="fallback" select="'bb99bb'"/>
  </xsl:call-template>
</xsl:variable>
<xsl:variable name="backColour">
  <xsl:call-template name="colour">
    <xsl:with-param name="value" select="$colours/COLOR3"/>
    <xsl:with-param name="fallback" select="'8a2be2'"/>
  </xsl:call-template>
</xsl:variable>
<xsl:variable name="title" select="normalize-space($colours/TOPICNAME)"/>

<!-- A text value of the data exactly as stored (blanks included), so that saving a section
     gives back what was there: the program writes each value on a line of its own. -->
<xsl:template name="stored">
  <xsl:param name="value"/>
  <xsl:variable name="lead" select="'&#10;               '"/>
  <xsl:choose>
    <xsl:when test="starts-with($value, $lead) and string-length($value) &gt;= 32">
      <xsl:value-of select="substring($value, 17, string-length($value) - 32)"/>
    </xsl:when>
    <xsl:otherwise><xsl:value-of select="normalize-space($value)"/></xsl:otherwise>
  </xsl:choose>
</xsl:template>

<!-- The address a link opens: as stored when it names its scheme, else a web address. -->
<xsl:template name="href">
  <xsl:param name="url"/>
  <xsl:variable name="lower" select="translate($url, 'ABCDEFGHIJKLMNOPQRSTUVWXYZ', 'abcdefghijklmnopqrstuvwxyz')"/>
  <xsl:choose>
    <xsl:when test="starts-with($lower, 'http://') or starts-with($lower, 'https://') or starts-with($lower, 'ftp://')
                    or starts-with($lower, 'file:') or starts-with($lower, 'mailto:')">
      <xsl:value-of select="$url"/>
    </xsl:when>
    <xsl:otherwise><xsl:value-of select="concat('http://', $url)"/></xsl:otherwise>
  </xsl:choose>
</xsl:template>

<!-- One section: its caption, its links and the form that edits them. -->
<xsl:template name="section">
  <xsl:param name="number"/>
  <xsl:param name="table"/>
  <xsl:param name="rows"/>
  <xsl:param name="caption"/>
  <section class="section" id="section{$number}">
    <h2>
      <span class="caption"><xsl:value-of select="normalize-space($caption)"/></span>
      <button type="button" class="edit" onclick="toggleEdit({$number})">Edit</button>
    </h2>
    <ul class="links">
      <xsl:for-each select="$rows[position() &lt;= 5]">
        <xsl:variable name="name" select="normalize-space(LINKNAME)"/>
        <xsl:variable name="url" select="normalize-space(LINKURL)"/>
        <li>
          <xsl:choose>
            <xsl:when test="$url != ''">
              <a>
                <xsl:attribute name="href"><xsl:call-template name="href"><xsl:with-param name="url" select="$url"/></xsl:call-template></xsl:attribute>
                <xsl:attribute name="title"><xsl:value-of select="$url"/></xsl:attribute>
                <xsl:value-of select="$name"/>
              </a>
            </xsl:when>
            <xsl:otherwise><span class="empty"><xsl:value-of select="$name"/></span></xsl:otherwise>
          </xsl:choose>
        </li>
      </xsl:for-each>
    </ul>
    <form class="editor" id="editor{$number}" onsubmit="return saveSection('{$table}', this)">
      <xsl:for-each select="$rows[position() &lt;= 5]">
        <div class="row">
          <input type="text" class="name" maxlength="35" placeholder="Name">
            <xsl:attribute name="data-key"><xsl:value-of select="normalize-space(FIELDNAME1)"/></xsl:attribute>
            <xsl:attribute name="value"><xsl:call-template name="stored"><xsl:with-param name="value" select="string(LINKNAME)"/></xsl:call-template></xsl:attribute>
          </input>
          <input type="text" class="url" maxlength="200" placeholder="Address">
            <xsl:attribute name="data-key"><xsl:value-of select="normalize-space(FIELDNAME2)"/></xsl:attribute>
            <xsl:attribute name="value"><xsl:call-template name="stored"><xsl:with-param name="value" select="string(LINKURL)"/></xsl:call-template></xsl:attribute>
          </input>
        </div>
      </xsl:for-each>
      <div class="buttons">
        <button type="submit">Save</button>
        <button type="button" onclick="toggleEdit({$number})">Cancel</button>
      </div>
    </form>
  </section>
</xsl:template>

<xsl:template match="/">
<html>
<head>
<meta name="viewport" content="width=device-width, initial-scale=1"/>
<title><xsl:value-of select="$title"/></title>
<style type="text/css">
  /* Two colours draw the whole page: the scheme's text colour and its background colour.
     Everything else takes one of them (currentColor) or lets the background through. */
  html, body { background: <xsl:value-of select="$backColour"/>; color: <xsl:value-of select="$textColour"/>; }
  body { margin: 0;
         font-family: "Segoe UI", "Noto Sans", "DejaVu Sans", "Liberation Sans", Arial, sans-serif; font-size: 14px; }
  ::selection { background: <xsl:value-of select="$textColour"/>; color: <xsl:value-of select="$backColour"/>; }
  :focus-visible { outline: 2px solid currentColor; outline-offset: 1px; }
  a, a:visited { color: inherit; }
  header.banner { padding: 20px 28px 18px; border-bottom: 2px solid currentColor; }
  header.banner h1 { margin: 0; font-size: 26px; font-weight: 600; letter-spacing: 0.2px; }
  main { display: grid; grid-template-columns: repeat(3, minmax(0, 1fr)); gap: 18px; padding: 22px 28px;
         max-width: 1180px; }
  @media (max-width: 820px) { main { grid-template-columns: repeat(2, minmax(0, 1fr)); } }
  @media (max-width: 540px) { main { grid-template-columns: minmax(0, 1fr); } }
  .section { border: 1px solid currentColor; border-radius: 8px; overflow: hidden;
         display: flex; flex-direction: column; }
  .section h2 { margin: 0; padding: 9px 12px 9px 14px; font-size: 15px; font-weight: 600;
         background: <xsl:value-of select="$textColour"/>; color: <xsl:value-of select="$backColour"/>;
         display: flex; align-items: center; justify-content: space-between; gap: 10px; min-height: 22px; }
  /* A caption too long for its header wraps, at blanks first; the Edit button keeps its
     size and its distance at every text size. */
  .section h2 .caption { flex: 1 1 auto; min-width: 0; overflow-wrap: anywhere; }
  .section ul.links { list-style: none; margin: 0; padding: 6px 0; flex: 1; }
  .section li { padding: 5px 14px 5px 11px; border-left: 3px solid transparent;
         overflow: hidden; text-overflow: ellipsis; white-space: nowrap; }
  .section li::before { content: ""; display: inline-block; width: 6px; height: 6px; margin: 0 9px 2px 0;
         border-radius: 50%; background: currentColor; vertical-align: middle; }
  .section li:hover { border-left-color: currentColor; }
  .section li a { text-decoration: underline; text-underline-offset: 2px; cursor: pointer; font-weight: 500; }
  .section li a:hover { text-decoration-thickness: 2px; }
  .section li .empty { font-style: italic; opacity: 0.85; }
  button { font: inherit; color: inherit; background: transparent; border: 1px solid currentColor;
         border-radius: 4px; cursor: pointer; }
  button.edit { flex: none; white-space: nowrap; font-size: 11px; font-weight: 400; padding: 1px 8px; opacity: 0.75; }
  button.edit:hover { opacity: 1; }
  form.editor { display: none; padding: 10px 12px; border-top: 1px solid currentColor; }
  form.editor.open { display: block; }
  form.editor .row { display: flex; gap: 6px; margin-bottom: 6px; }
  form.editor input { font: inherit; font-size: 12px; padding: 3px 5px; min-width: 0; color: inherit;
         background: transparent; border: 1px solid currentColor; border-radius: 3px; }
  form.editor input::placeholder { color: inherit; opacity: 0.6; }
  form.editor input.name { flex: 2; }
  form.editor input.url { flex: 3; }
  form.editor .buttons { text-align: right; }
  form.editor .buttons button { font-size: 12px; padding: 3px 12px; margin-left: 6px; }
  .sponsor { margin: 0 28px 22px; font-size: 12px; opacity: 0.8; }
  .sponsor:empty { display: none; }
</style>
<script type="text/javascript"><xsl:text><![CDATA[
function toggleEdit(number) {
  var form = document.getElementById('editor' + number);
  if (form)
    form.classList.toggle('open');
}
// Hands the section's links to the program (see the comment at the top of the file).
function saveSection(table, form) {
  var pairs = [];
  var inputs = form.querySelectorAll('input[data-key]');
  for (var i = 0; i < inputs.length; i++) {
    var key = inputs[i].getAttribute('data-key');
    if (/^(name|url)[1-5]$/.test(key))
      pairs.push(key + '=' + encodeURIComponent(inputs[i].value));
  }
  var path = window.location.pathname;
  var page = decodeURIComponent(path.substring(path.lastIndexOf('/') + 1));
  if (pairs.length > 0)
    window.location.href = 'post-' + table + '.htm?' + pairs.join('&') + '++&file=' + encodeURIComponent(page);
  return false;
}
]]></xsl:text></script>
</head>
<body>
<header class="banner"><h1><xsl:value-of select="$title"/></h1></header>
<main>
  <xsl:call-template name="section">
    <xsl:with-param name="number" select="1"/>
    <xsl:with-param name="table" select="'NewsLinks'"/>
    <xsl:with-param name="rows" select="/TP/NEWSLINKS/RECORD"/>
    <xsl:with-param name="caption">
      Information Websites
    </xsl:with-param>
  </xsl:call-template>
  <xsl:call-template name="section">
    <xsl:with-param name="number" select="2"/>
    <xsl:with-param name="table" select="'SearchLinks'"/>
    <xsl:with-param name="rows" select="/TP/SEARCHLINKS/RECORD"/>
    <xsl:with-param name="caption">
      Search Websites
    </xsl:with-param>
  </xsl:call-template>
  <xsl:call-template name="section">
    <xsl:with-param name="number" select="3"/>
    <xsl:with-param name="table" select="'OrganizationLinks'"/>
    <xsl:with-param name="rows" select="/TP/ORGANIZATIONLINKS/RECORD"/>
    <xsl:with-param name="caption">
      Organization Websites
    </xsl:with-param>
  </xsl:call-template>
  <xsl:call-template name="section">
    <xsl:with-param name="number" select="4"/>
    <xsl:with-param name="table" select="'RelatedLinks'"/>
    <xsl:with-param name="rows" select="/TP/RELATEDLINKS/RECORD"/>
    <xsl:with-param name="caption">
      Related Websites
    </xsl:with-param>
  </xsl:call-template>
  <xsl:call-template name="section">
    <xsl:with-param name="number" select="5"/>
    <xsl:with-param name="table" select="'FavoriteLinks'"/>
    <xsl:with-param name="rows" select="/TP/FAVORITELINKS/RECORD"/>
    <xsl:with-param name="caption">
      Popular Websites
    </xsl:with-param>
  </xsl:call-template>
  <xsl:call-template name="section">
    <xsl:with-param name="number" select="6"/>
    <xsl:with-param name="table" select="'LocalLinks'"/>
    <xsl:with-param name="rows" select="/TP/LOCALLINKS/RECORD"/>
    <xsl:with-param name="caption">
      Local Websites
    </xsl:with-param>
  </xsl:call-template>
</main>
<p class="sponsor">Sponsor Link</p>
</body>
</html>
</xsl:template>

</xsl:stylesheet>
