#include "ProcessState.h"

#include <QLockFile>

#include "Translator.h"
#include "platform/db/Presence.h"
#include "platform/os/Desktop.h"
#include "platform/os/PdfConverter.h"
#include "platform/word/GWORD.h"

namespace tarovent::core {

ProcessState::ProcessState(ui::MessageFunnel& messages)
    : m_messages(&messages), m_translator(std::make_unique<Translator>()) {
  setMessages(messages);
}

ProcessState::~ProcessState() = default;

void ProcessState::setMessages(ui::MessageFunnel& m) {
  m_messages = &m;
  m_messages->setTranslator([this](const QString& t) { return m_translator->Traduire(t); });
}

QString ProcessState::Traduire(const QString& text) const { return m_translator->Traduire(text); }

}  // namespace tarovent::core
