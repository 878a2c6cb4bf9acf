#include "Catalogue.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>

#include "ConfigFile.h"
#include "Paths.h"
#include "ProcessState.h"
#include "Translator.h"
#include "platform/db/DbError.h"

namespace tarovent::core {

namespace {

// A file of the family, or its schema when the family lies on a server.
bool databaseExists(const db::Workspace& ws, const QString& path) {
  try {
    return ws.exists(localPath(path));
  } catch (const db::DbError&) {
    return false;  // a server out of reach: opening will say why
  }
}

// Why a catalogue cannot be read, in the program's words rather than the engine's.
QString unusable(ui::MessageFunnel& msg, const db::DbError& e) {
  if (e.number() == db::err::FileNotFound) return msg.tr("est introuvable.");
  if (e.number() == db::err::CannotOpen) return msg.tr("ne peut pas être ouvert.");
  return msg.tr("n'est pas une base de données utilisable.");
}

// Puts the current folder back however the block is left.
class CurrentFolder {
 public:
  explicit CurrentFolder(const QString& folder) : m_previous(QDir::currentPath()) {
    QDir::setCurrent(folder);
  }
  ~CurrentFolder() { QDir::setCurrent(m_previous); }
  CurrentFolder(const CurrentFolder&) = delete;
  CurrentFolder& operator=(const CurrentFolder&) = delete;

 private:
  QString m_previous;
};

}  // namespace

QString Catalogue::familyFolder() const {
  QString w = m_s.workingFolder;
  while (w.size() > 1 && (w.endsWith('/') || w.endsWith('\\'))) w.chop(1);
  return folderOf(w);
}

bool Catalogue::Controle_Base(int n, QString& folder, QString& file) {
  db::Recordset& rs = *m_tpath;
  rs.MoveFirst();
  rs.Seek("=", n);
  if (rs.NoMatch()) {
    folder.clear();
    file.clear();
    return true;
  }
  file = rs.text("TPATH_NOMMDB");
  folder = rs.text("TPATH_path");
  if (folder.isEmpty()) return true;
  if (!databaseExists(m_s.workspace, folder + file)) {
    m_s.messages().show(
        "(Control Appli.): Base de données " + folder + file + m_s.Traduire(" introuvable."),
        ui::Icon::Warning);
    return false;
  }
  return true;
}

BaseEntry Catalogue::lookUp(int n) const {
  db::Database cat = m_s.workspace.OpenDatabase(localPath(familyFolder() + "DBPATH.MDB"), true);
  db::Recordset tpath = cat.OpenRecordset("TPATH", db::RecordsetType::Table, db::rsopt::ReadOnly);
  tpath.setIndex("PrimaryKey");
  BaseEntry found;
  if (tpath.RecordCount() == 0) return found;
  tpath.Seek("=", n);
  if (tpath.NoMatch()) return found;
  const QString folder = tpath.text("TPATH_path");
  const QString file = tpath.text("TPATH_NOMMDB");
  if (folder.isEmpty() || !databaseExists(m_s.workspace, folder + file)) return found;
  found.folder = folder;
  found.file = file;
  return found;
}

QHash<QString, QString> Catalogue::workstationBases(const QString& workingFolder) {
  const QString who = QSysInfo::machineHostName() + u'\n' + qEnvironmentVariable("USER") + u'\n' +
                      QFileInfo(localPath(workingFolder)).absoluteFilePath();
  const QByteArray digest = QCryptographicHash::hash(who.toUtf8(), QCryptographicHash::Sha1);
  return {{QStringLiteral("bdloc"), "bdloc_" + QString::fromLatin1(digest.toHex().left(16))}};
}

void Catalogue::useFamilyServer() {
  const QString server =
      readConfigurationFile(localPath(configurationPath(m_s.workingFolder))).server;
  if (!server.isEmpty()) m_s.workspace.setServer(server, workstationBases(m_s.workingFolder));
}

bool Catalogue::Lire_Catalogue() {
  for (auto& b : m_s.Table_Bases) {
    b.folder.clear();
    b.file.clear();
  }
  useFamilyServer();
  auto& msg = m_s.messages();
  const QString catalogue = familyFolder() + "DBPATH.MDB";
  db::Database cat;
  db::Recordset tpath;
  try {
    // Only read: a read-only catalogue, or one in a read-only folder, serves as well.
    cat = m_s.workspace.OpenDatabase(localPath(catalogue), true);
    tpath = cat.OpenRecordset("TPATH", db::RecordsetType::Table, db::rsopt::ReadOnly);
    tpath.setIndex("PrimaryKey");
  } catch (const db::DbError& e) {
    // On a server the engine's own words say which server and why.
    const QString why = m_s.workspace.server().isEmpty() ? QString() : "\n" + e.description();
    msg.show(msg.tr("Le catalogue des bases de données ") + catalogue + " " + unusable(msg, e) +
                 msg.tr("   Err. n° ") + QString::number(e.number()) + why,
             ui::Icon::Critical);
    return false;
  }
  m_tpath = &tpath;
  struct Reset {
    Catalogue* c;
    ~Reset() { c->m_tpath = nullptr; }
  } reset{this};

  if (tpath.RecordCount() == 0) {
    msg.show(msg.tr("La table TPATH est vide. Chemins d'accès non définis"), ui::Icon::Warning);
    return true;
  }
  tpath.MoveFirst();
  if (m_s.translationFolder.isEmpty()) m_s.translationFolder = tpath.text("TPATH_path");
  tpath.Seek("=", m_s.Code_Application);
  if (tpath.NoMatch()) {
    msg.show(msg.tr("Erreur interne. Description de l'application non reconnue (voir "
                    "DBPATH.MDB)."),
             ui::Icon::Critical);
    return false;
  }
  BaseEntry& own = m_s.base(m_s.Code_Application);
  own.file = tpath.text("TPATH_NOMMDB");
  own.folder = tpath.text("TPATH_path");
  if (!databaseExists(m_s.workspace, own.folder + own.file)) {
    msg.show(msg.tr("Base de données ") + own.folder + own.file + msg.tr(" introuvable."),
             ui::Icon::Critical);
    return false;
  }
  m_s.dataFolderName = lastFolderName(own.folder);
  for (int n : m_s.Liste_Applications) {
    if (n <= 0) continue;
    BaseEntry& b = m_s.base(n);
    if (!Controle_Base(n, b.folder, b.file)) {
      b.folder.clear();
      b.file.clear();
    }
  }
  return true;
}

bool Catalogue::removeWorkBase(const QString& path) {
  try {
    return m_s.workspace.deleteDatabase(path);
  } catch (const db::DbError&) {
    return false;
  }
}

bool Catalogue::lockWorkingFolder(const QString& workBase) {
  if (m_s.workingFolderLock && m_s.workingFolderLock->isLocked()) return true;
  auto lock = std::make_unique<QLockFile>(workBase + ".lock");
  // Only a lock whose process is gone is stale, however old it is.
  lock->setStaleLockTime(0);
  if (!lock->tryLock(0)) {
    auto& msg = m_s.messages();
    if (lock->error() == QLockFile::LockFailedError)
      msg.show(msg.tr("Tarovent est déjà lancé sur ce poste avec le dossier de travail ") +
                   localPath(m_s.workingFolder) +
                   msg.tr(" : utilisez la fenêtre déjà ouverte, ou fermez-la avant de "
                          "relancer le programme."),
               ui::Icon::Critical);
    else
      msg.show(msg.tr("(Ouverture Bases): Le dossier de travail ") + localPath(m_s.workingFolder) +
                   msg.tr(" n'est pas accessible en écriture."),
               ui::Icon::Critical);
    return false;
  }
  m_s.workingFolderLock = std::move(lock);
  return true;
}

bool Catalogue::Ouvrir_Bases(bool& fatal) {
  fatal = false;
  auto& msg = m_s.messages();
  if (!checkEngineModules(m_modulesSet ? m_modules : loadedEngineModules(),
                          localPath(m_s.workingFolder) + "DAOCHECK.LOG", msg)) {
    fatal = true;
    return false;
  }
  for (int n : m_s.Liste_Applications) {
    if (n <= 0) continue;
    BaseEntry& b = m_s.base(n);
    if (b.folder.isEmpty()) continue;
    try {
      b.db = m_s.workspace.OpenDatabase(localPath(b.path()));
    } catch (const db::DbError&) {
      b.db = {};
      msg.show("(Ouverture Bases): La base de données " + b.path() + " est inaccessible.",
               ui::Icon::Critical);
      return false;
    }
  }
  noticeNetworkShare();

  // The per-workstation work database is thrown away and rebuilt from the main database.
  const QString local = localPath(m_s.workingFolder) + "BDLOC.MDB";
  if (!lockWorkingFolder(local)) {
    fatal = true;
    return false;
  }
  m_s.localDb.Close();
  m_s.localDb = {};
  if (!removeWorkBase(local)) {
    msg.show("(Ouverture Bases): La base de travail " + local +
                 " ne peut pas être supprimée (fichier protégé ou ouvert par un autre programme).",
             ui::Icon::Critical);
    fatal = true;
    return false;
  }
  BaseEntry& main = m_s.base(entry::Main);
  if (!main.open()) {
    msg.show("(Ouverture Bases): La base de données " + main.path() + " n'a pu être ouverte !",
             ui::Icon::Critical);
    fatal = true;
    return false;
  }
  try {
    db::Database work = m_s.workspace.CreateDatabase(local, ";LANGID=0x0409;CP=1252;COUNTRY=0");
    work.Close();
    {
      const CurrentFolder here(localPath(m_s.workingFolder));  // 'bdloc.mdb' is relative
      for (const QString& name : main.db.TableDefNames()) {
        if (!name.startsWith("TMP_", Qt::CaseInsensitive)) continue;
        main.db.Execute("SELECT DISTINCTROW * INTO " + name + " IN 'bdloc.mdb' from " + name + ";");
      }
    }
    m_s.localDb = m_s.workspace.OpenDatabase(local);
  } catch (const db::DbError& e) {
    msg.show("(Ouverture Bases): La base de données " + local + " n'a pu être ouverte !\n" +
                 e.description(),
             ui::Icon::Critical);
    fatal = true;
    return false;
  }
  if (!m_s.translator().Charger_Traductions(m_s)) {
    fatal = true;
    return false;
  }
  return true;
}

void Catalogue::noticeNetworkShare() {
  QStringList shares;
  for (int n : m_s.Liste_Applications) {
    if (n <= 0 || !m_s.base(n).open()) continue;
    const QString share = m_s.base(n).db.networkFileSystem();
    if (!share.isEmpty() && !shares.contains(share)) shares << share;
  }
  if (shares.isEmpty()) return;
  auto& msg = m_s.messages();
  msg.show(msg.tr(QStringLiteral(
                      "Les bases de données de la famille sont sur un partage réseau (%1) : "
                      "elles y sont ouvertes sans journal WAL, plus lentement, et ne doivent "
                      "servir qu'à un poste à la fois.\n\nPour travailler à plusieurs postes, "
                      "copiez la famille sur un serveur PostgreSQL (tarovent-admin migrate "
                      "DOSSIER --to URL) et nommez-le dans milostar.ini par l'option "
                      "SERVEUR=URL."))
               .arg(shares.join(QStringLiteral(", "))),
           ui::Icon::Information);
}

bool Catalogue::Ouvrir_Stock() {
  auto& msg = m_s.messages();
  BaseEntry& stock = m_s.base(entry::Stock);
  if (stock.folder.isEmpty()) {
    msg.show(msg.tr("Cette fonction ne peut pas fonctionner sans CORVELIN"), ui::Icon::Warning);
    return false;
  }
  if (m_s.articleTable.isOpen()) return true;
  if (!stock.open()) {
    try {
      stock.db = m_s.workspace.OpenDatabase(localPath(stock.path()));
    } catch (const db::DbError&) {
      msg.show(msg.tr("L'ouverture de la base CORVELIN n'a pu se faire normalement"),
               ui::Icon::Critical);
      return false;
    }
  }
  GeneralParameters& p = m_s.params;
  if (!p.stockParamsRead) {
    m_s.Nb_Decimales = 3;
    p.labImp1.clear();
    p.labImp2.clear();
    try {
      db::Recordset para =
          stock.db.OpenRecordset("TPARA", db::RecordsetType::Table, db::rsopt::ReadOnly);
      if (!para.EOF_()) {
        if (!para.value("TPARA_LABIMP1").isNull()) p.labImp1 = para.text("TPARA_LABIMP1");
        if (!para.value("TPARA_LABIMP2").isNull()) p.labImp2 = para.text("TPARA_LABIMP2");
        if (!para.value("TPARA_NBRDEC").isNull())
          m_s.Nb_Decimales = static_cast<int>(para.number("TPARA_NBRDEC"));
        p.gestLots = para.flag("TPARA_GestLots");
        p.multiEmpl = para.flag("TPARA_MultiEmpl");
      }
    } catch (const db::DbError&) {
      // Without stock parameters the defaults hold.
    }
    p.stockParamsRead = true;
  }
  const auto openTable = [&](const QString& name, db::Recordset& into) {
    into = stock.db.OpenRecordset(name, db::RecordsetType::Table);
    into.setIndex("PrimaryKey");
  };
  const struct {
    const char* table;
    db::Recordset* into;
    const char* failure;
  } tables[] = {
      {"TARTI", &m_s.articleTable, "L'ouverture du fichier ARTICLES n'a pu se faire normalement"},
      {"TFAM", &m_s.familyTable,
       "L'ouverture du fichier des familles d'articles n'a pu se faire normalement"},
      {"TFAM_DETAIL", &m_s.familyDetailTable, nullptr},
      {"TMVTS", &m_s.movementTable,
       "L'ouverture du fichier des mouvements de stock n'a pu se faire normalement"},
  };
  for (const auto& t : tables) {
    try {
      openTable(t.table, *t.into);
    } catch (const db::DbError&) {
      *t.into = {};
      if (t.failure) {
        m_s.articleTable = {};
        msg.show(msg.tr(t.failure), ui::Icon::Critical);
        return false;
      }
    }
  }
  if (p.gestLots) {
    try {
      openTable("TARTIS", m_s.lotTable);
    } catch (const db::DbError&) {
      m_s.articleTable = {};
      msg.show(msg.tr("La gestion du stock par lots est demandée,") + "\n" +
                   msg.tr("mais la table des lots est inaccessible !"),
               ui::Icon::Critical);
      return false;
    }
  } else {
    m_s.lotTable = {};
  }
  try {
    openTable("TSite", m_s.siteTable);
  } catch (const db::DbError&) {
    m_s.siteTable = {};
  }
  return true;
}

}  // namespace tarovent::core
