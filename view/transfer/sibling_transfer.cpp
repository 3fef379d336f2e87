#include "view/transfer/sibling_transfer.h"

bool SendToSibling(const std::string& utf8PaneText, std::string* whyNot) {
    const ze::transfer::SendOutcome outcome = ze::transfer::SendMarkupToSibling(utf8PaneText);
    if (outcome.status == ze::transfer::SendStatus::Taken) return true;
    if (whyNot) *whyNot = outcome.why;
    return false;
}
