// The about window "Sobre o Tavix".
#pragma once

namespace tavix::ui {

// Opens the about window: creates it if none exists (there is never more than one), shows
// it modeless and without an owner, and makes it the active window. Returns at once.
void openAboutWindow();

}  // namespace tavix::ui
