#include "ui/frm_about.hpp"

namespace tavix::ui {

// Placeholder until the about window exists.
void openAboutWindow() {}

}  // namespace tavix::ui
