// The toolkit's own texts (standard buttons, standard dialogs) in the program's language, from
// the Qt translation files of the system (qtbase_<locale>.qm in Qt's translations folder).
#pragma once

#include <QTranslator>
#include <memory>

namespace quo {

// Installs the toolkit's translation for a Windows language identifier (1036 French, 1031
// German...); it stays installed while the returned translator lives. nullptr, and English
// texts, for English, for an unknown identifier or when the system has no file for it.
std::unique_ptr<QTranslator> InstallQtTranslation(int language);

}  // namespace quo
