// SPDX-License-Identifier: GPL-3.0-or-later
// zer-evizi-cli send: hands the text on stdin to the sibling HTML editor, as
// the editor's transfer command does with the pane's text.

#include "command.h"
#include "desktop_commands.h"
#include "transfer/sibling_message.h"
#include "transfer/sibling_transfer.h"

namespace {

int Run(const cli::Args& args) {
    if (!args.empty()) return cli::UsageOf("send");
    // The pane holds CR LF line breaks; a lone LF from a file becomes one.
    const std::string text = ze::transfer::ToCrLf(cli::ReadAllStdin());
    const ze::Status outcome = ze::transfer::SendMarkupToSibling(text);
    if (outcome.ok()) return cli::kOk;
    return cli::Fail(ze::StatusText(outcome, ze::TextLanguage::kEnglish));
}

const cli::Registration registration({"send", cli::DesktopCommandUsage("send"), Run});

}  // namespace
