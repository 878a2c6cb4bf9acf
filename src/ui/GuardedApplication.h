#pragma once

#include <QApplication>
#include <exception>

namespace tarovent::ui {

class MessageFunnel;

// The program's application object. An exception escaping a window's slot would end the
// program with the user's work unsaved: it is shown instead, and the program goes on.
class GuardedApplication : public QApplication {
 public:
  GuardedApplication(int& argc, char** argv);

  // Where the failures are told; standard error until one is given.
  void setMessages(MessageFunnel* messages) { m_messages = messages; }
  bool notify(QObject* receiver, QEvent* event) override;

  // The French text telling the user of an exception that stopped an operation.
  static QString describe(std::exception_ptr failure);
  // Puts back the pointer and tells the user (`messages`, else standard error).
  static void report(std::exception_ptr failure, MessageFunnel* messages);

 private:
  MessageFunnel* m_messages = nullptr;
  bool m_reporting = false;
};

}  // namespace tarovent::ui
