#include "SchemaUpgrade.h"

#include "platform/db/DbError.h"

namespace tarovent::core {

namespace {

db::FieldSpec textField(const QString& name, db::FieldType type, int size) {
  db::FieldSpec f = db::TableDef::CreateField(name, type, size);
  f.allowZeroLength = true;
  f.defaultValue = QStringLiteral("\"\"");
  return f;
}

}  // namespace

const QStringList& priceMemorySchema() {
  static const QStringList ddl = {
      "CREATE TABLE TMEMPRIX (TMEMPRIX_CLIENT TEXT(10), TMEMPRIX_CODART TEXT(30), TMEMPRIX_SOC "
      "TEXT(3), TMEMPRIX_NUMDOSS LONG, TMEMPRIX_NSEQ SHORT, TMEMPRIX_DATE DATETIME, TMEMPRIX_QTE "
      "DOUBLE, TMEMPRIX_PU DOUBLE, TMEMPRIX_REMISE DOUBLE, TMEMPRIX_PUNET DOUBLE)",
      "CREATE INDEX TMEMPRIX_CLIART ON TMEMPRIX (TMEMPRIX_CLIENT, TMEMPRIX_CODART, "
      "TMEMPRIX_DATE)",
      "CREATE INDEX TMEMPRIX_DEVIS ON TMEMPRIX (TMEMPRIX_SOC, TMEMPRIX_NUMDOSS, TMEMPRIX_NSEQ)",
  };
  return ddl;
}

const QStringList& sentVersionsSchema() {
  static const QStringList ddl = {
      "CREATE TABLE TENVOI (TENVOI_SOC TEXT(3), TENVOI_NUMDOSS LONG, TENVOI_NSEQ SHORT, "
      "TENVOI_DATE DATETIME, TENVOI_MODE TEXT(50))",
      "CREATE INDEX TENVOI_DEVIS ON TENVOI (TENVOI_SOC, TENVOI_NUMDOSS, TENVOI_NSEQ)",
  };
  return ddl;
}

bool Mise_A_Niveau(db::Database& main, ui::MessageFunnel& messages, QString& log) {
  bool attempted = false;
  bool failed = false;
  // Each step runs on its own: an engine error marks the run as failed and the next step goes on.
  const auto step = [&](auto&& work) {
    attempted = true;
    try {
      work();
    } catch (const db::DbError&) {
      failed = true;
    }
  };
  const auto hasTable = [&](const QString& t) {
    try {
      return main.hasTable(t);
    } catch (const db::DbError&) {
      return false;
    }
  };
  const auto hasField = [&](const QString& t, const QString& f) {
    try {
      return main.tableDef(t).hasField(f);
    } catch (const db::DbError&) {
      return false;
    }
  };

  if (!hasTable("TMP_MAIL")) {
    step([&] {
      db::TableDef def("TMP_MAIL");
      def.addField(db::TableDef::CreateField("TMAIL_NUM", db::FieldType::Long));
      def.addField(db::TableDef::CreateField("TMAIL_DATE", db::FieldType::Date));
      def.addField(textField("TMAIL_ADRESSE", db::FieldType::Text, 255));
      def.addField(textField("TMAIL_SUJET", db::FieldType::Text, 255));
      def.addField(textField("TMAIL_CORPS", db::FieldType::Memo, 0));
      def.addField(textField("TMAIL_NAME", db::FieldType::Text, 255));
      def.addField(textField("TMAIL_FILTER", db::FieldType::Text, 255));
      main.appendTableDef(def);
    });
  }
  if (!hasField("TSOC", "TSOC_Desactive")) {
    step([&] {
      db::FieldSpec f = db::TableDef::CreateField("TSOC_Desactive", db::FieldType::Boolean);
      f.defaultValue = QStringLiteral("False");
      log += "\n- Ajout champ TSOC_Desactive - Table : TSOC";
      main.appendField("TSOC", f);
    });
  }
  if (!hasField("TDOS", "TDOS_NUMDOS")) {
    step([&] {
      db::FieldSpec f = db::TableDef::CreateField("TDOS_NUMDOS", db::FieldType::Long);
      f.autoIncrement = true;
      log += "\n- Ajout champ TDOS_NUMDOS - Table : TDOS";
      main.appendField("TDOS", f);
    });
  }
  if (!hasTable("TMP_DOS")) {
    step([&] {
      log += "\n- Ajout table TMP_DOS";
      main.Execute("SELECT TDOS.* INTO TMP_DOS From TDOS WHERE (((TDOS.TDOS_SOC) Is Null));");
      main.RefreshTableDefs();
    });
  }
  if (!hasTable("TMP_DEV")) {
    step([&] {
      log += "\n- Ajout table TMP_DEV";
      main.Execute("SELECT TDEV.* INTO TMP_DEV From TDEV WHERE (((TDEV.TDEV_SOC) Is Null));");
    });
  }
  // The margin threshold of the quote guard (0: not checked) and its price memory.
  if (!hasField("TPAR", "TPAR_SEUILMARGE")) {
    step([&] {
      db::FieldSpec f = db::TableDef::CreateField("TPAR_SEUILMARGE", db::FieldType::Double);
      f.defaultValue = QStringLiteral("0");
      log += "\n- Ajout champ TPAR_SEUILMARGE - Table : TPAR";
      main.appendField("TPAR", f);
    });
  }
  if (!hasTable("TMEMPRIX")) {
    step([&] {
      log += "\n- Ajout table TMEMPRIX";
      for (const QString& statement : priceMemorySchema()) main.Execute(statement);
      main.RefreshTableDefs();
    });
  }
  // The sendings of the versions, which freeze them.
  if (!hasTable("TENVOI")) {
    step([&] {
      log += "\n- Ajout table TENVOI";
      for (const QString& statement : sentVersionsSchema()) main.Execute(statement);
      main.RefreshTableDefs();
    });
  }
  if (!attempted) return false;
  if (failed)
    messages.show("Une mise à jour de structure doit être effectuée.\n" + log +
                      "\nCela impose que tous les utilisateurs quittent MILOSTAR...",
                  ui::Icon::Warning);
  else
    messages.show("Une mise à jour de structure des données a été effectuée.\n" + log +
                      "\n\nL'application doit être redémarrée...",
                  ui::Icon::Information);
  return true;
}

}  // namespace tarovent::core
