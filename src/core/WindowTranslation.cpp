#include "WindowTranslation.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSet>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextEdit>
#include <QTreeWidget>

#include "ProcessState.h"
#include "Translator.h"

namespace tarovent::core {

namespace {

// Position of the "&" marking the access key of a caption ("&&" is a plain "&"), or -1.
int accessKey(const QString& s) {
  for (int i = 0; i + 1 < s.size(); ++i) {
    if (s.at(i) != '&') continue;
    if (s.at(i + 1) != '&') return i;
    ++i;
  }
  return -1;
}

class Visitor {
 public:
  explicit Visitor(const Translator& t) : m_t(t) {}

  // An action reached twice (menu bar and window) is translated once.
  mutable QSet<QAction*> m_done;

  QString tr(const QString& s) const { return s.isEmpty() ? s : m_t.Traduire(s); }

  // A caption with an access key is looked up as written, then without its "&"; the key then
  // goes on the same letter of the translation, or on its first letter.
  QString caption(const QString& s) const {
    const QString written = tr(s);
    const int amp = accessKey(s);
    if (written != s || amp < 0) return written;
    const QString plain = QString(s).remove(amp, 1);
    QString translated = tr(plain);
    if (translated == plain) return s;
    int at = translated.indexOf(s.at(amp + 1), 0, Qt::CaseInsensitive);
    for (int i = 0; at < 0 && i < translated.size(); ++i)
      if (translated.at(i).isLetterOrNumber()) at = i;
    return at < 0 ? translated : translated.insert(at, '&');
  }

  void tag(QObject* o) const {
    const QVariant v = o->property("tag");
    if (v.isValid() && !v.toString().isEmpty()) o->setProperty("tag", tr(v.toString()));
  }
  void tip(QWidget* w) const {
    if (!w->toolTip().isEmpty()) w->setToolTip(tr(w->toolTip()));
  }

  void action(QAction* a) const {
    if (m_done.contains(a)) return;
    m_done.insert(a);
    if (a->isSeparator() || a->text() == "-") return;
    if (!a->text().isEmpty()) a->setText(caption(a->text()));
    if (a->menu())
      for (QAction* sub : a->menu()->actions()) action(sub);
  }

  void widget(QWidget* w) const {
    if (auto* l = qobject_cast<QLabel*>(w)) {
      if (!l->text().isEmpty() && l->pixmap().isNull()) l->setText(caption(l->text()));
      tip(w);
      tag(w);
    } else if (auto* c = qobject_cast<QCheckBox*>(w)) {
      if (!c->text().isEmpty()) c->setText(caption(c->text()));
      tag(w);
    } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
      // Command and option buttons.
      if (!b->text().isEmpty()) b->setText(caption(b->text()));
      tip(w);
      tag(w);
    } else if (auto* cb = qobject_cast<QComboBox*>(w)) {
      if (cb->isEditable() && !cb->currentText().isEmpty()) cb->setEditText(tr(cb->currentText()));
      tag(w);
    } else if (qobject_cast<QLineEdit*>(w) || qobject_cast<QTextEdit*>(w) ||
               qobject_cast<QPlainTextEdit*>(w)) {
      tip(w);
      tag(w);
    } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
      if (!g->title().isEmpty()) g->setTitle(caption(g->title()));
    } else if (auto* mb = qobject_cast<QMenuBar*>(w)) {
      for (QAction* a : mb->actions()) action(a);
    } else if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
      for (int i = 0; i < tabs->count(); ++i) tabs->setTabText(i, tr(tabs->tabText(i)));
      tip(w);
    } else if (auto* table = qobject_cast<QTableWidget*>(w)) {
      for (int c = 0; c < table->columnCount(); ++c)
        if (auto* item = table->horizontalHeaderItem(c)) item->setText(tr(item->text()));
      tip(w);
    } else if (auto* list = qobject_cast<QListWidget*>(w)) {
      for (int i = 0; i < list->count(); ++i) {
        QListWidgetItem* item = list->item(i);
        item->setText(tr(item->text()));
        const QVariant t = item->data(Qt::UserRole + 1);
        if (t.isValid()) item->setData(Qt::UserRole + 1, tr(t.toString()));
      }
      tip(w);
      tag(w);
    } else if (auto* tree = qobject_cast<QTreeWidget*>(w)) {
      if (auto* h = tree->headerItem())
        for (int c = 0; c < h->columnCount(); ++c) h->setText(c, tr(h->text(c)));
      tip(w);
      tag(w);
    } else if (auto* view = qobject_cast<QAbstractItemView*>(w)) {
      // Grids on a model: their column headers.
      if (auto* model = view->model()) {
        for (int c = 0; c < model->columnCount(); ++c) {
          const QString h = model->headerData(c, Qt::Horizontal).toString();
          if (!h.isEmpty()) model->setHeaderData(c, Qt::Horizontal, tr(h));
        }
      }
      tip(w);
    }
  }

 private:
  const Translator& m_t;
};

}  // namespace

void Traduire_Fenetre(ProcessState& state, QWidget* window) {
  const Translator& t = state.translator();
  if (!t.active() || !window) return;
  Visitor v(t);
  if (!window->windowTitle().isEmpty()) window->setWindowTitle(v.tr(window->windowTitle()));
  QList<QWidget*> widgets = window->findChildren<QWidget*>();
  widgets.prepend(window);
  for (QWidget* w : widgets) {
    v.widget(w);
    if (!t.font().isEmpty() && w != window) {
      QFont f = w->font();
      f.setFamily(t.font());
      w->setFont(f);
    }
  }
  // Actions of menus that are not in a menu bar (context menus, tool buttons).
  for (QAction* a : window->findChildren<QAction*>(Qt::FindDirectChildrenOnly)) v.action(a);
}

}  // namespace tarovent::core
