#pragma once

#include <vector>

#include "composition/QuoteRows.h"

namespace tarovent::composition {

// Hands each change of the document to several listeners, in the order they were given: the
// views first, then what keeps figures of its own.
class ChangeRelay : public DocumentChanges {
 public:
  void setListeners(std::vector<DocumentChanges*> listeners) { m_to = std::move(listeners); }

  void rowsInserted(int table, int row, int count) override {
    for (DocumentChanges* c : m_to) c->rowsInserted(table, row, count);
  }
  void rowsRemoved(int table, int row, int count) override {
    for (DocumentChanges* c : m_to) c->rowsRemoved(table, row, count);
  }
  void rowsChanged(int table, int first, int last) override {
    for (DocumentChanges* c : m_to) c->rowsChanged(table, first, last);
  }
  void tableInserted(int table) override {
    for (DocumentChanges* c : m_to) c->tableInserted(table);
  }
  void tableRemoved(int table) override {
    for (DocumentChanges* c : m_to) c->tableRemoved(table);
  }
  void tableSplit(int table, int row) override {
    for (DocumentChanges* c : m_to) c->tableSplit(table, row);
  }
  void bookmarksChanged() override {
    for (DocumentChanges* c : m_to) c->bookmarksChanged();
  }
  void documentReset() override {
    for (DocumentChanges* c : m_to) c->documentReset();
  }

 private:
  std::vector<DocumentChanges*> m_to;
};

}  // namespace tarovent::composition
