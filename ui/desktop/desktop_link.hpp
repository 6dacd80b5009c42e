// The one way a target leaves the program: the desktop's default action for it.
#pragma once

#include <cstdint>
#include <string>

namespace tavix::ui {

// Show command that hides the started program's window; the links pass it, as they always
// have. The desktop decides how its handler shows itself, so it has no effect here.
inline constexpr int SW_HIDE = 0;

// Hands `file` (a web address, a mailto target) to the desktop's default action for it, as
// the Windows shell call of the same name does: the browser for a web address, the mail
// program for a mailto target. Returns at once without waiting for the handler.
//
// The arguments keep the order and meaning of that call. `ownerWindow` (0: no owner) and
// `showCommand` only concern the Windows shell and are not used; `operation` empty or "open"
// asks for the default action, any other verb is not supported; `parameters` and `directory`
// apply to programs, not to addresses, and must be empty. Texts are 8-bit in the system's
// encoding. The result is greater than 32 when the target was handed over and 31 (no
// association) otherwise; the program's links ignore it.
std::intptr_t ShellExecuteA(std::intptr_t ownerWindow, const std::string& operation,
                            const std::string& file, const std::string& parameters,
                            const std::string& directory, int showCommand);

}  // namespace tavix::ui
