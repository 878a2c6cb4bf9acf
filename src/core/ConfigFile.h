#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

namespace tarovent::core {

// What this program reads from the family configuration file "milostar.ini".
struct Configuration {
  bool startPicture = true;                // "MIRE="
  QString startPictureFile;                // "MIRETARO="
  QMap<QString, QString> siblingPictures;  // "MIRE" + product short name, kept, not used
  QString salesRep;                        // "DEVCAL="
  QString site;                            // "SITE="
  int calendar = 0;                        // "CALENDRIER"
  QString defaultCompany;                  // "DEVSOC=" (second pass)
  int language = 0;                        // "LANGUE="
  int charset = 0;                         // "CHARSET="
  QString font;                            // "FONT="
  QString server;  // "SERVEUR=": the PostgreSQL server holding the databases, when not files
};

// The sibling products' start-picture keys (after "MIRE").
const QStringList& siblingPictureKeys();

// The configuration file of a working folder: its parent folder + "milostar.ini".
QString configurationPath(const QString& workingFolder);

// Reads the lines of the file; an absent file gives every default.
Configuration readConfiguration(const QStringList& lines);
Configuration readConfigurationFile(const QString& path);

// The three passes, each over the same lines, as the program has them.
void Lire_Configuration(const QStringList& lines, Configuration& c);
void Lire_Societe_Defaut(const QStringList& lines, Configuration& c);
void readTranslationKeys(const QStringList& lines, Configuration& c);

}  // namespace tarovent::core
