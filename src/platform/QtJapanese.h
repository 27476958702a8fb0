#pragma once

class QCoreApplication;

// Qt's own texts (standard buttons, an edit field's menu) in Japanese, as the rest of the
// interface is, whatever the system's language.
namespace QtJapanese
{

// Installs Qt's Japanese translation on app; false when the system has none.
bool Install(QCoreApplication& app);

} // namespace QtJapanese
