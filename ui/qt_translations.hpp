// Qt's own texts (context menus, standard buttons, dialogs) in Portuguese.
#pragma once

namespace tavix::ui {

// Installs Qt's Brazilian Portuguese translations into the running application, whatever
// the system's language: the whole interface of the program is Portuguese, Qt's texts
// included. Returns false when the translation file is missing (Qt's texts stay English);
// the program works all the same. Installing twice is harmless.
bool installQtTranslations();

}  // namespace tavix::ui
