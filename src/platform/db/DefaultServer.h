#pragma once

#include <QString>

namespace tarovent::db {

// The server of a workspace not given one (Workspace::setServer): none, its databases are
// files, unless the process names one here. A whole program, its tests for one, so runs on a
// server.
void setDefaultServer(const QString& conninfo);
QString defaultServer();

// Another default for the life of this object, then the one before again: files, for what
// must read or write the files themselves.
class DefaultServerScope {
 public:
  explicit DefaultServerScope(const QString& conninfo = {}) : m_before(defaultServer()) {
    setDefaultServer(conninfo);
  }
  ~DefaultServerScope() { setDefaultServer(m_before); }
  DefaultServerScope(const DefaultServerScope&) = delete;
  DefaultServerScope& operator=(const DefaultServerScope&) = delete;

 private:
  QString m_before;
};

}  // namespace tarovent::db
