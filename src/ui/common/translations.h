#pragma once

class QCoreApplication;

// Qt's own Russian texts (the standard file, print and preview dialogs, the buttons of message
// boxes) and the Russian locale for numbers and dates. False when Qt's translations are missing.
bool installRussianTranslations(QCoreApplication& application);
