#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "composition/ColumnMap.h"
#include "composition/LineChange.h"
#include "composition/TableLocator.h"
#include "core/AdminRun.h"
#include "core/ProcessState.h"
#include "guard/PriceMemory.h"
#include "guard/QuoteReading.h"
#include "install/DemoFamily.h"
#include "install/DemoRecalc.h"
#include "platform/db/Database.h"
#include "platform/db/Recordset.h"
#include "platform/word/WordDocument.h"
#include "server/DemoCopy.h"
#include "server/FamilyOnServer.h"
#include "ui/MessageFunnel.h"

namespace tarovent::guard::test {

// One small demo family per test binary, opened as the composition opens it. Each test works
// on documents of its own (a different starting index), so the order of the tests is free.
class GuardDemo : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_dir = new QTemporaryDir;
    s_layout = tarovent::test::placeSmallDemoFamily(s_dir->filePath("demo"));
    // On a server the family is copied there and named in its milostar.ini, for the admin
    // verbs the tests run too.
    s_server.make();
    if (!s_server.conninfo().isEmpty()) {
      ASSERT_TRUE(tarovent::test::moveFamilyToServer(s_layout.root, s_server.conninfo()));
    }
  }
  static void TearDownTestSuite() {
    delete s_dir;
    s_dir = nullptr;
    s_server.drop();
  }
  void SetUp() override {
    s_server.use();
    m_state = std::make_unique<core::ProcessState>(m_messages);
    m_state->workingFolder = s_layout.workingFolder;
    ASSERT_TRUE(install::openFamilyForRecalculation(*m_state));
  }

  static QString documents() { return s_layout.dataFolder + "DOC_TAROVENT/"; }
  static QStringList quoteFiles() {
    QStringList out;
    for (const QString& f : QDir(documents()).entryList(QDir::Files, QDir::Name))
      if (quoteKeyOfFile(f)) out << documents() + f;
    return out;
  }
  static QuoteReading read(const QString& path) {
    word::WordDocument doc = word::WordDocument::open(path);
    const std::optional<QuoteReading> r = readQuote(doc);
    EXPECT_TRUE(r.has_value()) << path.toStdString();
    return r.value_or(QuoteReading{});
  }
  // How many coded lines of the quote share the code of `l`.
  static int uses(const QuoteReading& q, const QString& code) {
    int n = 0;
    for (const composition::WorkLine& l : q.lines)
      n += l.code.compare(code, Qt::CaseInsensitive) == 0;
    return n;
  }
  bool isStockArticle(const QString& code, const QString& type = {}) {
    db::Recordset a =
        m_state->base(core::entry::Stock)
            .db.OpenRecordset("select TARTI_Type from TARTI where TARTI_CODART='" + code + "'");
    return !a.EOF_() && (type.isEmpty() || a.text("TARTI_Type") == type);
  }
  // The first document from `from` on with a counted line that `wanted` accepts and whose code
  // the quote uses once.
  std::pair<QString, composition::WorkLine> findLine(
      int from, const std::function<bool(const composition::WorkLine&)>& wanted) {
    const QStringList files = quoteFiles();
    for (int i = from; i < files.size(); ++i) {
      const QuoteReading q = read(files[i]);
      for (const composition::WorkLine& l : q.lines)
        if (composition::isCounted(l) && !l.code.isEmpty() && l.quantity != 0 &&
            uses(q, l.code) == 1 && wanted(l))
          return {files[i], l};
    }
    ADD_FAILURE() << "no demo quote has the line looked for";
    return {};
  }
  // Gives one written line another gross price and discount, recomputed, and saves.
  static void reprice(const QString& path, int docTable, int row, double price,
                      std::optional<double> discount = std::nullopt) {
    word::WordDocument doc = word::WordDocument::open(path);
    const auto loc = composition::Reperer_Tableaux(doc, composition::LocatePurpose::Recalculation);
    ASSERT_TRUE(loc.layout);
    const auto cols = composition::ColumnMap::read(doc, loc.layout->headerTable);
    auto line = composition::readWrittenLine(doc, cols, docTable, row);
    ASSERT_TRUE(line);
    line->grossPrice = price;
    if (discount) line->discountPercent = *discount;
    composition::rewriteWrittenLine(doc, cols, docTable, row, *line, 3, QLatin1Char(','));
    doc.save();
  }
  // tarovent-admin on the family: this process lets the working folder go while it runs.
  tarovent::test::AdminRun admin(const QStringList& args) {
    m_state.reset();
    const tarovent::test::AdminRun r = tarovent::test::admin(args);
    SetUp();
    return r;
  }
  db::Database& stock() { return m_state->base(core::entry::Stock).db; }
  db::Database& main() { return m_state->mainDb(); }
  static QString root() { return s_layout.root; }

  static inline QTemporaryDir* s_dir = nullptr;
  static inline install::FamilyLayout s_layout;
  static inline tarovent::test::SuiteServer s_server;
  ui::ScriptedResponder m_messages;
  std::unique_ptr<core::ProcessState> m_state;
};

}  // namespace tarovent::guard::test
