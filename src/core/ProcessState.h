#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>

#include "ConfigFile.h"
#include "QuoteContext.h"
#include "platform/db/Database.h"
#include "platform/mail/NewMail.h"
#include "ui/MessageFunnel.h"
#include "ui/WindowRegistry.h"

class QLockFile;

namespace tarovent::word {
class GWORD;
}
namespace tarovent::db {
class Presence;
}
namespace tarovent::os {
class Desktop;
class PdfConverter;
}  // namespace tarovent::os

namespace tarovent::core {

class Translator;

// One entry of the catalogue as the program keeps it.
struct BaseEntry {
  QString folder;  // with its trailing separator; empty: not installed
  QString file;
  db::Database db;
  QString path() const { return folder + file; }
  bool present() const { return !folder.isEmpty(); }
  bool open() const { return db.isOpen(); }
};

// Catalogue entries of the family.
namespace entry {
constexpr int Stock = 1;
constexpr int Commercial = 2;
constexpr int Planning = 3;
constexpr int Main = 4;
constexpr int Tariffs = 5;
constexpr int Purchasing = 6;
constexpr int Macros = 7;
}  // namespace entry

// General parameters read at start (TPAR of the main database, TPARA of the stock database).
struct GeneralParameters {
  bool docInit = false;
  QString libDev1, libDev2;
  double coeffDev = 0;
  QString tarifMat, tarifMo;
  double txTvaDef = 0;
  QString pathExcel, nomFichExcel;
  bool wordRapide = false;
  QString labArt1, labArt2, labArt3;
  QString labImp1, labImp2;
  bool gestLots = false;
  bool multiEmpl = false;
  bool stockParamsRead = false;
};

// The process-wide state every window reads: set up at start, owned by the core. Tests build
// their own.
class ProcessState {
 public:
  explicit ProcessState(ui::MessageFunnel& messages);
  ~ProcessState();

  ui::MessageFunnel& messages() { return *m_messages; }
  void setMessages(ui::MessageFunnel& m);
  Translator& translator() { return *m_translator; }
  // Translates a fixed piece of text (unchanged when no language is set).
  QString Traduire(const QString& text) const;

  db::Workspace workspace;
  QString workingFolder;  // with its trailing separator
  QString programFolder;  // where the program and its help live
  QString helpFile;       // set at start; empty: the program's own help pages

  int Code_Application = 4;
  QList<int> Liste_Applications = {4, 2, 5, 1, 3, 0};
  std::array<BaseEntry, 8> Table_Bases;
  BaseEntry& base(int n) { return Table_Bases.at(n); }
  db::Database& mainDb() { return Table_Bases[entry::Main].db; }

  Configuration config;
  QString dataFolderName;
  QString translationFolder;
  QString translationFile = QStringLiteral("BDTRAD.MDB");
  db::Database localDb;
  // Who else holds a dossier or a quote open, on this workstation's main base; none until the
  // bases are open (and in tools that do not tell).
  std::unique_ptr<db::Presence> presence;
  // Held while this process uses the working folder's work base: a second instance on the same
  // folder would otherwise delete it from under the first.
  std::unique_ptr<QLockFile> workingFolderLock;
  QString upgradeLog;

  GeneralParameters params;
  QStringList modesReglementCodes, modesReglementLabels;
  QStringList conditionsPaiementCodes, conditionsPaiementLabels;
  int Nb_Decimales = 3;
  db::Recordset clientTable, priceTable, routingTable;
  // The one document engine of the program, created at start; none when it could not work.
  std::unique_ptr<word::GWORD> wordInterface;
  // Stock tables opened on demand.
  db::Recordset articleTable, familyTable, familyDetailTable, movementTable, lotTable, siteTable;

  // Windows by name, and the main menu that opens them (none in the command-line tools).
  ui::WindowRegistry windows;
  ui::WindowOpener* opener = nullptr;
  // New mails for the user to complete; the program sets the workstation's, tests a recording one.
  std::unique_ptr<mail::MailOpener> mail;
  // Turns quote documents into PDF; the program sets LibreOffice's, tests a fake. None: no PDF.
  std::unique_ptr<os::PdfConverter> pdfConverter;
  // Opens files with the desktop's program for their type and starts the family's other
  // programs; the program sets the system's, tests a recording one. None: nothing is opened.
  std::unique_ptr<os::Desktop> desktop;
  // The macro button's action: runs the macros of the window given (none: no macros).
  std::function<void(QWidget* window)> runMacros;
  // Shows the waiting message of a long operation (an empty text closes it); set by the
  // windows, so logic run without them (tests, command line) shows nothing.
  std::function<void(const QString& text, const QString& infos)> waitingMessage;
  void showWaiting(const QString& text, const QString& infos = {}) {
    if (waitingMessage) waitingMessage(text, infos);
  }

  // Hand-over values between windows.
  QString compositionOrigin;           // window that started the composition in progress
  QString compositionType;             // the type whose template the quote types window composes
  bool compositionInProgress = false;  // only one composition at a time
  QuoteContext quote;                  // the quote the composition works on
  // Set by the window that starts a composition; the composition calls it when it closes.
  std::function<void()> compositionClosed;
  // The reminders window asks the dossier workspace for the dossier quote.company/quote.dossier.
  bool dossierRequested = false;
  // The documents of a dossier in the family's document viewer (the dossier workspace's images
  // button); set by the document links, none without them.
  std::function<void(const QString& company, long dossier)> showDossierDocuments;
  // The article whose pictures the composition hands to the article information window
  // ("FARTINFOS"): its code and label.
  QString pictureArticle, pictureArticleLabel;
  // The contact's mail address the dossier workspace hands to the mail list window ("FMAILS").
  QString mailListAddress;
  // Opens a document in the workstation's word processor, outside the program; false when it
  // could not be started. The program sets the system's, tests a recording one.
  std::function<bool(const QString& path)> openDocument;
  // Line entry hands a code found nowhere to the article creation form ("FCREART") or the
  // tariff creation form ("FCRETRF"); the form leaves the code it saved in `createdCode`, which
  // the composition takes back into its code field when it becomes active again.
  QString creationCode, creationLabel, createdCode;
  // The family code handed to the composite-code window ("FCOMPART"), then the code it composed,
  // which the composition takes back into its code field when it becomes active again.
  QString compositeCode;
  // The period and work type ("" for all) the dossier workspace hands to the order cost
  // statistics ("FLSTAFF").
  QDate statsFrom, statsTo;
  QString statsWorkType;
  bool clientCreationRequest = false;  // the dossier workspace asked the client window for a client
  QString lastCreatedClient;           // code of the client saved for that request

  bool hideRentabilite = false;
  int topOffset = 0;
  int mainWindowState = 0;
  int workingHeight = 0;

 private:
  ui::MessageFunnel* m_messages;
  std::unique_ptr<Translator> m_translator;
};

}  // namespace tarovent::core
