#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class QAbstractButton;
class QWidget;

namespace tarovent::ui {

class DataControl;
class MessageFunnel;

// The buttons of a record window; any of them may be absent.
struct RecordButtonSet {
  QAbstractButton* add = nullptr;
  QAbstractButton* save = nullptr;
  QAbstractButton* cancel = nullptr;
  QAbstractButton* remove = nullptr;
  QAbstractButton* refresh = nullptr;
  QAbstractButton* list = nullptr;
  QAbstractButton* quit = nullptr;
};

// The behaviour every record window shares: add, save (also F10), cancel, delete after a Yes/No
// question, refresh, list and quit. Commands that would leave the record on screen refuse while
// a bound control holds an unsaved change. Database errors are shown, never thrown.
class RecordButtons : public QObject {
  Q_OBJECT
 public:
  RecordButtons(QWidget* window, DataControl* data, MessageFunnel& messages,
                const RecordButtonSet& buttons);

  // The refusal shown while changes are pending ("Enregistrez ou annulez votre saisie" by
  // default; some windows say "Enregistrez ou annulez d'abord votre saisie").
  void setRefusal(const QString& text) { m_refusal = text; }
  void setDeleteQuestion(const QString& text) { m_deleteQuestion = text; }
  // The box focused after add and cancel.
  void setFirstField(QWidget* w) { m_firstField = w; }
  // Checks run before saving; returning false keeps the record unsaved (the check shows why).
  void setSaveCheck(std::function<bool()> check) { m_saveCheck = std::move(check); }
  // Checks run once the deletion is confirmed; returning false keeps the record.
  void setDeleteCheck(std::function<bool()> check) { m_deleteCheck = std::move(check); }

  // Leaving with unsaved changes asks `text` (Yes saves, No drops them, Cancel stays) instead
  // of refusing.
  void setSaveQuestion(const QString& text) { m_saveQuestion = text; }

  // True (after showing the refusal) when the window holds unsaved changes.
  bool refuseWhilePending();
  // Whether the window may close now: the refusal, or the save question when there is one.
  bool mayLeave();
  // Whether the window may close when closed by other means than its quit command (close box,
  // Alt+F4, the program quitting): unsaved changes are saved, dropped or kept as the user
  // answers the save question; nothing is lost without being asked.
  bool mayClose();
  // Whether a bound control holds an unsaved change or a new record is being entered.
  bool pending() const;

 public slots:
  bool add();
  bool save();
  bool cancel();
  bool remove();
  bool refresh();
  bool list();
  bool quit();

 signals:
  void added();
  void saved();
  void cancelled();
  void removed();
  void refreshed();
  void listRequested();
  void quitRequested();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool guarded(const std::function<void()>& action);
  void focusFirst();

  QWidget* m_window;
  QPointer<DataControl> m_data;
  MessageFunnel& m_messages;
  RecordButtonSet m_buttons;
  QString m_refusal = QStringLiteral("Enregistrez ou annulez votre saisie");
  QString m_deleteQuestion = QStringLiteral("Voulez-vous supprimer cet enregistrement ?");
  QPointer<QWidget> m_firstField;
  std::function<bool()> m_saveCheck;
  std::function<bool()> m_deleteCheck;
  QString m_saveQuestion;
};

// The question asked before a window with unsaved changes goes away.
inline constexpr const char* kSaveQuestion = "Voulez-vous enregistrer votre saisie ?";

// Asks `question` (Yes, No, Cancel; Yes by default) and runs `save` for Yes, `discard` for No.
// True when the window may go: the chosen action succeeded.
bool askBeforeLeaving(MessageFunnel& messages, const QString& question,
                      const std::function<bool()>& save, const std::function<bool()>& discard);

}  // namespace tarovent::ui
