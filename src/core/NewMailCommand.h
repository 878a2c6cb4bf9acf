#pragma once

#include "platform/mail/NewMail.h"

namespace tarovent::core {

class ProcessState;

// Opens a new mail for the user to complete (never sent by the program) and tells him in French
// when no mail program could show it. False then.
bool openNewMail(ProcessState& state, const mail::NewMail& mail);

}  // namespace tarovent::core
