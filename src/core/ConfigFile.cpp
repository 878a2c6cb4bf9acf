#include "ConfigFile.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include "Paths.h"

namespace tarovent::core {

namespace {

// A key written "KEY=" also matches "KEY =" (one space before the sign).
bool keyMatches(const QString& upperLine, const QString& key) {
  if (upperLine.startsWith(key)) return true;
  if (key.endsWith('=')) {
    const QString spaced = key.left(key.size() - 1) + " =";
    return upperLine.startsWith(spaced);
  }
  return false;
}

// Text after the first "=", trimmed; null when "=" is missing or is the last character.
QString afterEquals(const QString& line) {
  const int eq = line.indexOf('=');
  if (eq < 0 || eq == line.size() - 1) return {};
  return line.mid(eq + 1).trimmed();
}

// The text between the first double quote and the last character, which must be one; null
// otherwise.
QString quotedValue(const QString& line) {
  if (!line.endsWith('"')) return {};
  const int first = line.indexOf('"');
  if (first == line.size() - 1) return {};
  return line.mid(first + 1, line.size() - first - 2);
}

}  // namespace

const QStringList& siblingPictureKeys() {
  static const QStringList keys = {"MIRECORV", "MIREPALU", "MIREDAVR", "MIRETARF",
                                   "MIREACHA", "MIREDEDA", "MIREMACR"};
  return keys;
}

QString configurationPath(const QString& workingFolder) {
  QString w = workingFolder;
  while (w.size() > 1 && (w.endsWith('/') || w.endsWith('\\'))) w.chop(1);
  return folderOf(w) + "milostar.ini";
}

void Lire_Configuration(const QStringList& lines, Configuration& c) {
  for (const QString& raw : lines) {
    const QString line = raw.trimmed();
    const QString up = line.toUpper();
    QString compact = line;
    compact.remove(' ');
    const QString compactUp = compact.toUpper();
    if (keyMatches(up, "MIRE=")) {
      c.startPicture = up.right(3) != "OFF";
    } else if (keyMatches(up, "MIRETARO=")) {
      c.startPictureFile = quotedValue(line);
    } else if (keyMatches(up, "DEVCAL=")) {
      const QString v = afterEquals(line);
      if (!v.isNull()) c.salesRep = v;
    } else if (keyMatches(compactUp, "SITE=")) {
      const QString v = afterEquals(compact);
      if (!v.isNull()) c.site = v;
    } else if (keyMatches(up, "SERVEUR=")) {
      c.server = afterEquals(line).trimmed();
    } else if (compactUp.startsWith("CALENDRIER")) {
      const QString v = afterEquals(compact);
      if (!v.isNull()) c.calendar = v.toInt();
    } else {
      for (const QString& key : siblingPictureKeys())
        if (keyMatches(up, key + "=")) c.siblingPictures[key] = quotedValue(line);
    }
  }
}

void Lire_Societe_Defaut(const QStringList& lines, Configuration& c) {
  for (const QString& raw : lines) {
    const QString line = raw.trimmed();
    if (line.isEmpty()) return;
    if (keyMatches(line.toUpper(), "DEVSOC=")) {
      const QString v = afterEquals(line);
      if (!v.isNull()) c.defaultCompany = v;
    }
  }
}

void readTranslationKeys(const QStringList& lines, Configuration& c) {
  const auto value = [](const QString& line, const QString& key) {
    QString v = line.mid(key.size()).trimmed();
    if (v.startsWith('=')) v = v.mid(1).trimmed();
    return v;
  };
  const auto integerPart = [](const QString& v) {
    QString digits;
    for (QChar ch : v) {
      if (!(ch.isDigit() || (digits.isEmpty() && (ch == '-' || ch == '+')))) break;
      digits += ch;
    }
    return digits.toInt();
  };
  for (const QString& raw : lines) {
    const QString line = raw.trimmed();
    if (line.isEmpty()) return;
    const QString up = line.toUpper();
    if (keyMatches(up, "LANGUE="))
      c.language = integerPart(value(line, "LANGUE"));
    else if (keyMatches(up, "CHARSET="))
      c.charset = integerPart(value(line, "CHARSET"));
    else if (keyMatches(up, "FONT="))
      c.font = value(line, "FONT");
  }
}

Configuration readConfiguration(const QStringList& lines) {
  Configuration c;
  Lire_Configuration(lines, c);
  Lire_Societe_Defaut(lines, c);
  readTranslationKeys(lines, c);
  return c;
}

Configuration readConfigurationFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  const QByteArray data = f.readAll();
  // Files written on Windows workstations are in windows-1252; ours are UTF-8.
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8.decode(data);
  if (utf8.hasError()) text = QStringDecoder("windows-1252").decode(data);
  text.replace("\r\n", "\n");
  text.replace('\r', '\n');
  return readConfiguration(text.split('\n'));
}

}  // namespace tarovent::core
