#include "platform/word/WordXml.h"

#include <QStringList>
#include <cmath>
#include <initializer_list>

namespace tarovent::word::xml {

pugi::xml_node firstChild(pugi::xml_node parent, const char* local) {
  for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling())
    if (is(child, local)) return child;
  return {};
}

pugi::xml_node ancestor(pugi::xml_node node, const char* local) {
  for (pugi::xml_node cur = node.parent(); cur; cur = cur.parent())
    if (is(cur, local)) return cur;
  return {};
}

namespace {

// Elements whose content is never text of the story around them. Every element of every
// text read passes here: the first letter picks the few names to compare.
bool isOpaque(const char* local) {
  const auto any = [local](std::initializer_list<const char*> names) {
    for (const char* name : names)
      if (std::strcmp(local, name) == 0) return true;
    return false;
  };
  switch (local[0]) {
    case 'r':
      return any({"rPr", "rubyPr"});
    case 'p':
      return any({"pPr", "pict"});
    case 't':
      return any({"tblPr", "trPr", "tcPr", "tblGrid", "tblPrEx"});
    case 's':
      return any({"sectPr", "sdtPr", "sdtEndPr"});
    case 'd':
      return any({"del", "delText", "delInstrText", "drawing"});
    case 'm':
      return any({"moveFrom"});
    case 'i':
      return any({"instrText"});
    case 'F':
      return any({"Fallback"});
    case 'o':
      return any({"object"});
    case 'f':
      return any({"footnoteReference", "fldData"});
    case 'e':
      return any({"endnoteReference"});
    case 'c':
      return any({"commentReference"});
    default:
      return false;
  }
}

}  // namespace

bool TextCollector::visible() const {
  for (bool inResult : m_fields)
    if (!inResult) return false;
  return true;
}

bool TextCollector::enter(pugi::xml_node node) {
  if (node.type() != pugi::node_element) return false;
  const char* local = localName(node);
  if (isOpaque(local)) return false;
  switch (local[0]) {
    case 't':
      if (std::strcmp(local, "t") == 0) {
        if (visible()) m_text += node.text().get();
        return false;
      }
      if (std::strcmp(local, "tab") == 0) {
        if (visible()) m_text += '\t';
        return false;
      }
      break;
    case 'b':
      if (std::strcmp(local, "br") == 0) {
        if (visible()) m_text += std::strcmp(attr(node, "type").value(), "page") == 0 ? '\f' : '\v';
        return false;
      }
      break;
    case 'c':
      if (std::strcmp(local, "cr") == 0) {
        if (visible()) m_text += '\v';
        return false;
      }
      break;
    case 'n':
      if (std::strcmp(local, "noBreakHyphen") == 0) {
        if (visible()) m_text += '-';
        return false;
      }
      break;
    case 'f':
      if (std::strcmp(local, "fldChar") == 0) {
        const char* type = attr(node, "fldCharType").value();
        if (std::strcmp(type, "begin") == 0) {
          m_fields.push_back(false);
        } else if (std::strcmp(type, "separate") == 0) {
          if (!m_fields.empty()) m_fields.back() = true;
        } else if (std::strcmp(type, "end") == 0) {
          if (!m_fields.empty()) m_fields.pop_back();
        }
        return false;
      }
      break;
    default:
      break;
  }
  return true;
}

void TextCollector::leave(pugi::xml_node node) {
  if (is(node, "p")) m_text += '\r';
}

QString blockText(pugi::xml_node container) {
  TextCollector collector;
  traverse(
      container, [&](pugi::xml_node n) { return collector.enter(n); },
      [&](pugi::xml_node n) { collector.leave(n); });
  QString text = collector.text();
  if (text.endsWith(QLatin1Char('\r'))) text.chop(1);
  return text;
}

int utf16Length(const char* utf8) {
  int length = 0;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8); *p; ++p) {
    if ((*p & 0xC0) != 0x80) ++length;
    if (*p >= 0xF0) ++length;
  }
  return length;
}

namespace {

int rankIn(const char* local, const char* const* order, int count) {
  for (int i = 0; i < count; ++i)
    if (std::strcmp(local, order[i]) == 0) return i;
  return count;  // unknown elements stay where they are, at the end
}

}  // namespace

int runPropertyRank(const char* local) {
  static const char* const order[] = {"ins",
                                      "del",
                                      "moveFrom",
                                      "moveTo",
                                      "rStyle",
                                      "rFonts",
                                      "b",
                                      "bCs",
                                      "i",
                                      "iCs",
                                      "caps",
                                      "smallCaps",
                                      "strike",
                                      "dstrike",
                                      "outline",
                                      "shadow",
                                      "emboss",
                                      "imprint",
                                      "noProof",
                                      "snapToGrid",
                                      "vanish",
                                      "webHidden",
                                      "color",
                                      "spacing",
                                      "w",
                                      "kern",
                                      "position",
                                      "sz",
                                      "szCs",
                                      "highlight",
                                      "u",
                                      "effect",
                                      "bdr",
                                      "shd",
                                      "fitText",
                                      "vertAlign",
                                      "rtl",
                                      "cs",
                                      "em",
                                      "lang",
                                      "eastAsianLayout",
                                      "specVanish",
                                      "oMath",
                                      "rPrChange"};
  return rankIn(local, order, int(std::size(order)));
}

int paragraphPropertyRank(const char* local) {
  static const char* const order[] = {"pStyle",
                                      "keepNext",
                                      "keepLines",
                                      "pageBreakBefore",
                                      "framePr",
                                      "widowControl",
                                      "numPr",
                                      "suppressLineNumbers",
                                      "pBdr",
                                      "shd",
                                      "tabs",
                                      "suppressAutoHyphens",
                                      "kinsoku",
                                      "wordWrap",
                                      "overflowPunct",
                                      "topLinePunct",
                                      "autoSpaceDE",
                                      "autoSpaceDN",
                                      "bidi",
                                      "adjustRightInd",
                                      "snapToGrid",
                                      "spacing",
                                      "ind",
                                      "contextualSpacing",
                                      "mirrorIndents",
                                      "suppressOverlap",
                                      "jc",
                                      "textDirection",
                                      "textAlignment",
                                      "textboxTightWrap",
                                      "outlineLvl",
                                      "divId",
                                      "cnfStyle",
                                      "rPr",
                                      "sectPr",
                                      "pPrChange"};
  return rankIn(local, order, int(std::size(order)));
}

pugi::xml_node ensureChild(pugi::xml_node parent, const std::string& prefix, const char* local,
                           int (*rank)(const char*)) {
  const int wanted = rank(local);
  for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling()) {
    if (child.type() != pugi::node_element) continue;
    const char* name = localName(child);
    if (std::strcmp(name, local) == 0) return child;
    if (rank(name) > wanted) return parent.insert_child_before((prefix + local).c_str(), child);
  }
  return parent.append_child((prefix + local).c_str());
}

void removeChildren(pugi::xml_node parent, const char* local) {
  for (pugi::xml_node child = parent.first_child(); child;) {
    pugi::xml_node next = child.next_sibling();
    if (is(child, local)) parent.remove_child(child);
    child = next;
  }
}

pugi::xml_node runProperties(pugi::xml_node run, const std::string& prefix) {
  pugi::xml_node rPr = firstChild(run, "rPr");
  if (!rPr) rPr = run.prepend_child((prefix + "rPr").c_str());
  return rPr;
}

pugi::xml_node paragraphMarkProperties(pugi::xml_node paragraph, const std::string& prefix) {
  pugi::xml_node pPr = firstChild(paragraph, "pPr");
  if (!pPr) pPr = paragraph.prepend_child((prefix + "pPr").c_str());
  return ensureChild(pPr, prefix, "rPr", paragraphPropertyRank);
}

namespace {

void setToggle(pugi::xml_node rPr, const std::string& prefix, const char* local, bool on) {
  pugi::xml_node node = ensureChild(rPr, prefix, local, runPropertyRank);
  node.remove_attributes();
  if (!on) node.append_attribute((prefix + "val").c_str()) = "0";
}

void setValue(pugi::xml_node rPr, const std::string& prefix, const char* local, const char* value) {
  pugi::xml_node node = ensureChild(rPr, prefix, local, runPropertyRank);
  node.remove_attributes();
  node.append_attribute((prefix + "val").c_str()) = value;
}

}  // namespace

void applyFormat(pugi::xml_node rPr, const std::string& prefix, const CharFormat& format,
                 bool inheritedHidden) {
  if (format.hidden) {
    if (*format.hidden || inheritedHidden)
      setToggle(rPr, prefix, "vanish", *format.hidden);
    else
      removeChildren(rPr, "vanish");
  }
  if (format.bold) {
    setToggle(rPr, prefix, "b", *format.bold);
    setToggle(rPr, prefix, "bCs", *format.bold);
  }
  if (format.underline) setValue(rPr, prefix, "u", *format.underline ? "single" : "none");
  if (format.pointSize) {
    const QByteArray halfPoints = QByteArray::number(qRound(*format.pointSize * 2));
    setValue(rPr, prefix, "sz", halfPoints.constData());
    setValue(rPr, prefix, "szCs", halfPoints.constData());
  }
  if (format.color) setValue(rPr, prefix, "color", format.color->toUtf8().constData());
}

namespace {

void appendText(pugi::xml_node run, const std::string& prefix, const QString& text) {
  setText(run.append_child((prefix + "t").c_str()), text);
}

}  // namespace

// Every cell a recalculation reads or writes passes here: each node's type and name are
// asked once, the accessors being calls into the library.
SoleRun soleRun(pugi::xml_node tc) {
  pugi::xml_node p;
  for (pugi::xml_node child = tc.first_child(); child; child = child.next_sibling()) {
    if (child.type() != pugi::node_element) return {};
    const char* local = localName(child);
    if (isPropertiesName(local)) continue;
    if (p || local[0] != 'p' || local[1] != '\0') return {};
    p = child;
  }
  pugi::xml_node run;
  for (pugi::xml_node child = p.first_child(); child; child = child.next_sibling()) {
    const char* local = child.type() == pugi::node_element ? localName(child) : "";
    if (std::strcmp(local, "pPr") == 0) {
      if (child != p.first_child()) return {};
    } else if (std::strcmp(local, "bookmarkStart") == 0) {
      if (run) return {};
    } else if (std::strcmp(local, "bookmarkEnd") == 0) {
      if (!run) return {};
    } else if (std::strcmp(local, "r") == 0 && !run) {
      run = child;
    } else {
      return {};
    }
  }
  pugi::xml_node rPr, t;
  for (pugi::xml_node child = run.first_child(); child; child = child.next_sibling()) {
    if (child.type() != pugi::node_element) return {};
    const char* local = localName(child);
    if (!rPr && !t && std::strcmp(local, "rPr") == 0)
      rPr = child;
    else if (!t && local[0] == 't' && local[1] == '\0')
      t = child;
    else
      return {};
  }
  if (!t) return {};
  const pugi::xml_node text = t.first_child();
  if (text && (text != t.last_child() || text.type() != pugi::node_pcdata)) return {};
  return {p, run, rPr, t};
}

void setText(pugi::xml_node t, const QString& text) {
  t.remove_attributes();
  if (text.startsWith(QLatin1Char(' ')) || text.endsWith(QLatin1Char(' ')) ||
      text.contains(QLatin1String("  ")))
    t.append_attribute("xml:space") = "preserve";
  t.text().set(text.toUtf8().constData());
}

bool isRevisionMark(pugi::xml_node node) {
  if (node.type() != pugi::node_element) return false;
  const char* local = localName(node);
  // Formatting names mostly start elsewhere: the first letter spares the comparisons.
  return local[0] && std::strchr("idmr", local[0]) &&
         (std::strcmp(local, "ins") == 0 || std::strcmp(local, "del") == 0 ||
          std::strcmp(local, "moveFrom") == 0 || std::strcmp(local, "moveTo") == 0 ||
          std::strcmp(local, "rPrChange") == 0);
}

void appendRuns(pugi::xml_node paragraph, const std::string& prefix, const QString& text,
                pugi::xml_node templateRPr, const CharFormat& format, bool inheritedHidden) {
  pugi::xml_node run = paragraph.append_child((prefix + "r").c_str());
  if (templateRPr) {
    // Revision marks stay with the text they marked.
    stripRevisionMarks(run.append_copy(templateRPr));
  }
  if (!format.isEmpty()) applyFormat(runProperties(run, prefix), prefix, format, inheritedHidden);
  // Text between tabs and line breaks goes in whole, without a copy when there is none.
  qsizetype from = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text.at(i);
    if (c != QLatin1Char('\t') && c != QLatin1Char('\v')) continue;
    if (i > from) appendText(run, prefix, text.mid(from, i - from));
    run.append_child((prefix + (c == QLatin1Char('\t') ? "tab" : "br")).c_str());
    from = i + 1;
  }
  if (from == 0 && !text.isEmpty())
    appendText(run, prefix, text);
  else if (from < text.size())
    appendText(run, prefix, text.mid(from));
}

bool isWrapper(pugi::xml_node node) {
  return xml::is(node, "sdt") || xml::is(node, "sdtContent") || xml::is(node, "customXml");
}

bool isProperties(pugi::xml_node node) {
  return node.type() == pugi::node_element && isPropertiesName(xml::localName(node));
}

bool isMarker(pugi::xml_node node) {
  if (node.type() != pugi::node_element) return false;
  const char* local = xml::localName(node);
  return local[0] == 'b' &&
         (std::strcmp(local, "bookmarkStart") == 0 || std::strcmp(local, "bookmarkEnd") == 0);
}

std::vector<pugi::xml_node> wrappedChildren(pugi::xml_node parent, const char* local) {
  std::vector<pugi::xml_node> found;
  xml::traverse(
      parent,
      [&](pugi::xml_node n) {
        if (xml::is(n, local)) {
          found.push_back(n);
          return false;
        }
        return isWrapper(n);
      },
      [](pugi::xml_node) {});
  return found;
}

pugi::xml_node firstParagraph(pugi::xml_node container) {
  // Most cells hold their paragraph directly: the walk is for wrapped ones.
  for (pugi::xml_node child = container.first_child(); child; child = child.next_sibling()) {
    if (is(child, "p")) return child;
    if (isWrapper(child)) break;
  }
  pugi::xml_node found;
  xml::traverse(
      container,
      [&](pugi::xml_node n) {
        if (found) return false;
        if (xml::is(n, "p")) {
          found = n;
          return false;
        }
        return isWrapper(n);
      },
      [](pugi::xml_node) {});
  return found;
}

pugi::xml_node firstRun(pugi::xml_node paragraph) {
  pugi::xml_node found;
  xml::traverse(
      paragraph,
      [&](pugi::xml_node n) {
        if (found || n.type() != pugi::node_element) return false;
        if (xml::is(n, "r")) {
          found = n;
          return false;
        }
        return !isProperties(n) && !xml::is(n, "del") && !xml::is(n, "moveFrom");
      },
      [](pugi::xml_node) {});
  return found;
}

bool isAncestorOf(pugi::xml_node maybeAncestor, pugi::xml_node node) {
  for (pugi::xml_node cur = node.parent(); cur; cur = cur.parent())
    if (cur == maybeAncestor) return true;
  return false;
}

bool toggleOn(pugi::xml_node node) {
  const char* value = xml::attr(node, "val").value();
  return !(std::strcmp(value, "0") == 0 || std::strcmp(value, "false") == 0 ||
           std::strcmp(value, "off") == 0);
}

QString styleOf(pugi::xml_node properties, const char* local) {
  return QString::fromUtf8(xml::attr(xml::firstChild(properties, local), "val").value());
}

void stripRevisionMarks(pugi::xml_node rPr) {
  for (pugi::xml_node child = rPr.first_child(); child;) {
    const pugi::xml_node next = child.next_sibling();
    if (isRevisionMark(child)) rPr.remove_child(child);
    child = next;
  }
}

}  // namespace tarovent::word::xml
